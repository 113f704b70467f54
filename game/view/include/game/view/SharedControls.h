#pragma once

// The ten controls that the view makes once per start and hands to every game
// screen at construction, in this order. A screen reaches them by place, shows,
// starts and stops them, and never makes or deletes one.

#include <array>
#include <cstddef>

class Control;

enum SharedControl : std::size_t {
    kBackgroundSlot = 0,
    kPlayerListSlot = 1,
    kChatBoxSlot = 2,
    kControlPanelButtonSlot = 3,
    kPictureSlot = 4,
    kTimerSlot = 5,
    kRoundIndicatorSlot = 6,
    kCaptionsSlot = 7,
    kFatChanceSlot = 8,
    kNameAndScoreSlot = 9,
};

using SharedControls = std::array<Control*, 10>;
