#pragma once

#include "framework/XAppObject.h"
#include "framework/xRGB.h"
#include "framework/xRect.h"
#include "platform/WinTypes.h"

#include <cstdint>

// The screen palette; a class of the graphics library, passed through here only
// by reference.
class xPalette;

// What the visible tree's root needs of the window's screen canvas. The screen
// canvas lives above this library; it is given to the root through this
// interface (see UIRoot::SetCanvasMaker), and the root owns it.
class RootCanvas : public virtual XAppObject {
  public:
    // The canvas's whole drawing area, in which the root centres its game area.
    virtual xRect GetFrameRect() = 0;
    // The canvas's own palette (the one it shows).
    virtual xPalette* GetPaletteMember() = 0;
    // Fills the frame rectangle with the colour inside a drawing bracket that
    // saves the drawing state (colour, pen, font) and restores it afterwards.
    virtual void FillFrame(const xRGB& colour) = 0;
    // Installs the palette inside a drawing bracket; the screen canvas then
    // tells its receivers that the palette changed.
    virtual void SetPalette(const xPalette& palette) = 0;
    virtual platform::WindowHandle GetWindow() = 0;
    virtual bool IsForeground() = 0;
    // The cursor shown over the window; the change shows at once, without
    // moving the pointer.
    virtual void SetClassCursor(platform::SystemCursor cursor) = 0;
    virtual platform::SystemCursor GetClassCursor() = 0;
};
