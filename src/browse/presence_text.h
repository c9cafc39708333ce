// How the volume list names a volume's presence: the text read out for its mark.
#pragma once

#include <string_view>

#include "scan/volume_presence.h"

namespace volumist::browse {

// "Present", "Absent" or "Partly present".
std::string_view PresenceText(VolumePresence presence);

}  // namespace volumist::browse
