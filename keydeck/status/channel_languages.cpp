#include "keydeck/status/channel_languages.h"

namespace kd {

ChannelLanguage ChannelLanguageFor(uint16_t id) {
  // The sixteen Arabic ids differ only in the sub-language bits above 0x400.
  if ((id & 0x3FF) == 0x001 && id >= 0x0401 && id <= 0x4001) return {"Arabic", 1000};
  switch (id) {
    case 0x0404:
    case 0x0C04: return {"CHNT", 100};
    case 0x0804: return {"CHNS", 200};
    case 0x0411: return {"Japanese", 300};
    case 0x040C: return {"French", 400};
    case 0x0407: return {"Germany", 500};
    case 0x0410: return {"Italia", 600};
    case 0x040A: return {"SpanLa", 700};
    case 0x0412: return {"Korean", 800};
    case 0x0816: return {"PorBra", 900};
    case 0x0416: return {"PorBra", 1100};
    case 0x0405: return {"Crech", 1200};
    case 0x0406: return {"Demark", 1300};
    case 0x0413:
    case 0x0813: return {"Dutch", 1400};
    case 0x040B: return {"Finnish", 1500};
    case 0x0408: return {"Greek", 1600};
    case 0x040D: return {"Hebrew", 1700};
    case 0x040E: return {"Huguria", 1800};
    case 0x0C0A: return {"Spain", 1900};
    case 0x0414:
    case 0x0814: return {"Norway", 2000};
    case 0x0415: return {"Polish", 2100};
    case 0x0419: return {"Russian", 2200};
    case 0x041B: return {"Slovak", 2300};
    case 0x041D: return {"Swed", 2400};
    case 0x041F: return {"Turkey", 2500};
    case 0x041E: return {"Thai", 2600};
    default: return {"common", 0};
  }
}

}  // namespace kd
