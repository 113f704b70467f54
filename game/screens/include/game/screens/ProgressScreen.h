#pragma once

// The screen through which the view drives the download-progress dialog. While
// it is hidden it keeps what it is asked; showing it makes the dialog and hands
// that over; while shown every request goes straight to the dialog. The
// dialog's time-out and Cancel come back as ProgressTimedOutMsg and
// ProgressCanceledMsg to the screen's receivers.

#include <cstdint>
#include <string>

#include "framework/Screen.h"

class ProgressScreen : public Screen {
  public:
    // Made hidden.
    ProgressScreen(UI* parent, std::int32_t layer);
    // A dialog still up goes with the screen.
    ~ProgressScreen() override;

    // Shown, it makes the dialog over the root's window (throws the integer 0
    // when it cannot) and hands it the kept state; hidden, the dialog goes.
    void Show() override;
    void Hide() override;
    // Hides first.
    void Stop() override;

    virtual void Reset();
    virtual void SetTitle(const std::string& text);
    virtual void SetStatus(const std::string& text);
    virtual void EnableCancel();
    virtual void DisableCancel();
    virtual void StartTimeout(std::int32_t ms);
    virtual void StopTimeout();
    virtual void ResetProgressBar();
    virtual void SetProgressTotal(std::int32_t bytes);
    virtual void AddProgress(std::int32_t bytes);
    virtual void ProgressDone();
    virtual void OnDialogDestroyed();

    // What is kept while hidden.
    const std::string& GetTitle() const { return title_; }
    const std::string& GetStatus() const { return status_; }
    bool IsCancelEnabled() const { return cancelEnabled_; }
    std::int32_t GetPendingTimeout() const { return pendingTimeout_; }
    bool IsBarResetPending() const { return barResetPending_; }
    std::int32_t GetTotal() const { return total_; }
    std::int32_t GetReceived() const { return received_; }

  private:
    std::string title_;
    std::string status_;
    bool cancelEnabled_ = true;
    std::int32_t pendingTimeout_ = 0;  // ms, 0 for none
    bool barResetPending_ = true;
    std::int32_t total_ = 0;
    std::int32_t received_ = 0;
};

// The dialog's callback: 0 sends ProgressTimedOutMsg, 1 ProgressCanceledMsg, 2
// runs OnDialogDestroyed; the context is the screen.
void ProgressScreenDialogCallback(int code, int unused, std::intptr_t context);
