#pragma once

#include <cstdint>

namespace media_detail {

// Raises an x-layer error code (recorded; control returns to the innermost error
// frame when one is registered).
void Raise(std::uint16_t code);

}  // namespace media_detail
