#include "framework/UIRoot.h"

#include "framework/KeyboardService.h"
#include "framework/NullAnimationService.h"
#include "framework/SilentSoundService.h"

#include <utility>

namespace {

constexpr xRGB kDefaultBackground{0, 0, 0};

struct Makers {
    UIRoot::CanvasMaker canvas;
    UIRoot::AnimationServiceMaker animation;
    UIRoot::SoundServiceMaker sound;
};

Makers& Installed() {
    static Makers makers;
    return makers;
}

}  // namespace

void UIRoot::SetCanvasMaker(CanvasMaker maker) {
    Installed().canvas = std::move(maker);
}

void UIRoot::SetAnimationServiceMaker(AnimationServiceMaker maker) {
    Installed().animation = std::move(maker);
}

void UIRoot::SetSoundServiceMaker(SoundServiceMaker maker) {
    Installed().sound = std::move(maker);
}

UIRoot::UIRoot(const char* name, std::int32_t depth, std::int32_t width, std::int32_t height, bool fullScreen)
    : RootNode({0, 0, 640, 480}) {
    const Makers& makers = Installed();
    if (!makers.canvas) {
        throw 0;
    }
    canvas_ = makers.canvas(name, depth, width, height, fullScreen);
    if (!canvas_) {
        throw 0;
    }
    // A larger full-screen surface shows the game area in its middle.
    xRect area = GetBounds();
    area.CenterIn(canvas_->GetFrameRect());
    SetBounds(area);

    animation_ = makers.animation ? makers.animation(*this) : nullptr;
    if (!animation_) {
        animation_ = std::make_unique<NullAnimationService>();
    }
    sound_ = makers.sound ? makers.sound(*this) : nullptr;
    if (!sound_) {
        sound_ = std::make_unique<SilentSoundService>();
    }
    sound_->Tick();
    keyboard_ = std::make_unique<KeyboardService>();
    SetBackgroundColour(kDefaultBackground);
}

UIRoot::~UIRoot() {
    FillScreen(kDefaultBackground);
    keyboard_.reset();
    sound_.reset();
    animation_.reset();
    canvas_.reset();
}

void UIRoot::ClearScreen(const xPalette& palette) {
    FillScreen(kDefaultBackground);
    canvas_->SetPalette(palette);
}

xPalette* UIRoot::GetCanvasMember() {
    return canvas_->GetPaletteMember();
}

// The cursor calls do not count: one show undoes any number of hides.
void UIRoot::ShowCursor() {
    canvas_->SetClassCursor(cursor_);
}

void UIRoot::HideCursor() {
    canvas_->SetClassCursor(platform::SystemCursor::None);
}

bool UIRoot::IsCursorShown() {
    return canvas_->GetClassCursor() != platform::SystemCursor::None;
}

void UIRoot::SetArrowCursor() {
    cursor_ = platform::SystemCursor::Arrow;
    canvas_->SetClassCursor(cursor_);
}

void UIRoot::SetWaitCursor() {
    cursor_ = platform::SystemCursor::Wait;
    canvas_->SetClassCursor(cursor_);
}

bool UIRoot::IsArrowCursor() {
    return cursor_ == platform::SystemCursor::Arrow;
}

bool UIRoot::IsWaitCursor() {
    return cursor_ == platform::SystemCursor::Wait;
}

platform::WindowHandle UIRoot::GetWindow() {
    return canvas_->GetWindow();
}

bool UIRoot::IsForeground() {
    return canvas_->IsForeground();
}

void UIRoot::FillScreen(const xRGB& colour) {
    canvas_->FillFrame(colour);
}

void UIRoot::SetBackgroundColour(const xRGB& colour) {
    animation_->RedrawAll(colour);
}

RootCanvas* UIRoot::GetCanvas() {
    return canvas_.get();
}

RootAnimationService* UIRoot::GetAnimationService() {
    return animation_.get();
}

RootSoundService* UIRoot::GetSoundService() {
    return sound_.get();
}

KeyboardService* UIRoot::GetKeyboardService() {
    return keyboard_.get();
}
