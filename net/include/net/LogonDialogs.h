#pragma once

// The logon and registration dialogs' behaviour: the logon dialog (101), progress
// (106), the required (109) and optional (110) registration pages and the
// one-field dialog (111). Each dialog is a modeless dialog window over the owner
// (platform/DialogWindow.h) whose procedure runs the flow between the dialogs and
// the exchange with the server; the one shown last is the pump's registered
// dialog. One set exists per process (see StartLogonDialogs).

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "divir/LifeToken.h"
#include "net/LogonExchange.h"
#include "net/SavedPlayers.h"
#include "platform/DialogTemplate.h"
#include "platform/DialogWindow.h"

// A logon dialog's controls, as its window holds them.
using LogonDialogState = platform::DialogState;

class LogonDialogs : public LogonDialogHost {
  public:
    static constexpr int kLogon = 101;
    static constexpr int kProgress = 106;
    static constexpr int kRequired = 109;
    static constexpr int kOptional = 110;
    static constexpr int kOneField = 111;
    static constexpr int kProgressEnd = 120;  // 120000 ms at one tick a 1000 ms
    static constexpr std::uint32_t kProgressTimerMs = 1000;
    static constexpr std::uintptr_t kProgressTimerId = 1;
    // The logon dialog's private messages.
    static constexpr std::uint32_t kRegistrationFormComplete = 2024;
    static constexpr std::uint32_t kRegistered = 2025;
    static constexpr std::uint32_t kUserNameChanged = 2026;

    LogonDialogs(platform::WindowHandle owner, HttpClient& client, LogonCompletion completion,
                 std::intptr_t user, LogonPages pages, platform::Registry& registry);
    ~LogonDialogs() override;

    LogonExchange& Exchange() { return *exchange_; }
    // The controls of the dialog of the id, null when it does not exist.
    LogonDialogState* Find(int dialogId);
    // Its window, null when it does not exist.
    platform::WindowHandle Window(int dialogId) const;

    // A control's command: a button (id 1, 2, 1000 ...), a list's selection change
    // or an edit's change, after the window layer has updated the state.
    void Command(int dialogId, int controlId);
    void SelectionChanged(int dialogId, int controlId);
    void TextChanged(int dialogId, int controlId);
    // A key the dialog handles itself: Tab and Shift-Tab move the focus in tab
    // order, Enter presses the focused button or the default one, Escape cancels,
    // arrows move within a radio group or a list.
    void Key(int dialogId, platform::DialogKey key);
    // A character typed into the focused edit (kept within its limit; 8 erases
    // the last character). The change is reported as an edit change.
    void TypeChar(int dialogId, char c);
    // The progress dialog's timer, once a 1000 ms.
    void ProgressTick();
    // The private message 2024 of the logon dialog.
    void RegistrationComplete();
    // Clears the pump's registration of each of the dialogs.
    void UnregisterLogonDialogs();

    // Removes every dialog and calls the completion callback with 3.
    void CloseAll();

    // LogonDialogHost
    void ShowLogonDialog(int focusId) override;
    void ShowProgressDialog(const std::string& caption) override;
    void DestroyProgressDialog() override;
    void ShowRequiredInfoDialog(int focusId) override;
    void ShowOptionalInfoDialog(int focusId) override;
    bool ShowOneFieldDialog(int mode) override;
    void ClearPasswordField() override;
    bool IsSavePasswordChecked() override;
    // Sent to the logon dialog as its private messages 2025 and 2026.
    void PlayerRegistered() override;
    void UserNameChanged(const std::string& newName) override;
    void CloseLogonDialog() override;

    const std::vector<SavedPlayer>& SavedPlayers() const { return players_; }

  private:
    // Null when the window cannot be made.
    LogonDialogState* Make(int dialogId, const char* title);
    void Destroy(int dialogId);
    void Show(int dialogId, bool show);
    void Register(int dialogId);
    std::intptr_t Procedure(int dialogId, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void DrawLogo(const platform::DrawItemInfo& item);
    void OnPlayerRegistered();
    void OnUserNameChanged(const std::string& newName);
    void CreateLogonDialog();
    void CreateRequiredPage();
    void CreateOptionalPage();
    void OnEnter();
    void OnNext();
    void OnDone();
    void OnOneFieldOk();
    void Focus(int dialogId, int controlId);

    platform::WindowHandle owner_;
    std::unique_ptr<LogonExchange> exchange_;
    platform::Registry& registry_;
    std::map<int, platform::WindowHandle> windows_;
    std::vector<SavedPlayer> players_;
    LifeToken alive_;  // a callback may delete the dialogs
};

// The logon screen's calls. Start returns the dialogs, or null when the logon
// dialog cannot be made; a second start returns the dialogs that exist.
void SetLogonTestMode(bool simulate);
LogonDialogs* StartLogonDialogs(platform::WindowHandle owner, HttpClient& client, LogonCompletion completion,
                                std::intptr_t user, const std::string& unused,
                                const std::string& registerPage, const std::string& validatePage,
                                const std::string& changePage, const std::string& origin,
                                const std::string& version, const std::string& platform,
                                platform::Registry& registry);
void CloseLogonDialogs();
LogonDialogs* CurrentLogonDialogs();
