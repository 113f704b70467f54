#pragma once

#include "media/xOffsetStrip.h"

// The offset strip of the application: adds the rectangle of one part.
class XAppOffsetStrip : public xOffsetStrip {
  public:
    // The part (from 1) moved by the cel rectangle's top-left corner; outside
    // 1..part count, the cel's size.
    virtual xRect GetPartRect(std::int16_t cel, int part);
};
