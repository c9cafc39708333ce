#include "browse/presence_text.h"

namespace volumist::browse {

std::string_view PresenceText(VolumePresence presence) {
  switch (presence) {
    case VolumePresence::kPresent: return "Present";
    case VolumePresence::kPartly: return "Partly present";
    case VolumePresence::kAbsent: break;
  }
  return "Absent";
}

}  // namespace volumist::browse
