#pragma once

// The logon and registration exchange with the registration server's three pages
// (validate, register, change): it posts the forms on the caller's HttpClient,
// reads the answers and reacts as the server's result codes ask: a message box,
// a dialog to return to, a saved player, or the caller's completion callback
// (0 logged on, 1 Exit, 2 failed after its message, 3 closed by the owner).
// The dialogs themselves are behind LogonDialogHost.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "divir/LifeToken.h"
#include "net/HttpClient.h"
#include "net/LogonForm.h"
#include "platform/Registry.h"

// Control ids of the logon and registration dialogs that the exchange focuses.
namespace logon_ids {
inline constexpr int kEnter = 1;
inline constexpr int kUserName = 1003;
inline constexpr int kPassword = 1002;
inline constexpr int kVerifyPassword = 1006;
inline constexpr int kRealName = 1004;
inline constexpr int kEmail = 1005;
inline constexpr int kAddress = 1069;
inline constexpr int kCity = 1009;
inline constexpr int kState = 1010;
inline constexpr int kPostalCode = 1011;
inline constexpr int kCountry = 1012;
inline constexpr int kSex = 1016;
inline constexpr int kAge = 1015;
inline constexpr int kOccupation = 1047;
inline constexpr int kEducation = 1068;
inline constexpr int kIncome = 1049;
inline constexpr int kProcessor = 1050;
inline constexpr int kMemory = 1051;
inline constexpr int kMonitor = 1052;
inline constexpr int kConnectionSpeed = 1053;
inline constexpr int kHome = 1043;
}  // namespace logon_ids

// What the exchange needs of the dialogs.
class LogonDialogHost {
  public:
    virtual ~LogonDialogHost() = default;
    // Destroys the registration pages, shows the logon dialog and focuses the control.
    virtual void ShowLogonDialog(int focusId) = 0;
    virtual void ShowProgressDialog(const std::string& caption) = 0;
    virtual void DestroyProgressDialog() = 0;
    virtual void ShowRequiredInfoDialog(int focusId) = 0;
    virtual void ShowOptionalInfoDialog(int focusId) = 0;
    // The one-field dialog for a new user name (modes 4, 8, 12) or e-mail address
    // (11); false when it could not be made.
    virtual bool ShowOneFieldDialog(int mode) = 0;
    virtual void ClearPasswordField() = 0;
    virtual bool IsSavePasswordChecked() = 0;
    // The "registered" notice: the current player becomes the newest saved one.
    virtual void PlayerRegistered() = 0;
    // The selected saved player is now called newName.
    virtual void UserNameChanged(const std::string& newName) = 0;
    // Removes the logon dialog from the pump and destroys it (after a logon).
    virtual void CloseLogonDialog() = 0;
};

using LogonCompletion = void (*)(int code, const LogonResult* result, std::intptr_t user);

struct LogonPages {
    std::string registerPage;
    std::string validatePage;
    std::string changePage;
    std::string origin;   // cut to 3 characters
    std::string version;  // the client version as display text
    std::string platform;
};

class LogonExchange {
  public:
    static constexpr std::int32_t kResponseSize = 1024;

    // The client, host and registry are borrowed and must outlive the exchange.
    LogonExchange(LogonDialogHost& dialogs, HttpClient& client, LogonCompletion completion, std::intptr_t user,
                  LogonPages pages, platform::Registry& registry);
    ~LogonExchange();
    LogonExchange(const LogonExchange&) = delete;
    LogonExchange& operator=(const LogonExchange&) = delete;

    void SetTestMode(bool simulate) { simulate_ = simulate; }
    // Seconds since 1970 for saved players' time stamps, and the seed of the
    // simulated logon (tests fix it).
    void SetClock(std::function<std::uint32_t()> now) { now_ = std::move(now); }

    // The logon dialog's "Enter" once its fields passed: posts the logon form, or
    // answers locally in test mode.
    void SendLogon();
    // The optional page's "Done": posts the registration form of the stored fields.
    void SendRegistration();
    // The one-field dialog's "OK": posts the change form for the current mode.
    void SendChangeRequest();
    // The progress dialog's "Cancel", and its end after 120 ticks.
    void OnProgressCancel();
    void OnProgressExpired();
    // Calls the completion callback (Exit, close).
    void Complete(int code, const LogonResult* result);
    void ClearRegistrationFields() { fields_ = RegistrationFields(); }

    std::string userName;
    std::string password;
    std::string newValue;
    int mode = -1;
    RegistrationFields& Fields() { return fields_; }
    const LogonPages& Pages() const { return pages_; }
    std::uint32_t GetRequestId() const { return requestId_; }
    bool GetPlayerCancel() const { return playerCancel_; }

  private:
    enum class Kind { Logon, Registration, Change };

    void Post(Kind kind, const std::string& page, const std::string& body, const char* caption);
    static void OnResponse(std::int32_t result, std::int32_t kind, std::uint32_t requestId, std::intptr_t user,
                           std::intptr_t a, std::intptr_t b);
    void HandleResponse(std::int32_t result, std::uint32_t requestId, std::intptr_t a, std::intptr_t b);
    void HandleLogon(std::string_view body);
    void HandleRegistration(std::string_view body);
    void HandleChange(std::string_view body);
    // The reaction to a player's cancel: back to the logon dialog.
    void ReturnAfterCancel(Kind kind);
    void Box(const char* title, const std::string& text, bool information = false);
    void Fail(const char* title, const std::string& text);
    void OneField(int newMode, const char* title);
    void Save(const std::string& name);

    LogonDialogHost& dialogs_;
    HttpClient& client_;
    LogonCompletion completion_;
    std::intptr_t user_;
    LogonPages pages_;
    platform::Registry& registry_;
    RegistrationFields fields_;
    bool simulate_ = false;
    bool playerCancel_ = false;
    Kind kind_ = Kind::Logon;
    std::uint32_t requestId_ = 0;
    char response_[kResponseSize] = {};
    std::function<std::uint32_t()> now_;
    // Ends with the exchange: a callback that deleted it is noticed.
    LifeToken alive_;
};
