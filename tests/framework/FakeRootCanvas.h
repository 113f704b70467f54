#pragma once

#include "framework/RootCanvas.h"

#include <vector>

// A canvas that records what the root asks of it.
class FakeRootCanvas : public RootCanvas {
  public:
    explicit FakeRootCanvas(xRect frame) : frame_(frame) {}

    xRect GetFrameRect() override { return frame_; }
    // The palette is only ever passed on by address here.
    xPalette* GetPaletteMember() override { return reinterpret_cast<xPalette*>(&palette); }
    void FillFrame(const xRGB& colour) override { fills.push_back(colour); }
    void SetPalette(const xPalette& p) override { installed.push_back(&p); }
    platform::WindowHandle GetWindow() override { return &window; }
    bool IsForeground() override { return foreground; }
    void SetClassCursor(platform::SystemCursor c) override {
        cursor = c;
        ++cursorChanges;
    }
    platform::SystemCursor GetClassCursor() override { return cursor; }

    int palette = 0;
    int window = 0;
    bool foreground = true;
    std::vector<xRGB> fills;
    std::vector<const xPalette*> installed;
    platform::SystemCursor cursor = platform::SystemCursor::Arrow;
    int cursorChanges = 0;

  private:
    xRect frame_;
};
