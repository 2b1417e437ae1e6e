// The language table of the Channel Setting window: which picture it
// shows for a language id, and the string-block base the LED strip adds
// 44 to for its tray tip.
#pragma once

#include <cstdint>

namespace kd {

struct ChannelLanguage {
  const char* Picture;  // name of the picture holder, "common" for English
  int StringBase;       // 0 when the language is not listed
};

ChannelLanguage ChannelLanguageFor(uint16_t languageId);

}  // namespace kd
