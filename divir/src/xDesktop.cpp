#include "divir/xDesktop.h"

#include "platform/DesktopControl.h"
#include "platform/MessageBoxSink.h"
#include "platform/UrlLauncher.h"

namespace {

struct BusyPhase {
    bool screenSaverSwitchedOff = false;
};

BusyPhase& Busy() {
    static BusyPhase phase;
    return phase;
}

std::int16_t& CursorShown() {
    static std::int16_t shown = 1;
    return shown;
}

// Enough steps for any display count a program can build up.
constexpr int kCursorStepsMax = 64;

}  // namespace

void xGripe(platform::WindowHandle /*owner*/, const char* text, const char* caption) {
    if (text == nullptr || caption == nullptr) return;
    using platform::BoxStyle;
    platform::MessageBoxSink::Current().Show(caption, text,
                                             platform::Num(BoxStyle::Ok) | platform::Num(BoxStyle::IconStop));
}

std::int16_t xGripeOkCancel(platform::WindowHandle /*owner*/, const char* text, const char* caption) {
    if (text == nullptr || caption == nullptr) return 1;
    using platform::BoxStyle;
    const platform::BoxAnswer answer = platform::MessageBoxSink::Current().Show(
        caption, text, platform::Num(BoxStyle::OkCancel) | platform::Num(BoxStyle::IconStop));
    return answer == platform::BoxAnswer::Cancel ? 0 : 1;
}

void xBeginBusyPhase() {
    platform::DesktopControl& desktop = platform::DesktopControl::Current();
    if (desktop.IsScreenSaverEnabled()) {
        desktop.SetScreenSaverEnabled(false);
        Busy().screenSaverSwitchedOff = true;
    }
}

void xEndBusyPhase() {
    if (Busy().screenSaverSwitchedOff) {
        platform::DesktopControl::Current().SetScreenSaverEnabled(true);
        Busy().screenSaverSwitchedOff = false;
    }
}

std::int16_t xShowCursor(std::int16_t show) {
    platform::DesktopControl& desktop = platform::DesktopControl::Current();
    const std::int16_t before = CursorShown();
    for (int step = 0; step < kCursorStepsMax; ++step) {
        const int count = desktop.ShowCursor(show != 0);
        if (show != 0 ? count >= 0 : count < 0) break;
    }
    CursorShown() = show != 0 ? 1 : 0;
    return before;
}

void LaunchURL(const char* url) {
    if (url == nullptr || !platform::IsLaunchableUrl(url)) return;
    platform::UrlLauncher::Current().Launch(url);
}
