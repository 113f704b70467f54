#pragma once

#include "framework/RootAnimationService.h"
#include "framework/RootCanvas.h"
#include "framework/RootNode.h"
#include "framework/RootSoundService.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <memory>

class KeyboardService;

// The root of the visible tree: it owns the screen canvas, the animation, sound
// and keyboard services, covers the 640x480 game area centred in the canvas's
// frame, and controls the window's cursor, background colour and whole-screen
// fills. The view is one, and the only one the program makes.
class UIRoot : public RootNode {
  public:
    // How the root gets the services that live above this library: the
    // graphics and sound libraries each install their maker before the view is
    // made (an empty function uninstalls). Without an animation or sound maker
    // the root gets a service that draws nothing or plays nothing; without a
    // canvas maker no root can be made.
    using CanvasMaker = std::function<std::unique_ptr<RootCanvas>(
        const char* name, std::int32_t depth, std::int32_t width, std::int32_t height, bool fullScreen)>;
    using AnimationServiceMaker = std::function<std::unique_ptr<RootAnimationService>(UIRoot& root)>;
    using SoundServiceMaker = std::function<std::unique_ptr<RootSoundService>(UIRoot& root)>;
    static void SetCanvasMaker(CanvasMaker maker);
    static void SetAnimationServiceMaker(AnimationServiceMaker maker);
    static void SetSoundServiceMaker(SoundServiceMaker maker);

    // The five display arguments go to the screen canvas unchanged.
    UIRoot(const char* name, std::int32_t depth, std::int32_t width, std::int32_t height, bool fullScreen);
    ~UIRoot() override;

    UIRoot(const UIRoot&) = delete;
    UIRoot& operator=(const UIRoot&) = delete;

    // Fills the screen with the background colour and installs the palette.
    virtual void ClearScreen(const xPalette& palette);
    // The screen canvas's own palette.
    virtual xPalette* GetCanvasMember();
    virtual void ShowCursor();
    virtual void HideCursor();
    virtual bool IsCursorShown();
    virtual void SetArrowCursor();
    virtual void SetWaitCursor();
    virtual bool IsArrowCursor();
    virtual bool IsWaitCursor();
    virtual platform::WindowHandle GetWindow();
    virtual bool IsForeground();
    virtual void FillScreen(const xRGB& colour);
    virtual void SetBackgroundColour(const xRGB& colour);
    virtual RootCanvas* GetCanvas();
    virtual RootAnimationService* GetAnimationService();
    virtual RootSoundService* GetSoundService();
    virtual KeyboardService* GetKeyboardService();

  private:
    std::unique_ptr<RootCanvas> canvas_;
    std::unique_ptr<RootAnimationService> animation_;
    std::unique_ptr<RootSoundService> sound_;
    std::unique_ptr<KeyboardService> keyboard_;
    platform::SystemCursor cursor_ = platform::SystemCursor::None;
};
