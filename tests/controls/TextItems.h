#pragma once

// Reads back what a control wrote into the text items of its animations: the
// items' texts, text colours and backgrounds, as the animation service's text
// strip holds them for drawing.

#include "media/Animation.h"
#include "media/AnimationService.h"
#include "media/TextStrip.h"

#include <string>

inline TextStrip& StripOf(Animation& animation) {
    return *animation.GetService()->GetTextStrip();
}

// The texts of items first..first + count - 1, joined with "|".
inline std::string ItemTexts(Animation& animation, int first, int count) {
    std::string out;
    for (int i = first; i < first + count; ++i) {
        const TextStripItem* item = StripOf(animation).GetItem(i);
        out += (i == first ? "" : "|") + (item != nullptr ? item->text : std::string("?"));
    }
    return out;
}

inline xRGB ItemColour(Animation& animation, int item) {
    return StripOf(animation).GetItem(item)->colours[0];
}

inline xRGB ItemBackground(Animation& animation, int item) {
    return StripOf(animation).GetItem(item)->background;
}
