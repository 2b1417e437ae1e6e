// The order of the Channel Setting pictures among the resources: picture
// holder name -> offset from IDB_CHANNEL_FIRST. The build draws the
// pictures in this order from channel_texts.txt.
#pragma once

namespace kd {

constexpr int kChannelPictureCount = 26;

// The holder names in resource order ("common" first).
extern const char* const kChannelPictures[kChannelPictureCount];

// Offset of the named picture, -1 for a name that is not a picture holder.
int ChannelPictureIndex(const char* picture);

}  // namespace kd
