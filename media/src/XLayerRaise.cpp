#include "XLayerRaise.h"

namespace media_detail {

// Stands in for the lower layer's xThrow until that layer is linked in: the code
// is kept where tests and the caller can read it.
std::uint16_t lastRaised = 0;

void Raise(std::uint16_t code) { lastRaised = code; }

}  // namespace media_detail
