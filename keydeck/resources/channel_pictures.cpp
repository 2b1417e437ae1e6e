#include "keydeck/resources/channel_pictures.h"

#include <cstring>

namespace kd {

const char* const kChannelPictures[kChannelPictureCount] = {
    "common", "CHNT",    "CHNS",     "Crech",  "Demark", "Hebrew", "Dutch",  "Finnish", "French",
    "Germany", "Greek",  "Huguria",  "Italia", "Japanese", "Korean", "Norway", "Polish", "PorBra",
    "Russian", "Slovak", "Spain",    "SpanLa", "Swed",   "Thai",   "Turkey", "Arabic"};

int ChannelPictureIndex(const char* picture) {
  if (!picture) return -1;
  for (int i = 0; i < kChannelPictureCount; ++i)
    if (std::strcmp(kChannelPictures[i], picture) == 0) return i;
  return -1;
}

}  // namespace kd
