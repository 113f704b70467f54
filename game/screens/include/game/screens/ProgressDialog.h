#pragma once

// The download-progress dialog (2001): a title, a status line, a bar, the time
// left, the rate, the bytes received and Cancel. One such dialog exists at a
// time; its state is module-wide and every function but Create and Destroy does
// nothing while there is none. It is made hidden and shows itself after 4 s
// (timer 1), so a step that ends sooner shows nothing; a time-out counts whole
// seconds on the bar (timer 2). Both are window timers on the message queue's
// clock; rates and times left are reckoned on the application clock.

#include <cstdint>
#include <string>

#include "platform/DialogTemplate.h"
#include "platform/WinTypes.h"

// Called as (code, 0, context): 0 the time-out ran out, 1 Cancel, 2 the dialog
// was destroyed.
using ProgressDialogCallback = void (*)(int code, int unused, std::intptr_t context);

namespace progress_dialog {
inline constexpr int kDialogId = 2001;
inline constexpr int kBar = 1000;
inline constexpr int kTitle = 1001;
inline constexpr int kStatus = 1002;
inline constexpr int kTimeLeft = 1003;
inline constexpr int kRate = 1004;
inline constexpr int kBytes = 1005;
inline constexpr int kCancel = 2;
inline constexpr std::uintptr_t kShowTimer = 1;
inline constexpr std::uintptr_t kTimeoutTimer = 2;
inline constexpr std::uint32_t kShowDelayMs = 4000;
inline constexpr std::uint32_t kTickMs = 1000;
}  // namespace progress_dialog

const platform::DialogTemplate& ProgressDialogTemplate();

// Null when the window cannot be made (no message queue). A dialog that still
// exists is destroyed first, without a call back.
platform::WindowHandle ProgressDialogCreate(platform::WindowHandle parent, ProgressDialogCallback callback,
                                            std::intptr_t context);
// Destroys the window if there is one, then calls back with 2 (also without a
// window); the callback is forgotten afterwards.
void ProgressDialogDestroy();
// The dialog's window, null when there is none.
platform::WindowHandle ProgressDialogWindow();

void ProgressDialogReset();
void ProgressDialogSetTitle(const std::string& text);
void ProgressDialogSetStatus(const std::string& text);
// Enabled, Cancel takes the keyboard focus. Disabled, neither Cancel nor Enter
// nor Escape cancels.
void ProgressDialogEnableCancel();
void ProgressDialogDisableCancel();
// The bar counts the seconds (rounded up) until the time-out calls back with 0.
void ProgressDialogStartTimeout(std::int32_t ms);
void ProgressDialogStopTimeout();
void ProgressDialogResetBar();
void ProgressDialogSetTotal(std::int32_t bytes);
void ProgressDialogAddReceived(std::int32_t bytes);
void ProgressDialogDone();
// Timer 2's work, once a second.
void ProgressDialogTimeoutTick();

// "999", "1.00K", "12.3K", "123K", "1.23M", "12.3M", "123M" (decimal factors).
std::string FormatByteCount(std::int32_t n);
// "0 seconds", "1 second", "n seconds"; from a minute on, rounded to minutes and
// from an hour on to hours.
std::string FormatDuration(std::int32_t seconds);
