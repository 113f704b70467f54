#include "game/screens/ProgressScreen.h"

#include <algorithm>
#include <limits>

#include "framework/UIRoot.h"
#include "game/screens/ProgressDialog.h"
#include "game/screens/ProgressMsgs.h"

ProgressScreen::ProgressScreen(UI* parent, std::int32_t layer) : Screen(parent, layer) {
    // No dialog exists for this screen yet: only the node is hidden.
    Screen::Hide();
}

ProgressScreen::~ProgressScreen() {
    if (IsVisible()) {
        try {
            ProgressScreen::Hide();
        } catch (...) {
        }
    }
}

void ProgressScreen::Show() {
    if (IsVisible()) return;
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    const platform::WindowHandle parent = root != nullptr ? root->GetWindow() : nullptr;
    if (ProgressDialogCreate(parent, &ProgressScreenDialogCallback, reinterpret_cast<std::intptr_t>(this)) ==
        nullptr)
        throw 0;
    ProgressDialogSetTitle(title_);
    ProgressDialogSetStatus(status_);
    if (cancelEnabled_)
        ProgressDialogEnableCancel();
    else
        ProgressDialogDisableCancel();
    if (pendingTimeout_ != 0) {
        ProgressDialogStartTimeout(pendingTimeout_);
        pendingTimeout_ = 0;
    }
    if (barResetPending_) {
        ProgressDialogResetBar();
        barResetPending_ = false;
    }
    if (total_ != 0) ProgressDialogSetTotal(total_);
    if (received_ != 0) ProgressDialogAddReceived(received_);
    Screen::Show();
}

void ProgressScreen::Hide() {
    if (IsVisible()) ProgressDialogDestroy();
    Screen::Hide();
}

void ProgressScreen::Stop() {
    if (IsVisible()) Hide();
    Screen::Stop();
}

void ProgressScreen::Reset() {
    if (IsVisible()) {
        ProgressDialogReset();
        return;
    }
    title_.clear();
    status_.clear();
    cancelEnabled_ = true;
    pendingTimeout_ = 0;
    barResetPending_ = true;
    total_ = 0;
    received_ = 0;
}

void ProgressScreen::SetTitle(const std::string& text) {
    if (IsVisible())
        ProgressDialogSetTitle(text);
    else
        title_ = text;
}

void ProgressScreen::SetStatus(const std::string& text) {
    if (IsVisible())
        ProgressDialogSetStatus(text);
    else
        status_ = text;
}

void ProgressScreen::EnableCancel() {
    if (IsVisible())
        ProgressDialogEnableCancel();
    else
        cancelEnabled_ = true;
}

void ProgressScreen::DisableCancel() {
    if (IsVisible())
        ProgressDialogDisableCancel();
    else
        cancelEnabled_ = false;
}

void ProgressScreen::StartTimeout(std::int32_t ms) {
    if (IsVisible()) {
        ProgressDialogStartTimeout(ms);
        pendingTimeout_ = 0;
    } else {
        pendingTimeout_ = ms;
    }
}

void ProgressScreen::StopTimeout() {
    ProgressDialogStopTimeout();
    pendingTimeout_ = 0;
}

void ProgressScreen::ResetProgressBar() {
    if (IsVisible()) {
        ProgressDialogResetBar();
        barResetPending_ = false;
    } else {
        total_ = 0;
        received_ = 0;
        barResetPending_ = true;
    }
}

void ProgressScreen::SetProgressTotal(std::int32_t bytes) {
    if (IsVisible())
        ProgressDialogSetTotal(bytes);
    else
        total_ = bytes;
}

void ProgressScreen::AddProgress(std::int32_t bytes) {
    if (IsVisible()) {
        ProgressDialogAddReceived(bytes);
    } else {
        const std::int64_t sum = std::int64_t{received_} + bytes;
        received_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(
            sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    }
}

void ProgressScreen::ProgressDone() {
    if (IsVisible()) {
        ProgressDialogDone();
    } else {
        total_ = 0;
        received_ = 0;
    }
}

void ProgressScreen::OnDialogDestroyed() {
    Reset();
}

void ProgressScreenDialogCallback(int code, int /*unused*/, std::intptr_t context) {
    auto* screen = reinterpret_cast<ProgressScreen*>(context);
    if (screen == nullptr) return;
    switch (code) {
        case 0:
            screen->Send(ProgressTimedOutMsg());
            return;
        case 1:
            screen->Send(ProgressCanceledMsg());
            return;
        case 2:
            screen->OnDialogDestroyed();
            return;
        default:
            return;
    }
}
