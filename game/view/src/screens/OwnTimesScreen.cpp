#include "game/view/screens/OwnTimesScreen.h"

#include <algorithm>
#include <limits>

#include "game/view/PictureView.h"

void OwnTimesScreen::SetSegmentTimes(std::uint32_t segment, std::uint32_t first, std::uint32_t middle,
                                     std::uint32_t last) {
    Screen::SetSegmentTimes(segment, first, middle, last);
    first_ = first;
    last_ = last;
    middle_ = OwnMiddleTime(segment, first, last);
    if (totalIs_ == Total::kSegment) {
        total_ = segment;
    } else {
        const std::uint64_t sum = std::uint64_t{first_} + middle_ + last_;
        total_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, std::numeric_limits<std::uint32_t>::max()));
    }
}
