#pragma once

#include <cstdint>

namespace volumist {

// A position inside a volume's tree area, counted in bytes from its start, so that keys stay valid
// when the area moves as a whole. Key 0 stands for the volume itself.
using RecordKey = uint32_t;

}  // namespace volumist
