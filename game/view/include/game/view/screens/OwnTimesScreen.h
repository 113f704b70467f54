#pragma once

#include <cstdint>

#include "framework/Screen.h"

// A game screen that keeps its own phase times: its first and last phases as
// given, its middle what the segment leaves after them (held at 0 when the
// segment is shown late), and its total either the segment's or the sum of
// its own phases (held within 32 bits).
class OwnTimesScreen : public Screen {
  public:
    enum class Total { kSegment, kPhases };

    OwnTimesScreen(UI* parent, std::int32_t layer, Total total) : Screen(parent, layer), totalIs_(total) {}

    void SetSegmentTimes(std::uint32_t segment, std::uint32_t first, std::uint32_t middle,
                         std::uint32_t last) override;
    std::uint32_t GetTotalTime() override { return total_; }
    std::uint32_t GetFirstTime() override { return first_; }
    std::uint32_t GetMiddleTime() override { return middle_; }
    std::uint32_t GetLastTime() override { return last_; }

  protected:
    std::uint32_t total_ = 0;
    std::uint32_t first_ = 0;
    std::uint32_t middle_ = 0;
    std::uint32_t last_ = 0;

  private:
    Total totalIs_;
};
