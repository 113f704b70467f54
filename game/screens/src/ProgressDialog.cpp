#include "game/screens/ProgressDialog.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "framework/AppTime.h"
#include "framework/MessagePump.h"
#include "platform/DialogWindow.h"
#include "platform/MessageQueue.h"

namespace {

namespace ids = progress_dialog;

struct ProgressDialogData {
    platform::WindowHandle window = nullptr;
    ProgressDialogCallback callback = nullptr;
    std::intptr_t context = 0;
    std::int32_t seconds = 0;  // the time-out, whole seconds
    std::int32_t elapsed = 0;  // seconds of it gone
    std::int32_t total = 0;
    std::int32_t received = 0;
    std::uint32_t startTime = 0;  // application clock, ms
    std::int32_t rate = 0;        // bytes a second
    std::uint32_t lastTextUpdate = 0;
};

ProgressDialogData gProgress;

platform::DialogState* State() {
    return platform::GetDialogState(gProgress.window);
}

void SetText(int controlId, const std::string& text) {
    if (platform::DialogState* s = State()) s->texts[controlId] = text;
}

void SetBar(int position, int end) {
    if (platform::DialogState* s = State()) {
        s->progressEnd = end;
        s->progress = position;
    }
}

void SetBarPosition(int position) {
    if (platform::DialogState* s = State()) s->progress = position;
}

void Callback(int code) {
    if (gProgress.callback != nullptr) gProgress.callback(code, 0, gProgress.context);
}

std::int32_t Clamp32(double v) {
    if (!(v > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (!(v < std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::string BytesText(std::int32_t received, std::int32_t total) {
    return FormatByteCount(received) + " of " + FormatByteCount(total) + " bytes received";
}

void KillTimer(platform::WindowHandle window, std::uintptr_t id) {
    if (platform::MessageQueue* queue = platform::MessageQueue::Current()) queue->KillWindowTimer(window, id);
}

std::intptr_t DownloadProgressDialogProc(platform::WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t /*lParam*/) {
    using platform::Num;
    using platform::WinMsg;
    switch (message) {
        case Num(WinMsg::Destroy):
            KillTimer(window, ids::kShowTimer);
            KillTimer(window, ids::kTimeoutTimer);
            xClearModelessDialog(window);
            return 0;
        case Num(WinMsg::Command): {
            const int command = static_cast<int>(wParam & 0xFFFF);
            if (command != 1 && command != ids::kCancel) return 0;
            // Enter and Escape command 1 and 2 whether or not Cancel is enabled;
            // while it is disabled (a script running, resources loading) nothing
            // may cancel.
            const platform::DialogState* s = platform::GetDialogState(window);
            if (s == nullptr || s->disabled.contains(ids::kCancel)) return 0;
            Callback(1);
            return 0;
        }
        case Num(WinMsg::Timer):
            if (wParam == ids::kShowTimer) {
                KillTimer(window, ids::kShowTimer);
                platform::ShowDialogWindow(window, true);
                // The pump gives it its keys only from now: a hidden dialog takes none.
                xSetModelessDialog(window);
            } else if (wParam == ids::kTimeoutTimer && window == gProgress.window) {
                ProgressDialogTimeoutTick();
            }
            return 0;
        default:
            return 0;
    }
}

// Our own layout of the dialog, in pixels.
platform::DialogTemplate MakeTemplate() {
    using K = platform::DialogControlKind;
    return {ids::kDialogId,
            "Progress",
            376,
            212,
            {
                {ids::kTitle, K::CentredStatic, 14, 14, 348, 16, ""},
                {ids::kStatus, K::CentredStatic, 14, 40, 348, 16, ""},
                {ids::kBar, K::ProgressBar, 14, 72, 348, 18, ""},
                {ids::kTimeLeft, K::Static, 14, 104, 170, 16, ""},
                {ids::kRate, K::RightStatic, 190, 104, 172, 16, ""},
                {ids::kBytes, K::RightStatic, 124, 132, 238, 16, ""},
                {ids::kCancel, K::Button, 138, 168, 100, 28, "Cancel"},
            }};
}

}  // namespace

const platform::DialogTemplate& ProgressDialogTemplate() {
    static const platform::DialogTemplate layout = MakeTemplate();
    return layout;
}

platform::WindowHandle ProgressDialogCreate(platform::WindowHandle parent, ProgressDialogCallback callback,
                                            std::intptr_t context) {
    if (gProgress.window != nullptr) {
        const platform::WindowHandle old = gProgress.window;
        gProgress.window = nullptr;
        platform::DestroyDialogWindow(old);
    }
    gProgress.callback = callback;
    gProgress.context = context;
    const platform::WindowHandle window =
        platform::CreateDialogWindow(ProgressDialogTemplate(), parent, &DownloadProgressDialogProc, 0);
    gProgress.window = window;
    if (window != nullptr) {
        platform::ShowDialogWindow(window, false);
        if (platform::MessageQueue* queue = platform::MessageQueue::Current())
            queue->SetWindowTimer(window, ids::kShowTimer, ids::kShowDelayMs);
    }
    return window;
}

void ProgressDialogDestroy() {
    if (gProgress.window != nullptr) {
        const platform::WindowHandle window = gProgress.window;
        gProgress.window = nullptr;
        platform::DestroyDialogWindow(window);
    }
    const ProgressDialogCallback callback = gProgress.callback;
    const std::intptr_t context = gProgress.context;
    // Whoever made the dialog may be gone by the next destroy.
    gProgress.callback = nullptr;
    gProgress.context = 0;
    if (callback != nullptr) callback(2, 0, context);
}

platform::WindowHandle ProgressDialogWindow() {
    return gProgress.window;
}

void ProgressDialogReset() {
    if (State() == nullptr) return;
    SetText(ids::kTitle, "");
    SetText(ids::kStatus, "");
    SetBar(0, 100);
    SetText(ids::kTimeLeft, "");
    SetText(ids::kRate, "");
    SetText(ids::kBytes, "");
}

void ProgressDialogSetTitle(const std::string& text) {
    SetText(ids::kTitle, text);
}

void ProgressDialogSetStatus(const std::string& text) {
    SetText(ids::kStatus, text);
}

void ProgressDialogEnableCancel() {
    if (platform::DialogState* s = State()) {
        s->disabled.erase(ids::kCancel);
        platform::SetDialogFocus(gProgress.window, ids::kCancel);
    }
}

void ProgressDialogDisableCancel() {
    if (platform::DialogState* s = State()) s->disabled.insert(ids::kCancel);
}

void ProgressDialogStartTimeout(std::int32_t ms) {
    if (State() == nullptr) return;
    gProgress.elapsed = 0;
    gProgress.seconds = Clamp32((std::int64_t{ms} + 999) / 1000);
    SetBar(0, gProgress.seconds);
    if (platform::MessageQueue* queue = platform::MessageQueue::Current())
        queue->SetWindowTimer(gProgress.window, ids::kTimeoutTimer, ids::kTickMs);
}

void ProgressDialogStopTimeout() {
    if (State() == nullptr) return;
    SetBarPosition(gProgress.seconds);
    KillTimer(gProgress.window, ids::kTimeoutTimer);
}

void ProgressDialogTimeoutTick() {
    if (State() == nullptr) return;
    gProgress.elapsed = Clamp32(std::int64_t{gProgress.elapsed} + 1);
    if (gProgress.seconds > gProgress.elapsed) {
        SetBarPosition(gProgress.elapsed);
    } else {
        ProgressDialogStopTimeout();
        Callback(0);
    }
}

void ProgressDialogResetBar() {
    if (State() == nullptr) return;
    SetBar(0, 100);
    SetText(ids::kTimeLeft, "");
    SetText(ids::kRate, "");
    SetText(ids::kBytes, "");
}

void ProgressDialogSetTotal(std::int32_t bytes) {
    if (State() == nullptr) return;
    SetBar(0, 100);
    const std::uint32_t now = GetAppTime();
    gProgress.received = 0;
    gProgress.total = bytes;
    gProgress.startTime = now;
    gProgress.rate = 0;
    gProgress.lastTextUpdate = now - 1000;
    SetText(ids::kTimeLeft, "");
    SetText(ids::kRate, "");
    SetText(ids::kBytes, BytesText(0, bytes));
}

void ProgressDialogAddReceived(std::int32_t bytes) {
    if (State() == nullptr) return;
    const std::uint32_t now = GetAppTime();
    gProgress.received = Clamp32(std::int64_t{gProgress.received} + bytes);
    const std::int32_t received = gProgress.received;
    const std::int32_t total = gProgress.total;
    const std::string bytesText = BytesText(received, total);

    std::string rateText;
    const std::uint32_t elapsed = now - gProgress.startTime;
    if (elapsed > 0 && elapsed < 0x80000000u) {
        gProgress.rate = Clamp32(received / (elapsed * 0.001));
        rateText = FormatByteCount(gProgress.rate) + " bytes/sec.";
    }
    std::string timeText;
    if (total > received && gProgress.rate >= 1) {
        const std::int32_t left = Clamp32((static_cast<double>(total) - received) / gProgress.rate);
        timeText = FormatDuration(left) + " remaining";
    }
    // A total of 0 (or below) never divides: the bar stands full.
    int position = 100;
    if (total > received && total > 0) position = std::clamp(Clamp32(received * 100.0 / total), 0, 100);
    SetBarPosition(position);

    // The texts change at most once a second.
    if (static_cast<std::int32_t>(now - gProgress.lastTextUpdate) >= 1000) {
        if (!bytesText.empty()) SetText(ids::kBytes, bytesText);
        if (!rateText.empty()) SetText(ids::kRate, rateText);
        if (!timeText.empty()) SetText(ids::kTimeLeft, timeText);
        gProgress.lastTextUpdate = now;
    }
}

void ProgressDialogDone() {
    if (State() == nullptr) return;
    SetBarPosition(100);
    SetText(ids::kTimeLeft, "Done");
    SetText(ids::kBytes, BytesText(gProgress.received, gProgress.total));
}

std::string FormatByteCount(std::int32_t n) {
    char text[32];
    if (n < 1000)
        std::snprintf(text, sizeof text, "%d", n);
    else if (n < 10000)
        std::snprintf(text, sizeof text, "%.2fK", n * 0.001);
    else if (n < 100000)
        std::snprintf(text, sizeof text, "%.1fK", n * 0.001);
    else if (n < 1000000)
        std::snprintf(text, sizeof text, "%.0fK", n * 0.001);
    else if (n < 10000000)
        std::snprintf(text, sizeof text, "%.2fM", n * 0.000001);
    else if (n < 100000000)
        std::snprintf(text, sizeof text, "%.1fM", n * 0.000001);
    else
        std::snprintf(text, sizeof text, "%.0fM", n * 0.000001);
    return text;
}

std::string FormatDuration(std::int32_t seconds) {
    char text[32];
    if (seconds == 0) return "0 seconds";
    if (seconds == 1) return "1 second";
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%d seconds", seconds);
        return text;
    }
    const auto minutes = static_cast<std::int32_t>(seconds / 60.0 + 0.5);
    if (minutes == 1) return "1 minute";
    if (minutes < 60) {
        std::snprintf(text, sizeof text, "%d minutes", minutes);
        return text;
    }
    const auto hours = static_cast<std::int32_t>(minutes / 60.0 + 0.5);
    if (hours == 1) return "1 hour";
    std::snprintf(text, sizeof text, "%d hours", hours);
    return text;
}
