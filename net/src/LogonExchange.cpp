#include "net/LogonExchange.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "divir/LogonRandom.h"
#include "net/SavedPlayers.h"
#include "platform/MessageBoxSink.h"

namespace {

constexpr const char* kUnableToProcess =
    "We are unable to process the response from the server.\nPlease try again later.  If this problem "
    "persists,\nplease contact customer support.";
constexpr const char* kTimedOut = "We have timed out waiting for a server response.\nPlease try again later.";
constexpr const char* kCannotContact =
    "We are unable to contact the server at this time.\nMake sure you are connected to the\nInternet and try "
    "again later.";
constexpr const char* kCgiError =
    "We are unable to contact the server data base\nat this time due to a CGI error.\nPlease try again later.";
constexpr const char* kBanned =
    "This user has been BANNED.\nPlease contact customer support if you\nbelieve there has been an error.";
constexpr const char* kBadVersion =
    "We are unable to contact the server data base\nat this time due to a DB error (bad client version).\nPlease "
    "try again later.";
constexpr const char* kGetText =
    "We are unable to create the Get Text dialog.\nPlease try again later.  If this problem persists,\nplease "
    "contact customer support.";
constexpr const char* kExpired = "We are unable to contact the server data base\nat this time.  Please try again later.";

std::string Format(const char* format, std::int32_t value) {
    char text[512];
    std::snprintf(text, sizeof text, format, static_cast<int>(value));
    return text;
}

std::string Format(const char* format, const char* value) {
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Unknown(std::int32_t code) {
    return Format(
        "Unknown response <%d> from server.\nPlease try again later.  If this problem persists,\nplease contact "
        "customer support.",
        code);
}

std::string DbError(std::int32_t result, std::int32_t detail) {
    switch (result) {
        case 9:
            return Format("We are unable to contact the server data base\nat this time due to a DB error %d.\nPlease "
                          "try again later.",
                          detail);
        case 15:
            return Format("We are unable to contact the server data base\nat this time due to DB Open error "
                          "%d.\nPlease try again later.",
                          detail);
        case 16:
            return Format("We are unable to contact the server data base\nat this time due to DB Bind error "
                          "%d.\nPlease try again later.",
                          detail);
        default:
            return Format("We are unable to contact the server data base\nat this time due to DB Exec error "
                          "%d.\nPlease try again later.",
                          detail);
    }
}

// The page and control that registration result 14 sends the player back to.
struct FieldPlace {
    bool optional;
    int control;
};
constexpr FieldPlace kFieldPlaces[21] = {
    {false, 0},
    {false, logon_ids::kUserName},
    {false, logon_ids::kPassword},
    {false, logon_ids::kEmail},
    {false, logon_ids::kCountry},
    {false, logon_ids::kPostalCode},
    {false, logon_ids::kSex},
    {false, logon_ids::kAge},
    {false, 0},
    {false, logon_ids::kRealName},
    {false, logon_ids::kAddress},
    {false, logon_ids::kCity},
    {false, logon_ids::kState},
    {true, logon_ids::kProcessor},
    {true, logon_ids::kMemory},
    {true, logon_ids::kMonitor},
    {true, logon_ids::kConnectionSpeed},
    {true, logon_ids::kIncome},
    {true, logon_ids::kOccupation},
    {true, logon_ids::kEducation},
    {true, logon_ids::kHome},
};

}  // namespace

LogonExchange::LogonExchange(LogonDialogHost& dialogs, HttpClient& client, LogonCompletion completion,
                             std::intptr_t user, LogonPages pages, platform::Registry& registry)
    : dialogs_(dialogs),
      client_(client),
      completion_(completion),
      user_(user),
      pages_(std::move(pages)),
      registry_(registry),
      now_([] { return static_cast<std::uint32_t>(std::time(nullptr)); }) {
    pages_.origin = pages_.origin.substr(0, 3);
}

LogonExchange::~LogonExchange() {
    if (requestId_ != 0) {
        client_.Cancel(requestId_);
        client_.ClearResponseCallback();
    }
}

void LogonExchange::Post(Kind kind, const std::string& page, const std::string& body, const char* caption) {
    kind_ = kind;
    playerCancel_ = false;
    dialogs_.ShowProgressDialog(caption);
    client_.SetResponseCallback(&OnResponse, reinterpret_cast<std::intptr_t>(this));
    requestId_ = client_.Post(page, "", body, response_, kResponseSize);
}

void LogonExchange::SendLogon() {
    if (simulate_) {
        // A local answer in the server's form; the network is never touched.
        RandomSeed(now_());
        char id[16];
        char session[16];
        std::snprintf(id, sizeof id, "9990%03d", RandomNext16() % 1000);
        std::snprintf(session, sizeof session, "9990%03d", RandomNext16() % 1000);
        const std::string body = "result=0\nplayer_name=" + userName + "\nplayer_id=" + id +
                                 "\nplayersession_id=" + session + "\nadult=1";
        kind_ = Kind::Logon;
        HandleLogon(body);
        return;
    }
    Post(Kind::Logon, pages_.validatePage, LogonBody(userName, password, pages_.origin, pages_.version, pages_.platform),
         "Processing validation");
}

void LogonExchange::SendRegistration() {
    Post(Kind::Registration, pages_.registerPage, RegistrationBody(fields_), "Processing registration");
}

void LogonExchange::SendChangeRequest() {
    Post(Kind::Change, pages_.changePage, ChangeBody(mode, userName, password, newValue),
         "Changing Registration Data");
}

void LogonExchange::OnProgressCancel() {
    // The client reports nothing for a request it was told to cancel, so the
    // callback and the id are let go here, or later results would still arrive.
    const Kind kind = kind_;
    client_.Cancel(requestId_);
    client_.ClearResponseCallback();
    requestId_ = 0;
    playerCancel_ = true;
    dialogs_.DestroyProgressDialog();
    ReturnAfterCancel(kind);
}

void LogonExchange::OnProgressExpired() {
    client_.Cancel(requestId_);
    client_.ClearResponseCallback();
    requestId_ = 0;
    playerCancel_ = false;
    dialogs_.DestroyProgressDialog();
    Fail("Error", kExpired);
}

void LogonExchange::ReturnAfterCancel(Kind kind) {
    if (kind == Kind::Registration) ClearRegistrationFields();
    if (kind == Kind::Change) mode = -1;
    dialogs_.ShowLogonDialog(logon_ids::kUserName);
}

void LogonExchange::Complete(int code, const LogonResult* result) {
    if (completion_ != nullptr) completion_(code, result, user_);
}

void LogonExchange::Box(const char* title, const std::string& text, bool information) {
    const std::uint32_t style = platform::BoxStyle::TaskModal | platform::BoxStyle::TopMost |
                                static_cast<std::uint32_t>(information ? platform::BoxStyle::IconInformation
                                                                       : platform::BoxStyle::IconStop);
    platform::MessageBoxSink& sink = platform::MessageBoxSink::Current();
    sink.Beep(style);
    sink.Show(title, text, style);
}

void LogonExchange::Fail(const char* title, const std::string& text) {
    Box(title, text);
    Complete(2, nullptr);
}

void LogonExchange::OneField(int newMode, const char* title) {
    mode = newMode;
    if (!dialogs_.ShowOneFieldDialog(newMode)) Fail(title, kGetText);
}

void LogonExchange::Save(const std::string& name) {
    SavePlayer(registry_, name, password, dialogs_.IsSavePasswordChecked(), now_());
}

void LogonExchange::OnResponse(std::int32_t result, std::int32_t /*kind*/, std::uint32_t requestId,
                               std::intptr_t user, std::intptr_t a, std::intptr_t b) {
    reinterpret_cast<LogonExchange*>(user)->HandleResponse(result, requestId, a, b);
}

void LogonExchange::HandleResponse(std::int32_t result, std::uint32_t requestId, std::intptr_t a, std::intptr_t b) {
    if (result == HttpClient::kStarted || result == HttpClient::kReceivedData) return;
    if (requestId != requestId_ && result != HttpClient::kInternalError) return;  // not ours any more
    client_.ClearResponseCallback();
    requestId_ = 0;
    dialogs_.DestroyProgressDialog();
    const char* title = kind_ == Kind::Logon ? "Login" : kind_ == Kind::Registration ? "Registration" : "Change";
    switch (result) {
        case HttpClient::kDone: {
            // The body is read by its length, never past the response buffer.
            const char* data = reinterpret_cast<const char*>(a);
            std::size_t length = b < 0 ? 0 : static_cast<std::size_t>(b);
            if (length > static_cast<std::size_t>(kResponseSize)) length = kResponseSize;
            const std::string_view body(data != nullptr ? data : "", data != nullptr ? length : 0);
            if (kind_ == Kind::Logon) HandleLogon(body);
            else if (kind_ == Kind::Registration) HandleRegistration(body);
            else HandleChange(body);
            return;
        }
        case HttpClient::kCanceled:
            if (playerCancel_) {
                playerCancel_ = false;
                ReturnAfterCancel(kind_);
                return;
            }
            Fail(title, kTimedOut);
            return;
        case HttpClient::kTimedOut:
            Fail(title, kTimedOut);
            return;
        default:
            Fail(title, kCannotContact);
            return;
    }
}

void LogonExchange::HandleLogon(std::string_view body) {
    LogonResponse response = ParseLogonResponse(body);
    if (!response.ok) {
        Fail("Login", kUnableToProcess);
        return;
    }
    switch (response.result) {
        case 0: {
            if (!response.logon.playerName.empty()) userName = response.logon.playerName;
            Save(userName);
            response.logon.password = password;
            // The caller may close the dialogs, and this exchange with them.
            const LifeWatch alive = alive_.Watch();
            Complete(0, &response.logon);
            if (alive.IsAlive()) dialogs_.CloseLogonDialog();
            return;
        }
        case 2:
            Fail("Login", kCgiError);
            return;
        case 5:
            Box("Login", "User Name not found.  If you've never registered before,\nclick the New Member button.");
            dialogs_.ShowLogonDialog(logon_ids::kUserName);
            return;
        case 6:
            Box("Login", "The User Name or Password is incorrect.\nPlease try again.");
            dialogs_.ShowLogonDialog(logon_ids::kPassword);
            dialogs_.ClearPasswordField();
            return;
        case 8:
        case 11:
            OneField(response.result, "Login");
            return;
        case 10:
            Fail("Login", kBanned);
            return;
        case 12:
            Box("Login",
                "This User Name no longer belongs to you.\nIt expired due to inactivity, and was given to someone "
                "else.\nPlease register again with a new User Name.");
            dialogs_.ShowLogonDialog(logon_ids::kUserName);
            return;
        case 13:
            Fail("Login",
                 "We are unable to contact the server data base\nat this time due to a DB error (missing "
                 "field).\nPlease try again later.");
            return;
        case 21:
            Fail("Login", kBadVersion);
            return;
        default:
            Fail("Login", Unknown(response.result));
            return;
    }
}

void LogonExchange::HandleRegistration(std::string_view body) {
    const ResultDetail parsed = ParseResultDetail(body);
    const char* title = "Registration";
    if (!parsed.ok) {
        Fail(title, kUnableToProcess);
        return;
    }
    const char* field = LogonFieldName(parsed.detail);
    const auto backToLogon = [this] {
        dialogs_.ShowLogonDialog(logon_ids::kEnter);
        ClearRegistrationFields();
    };
    switch (parsed.result) {
        case 0:
            Save(userName);
            dialogs_.PlayerRegistered();
            Box(title, "Thank you for registering for Quonza.\nHave fun!", true);
            backToLogon();
            return;
        case 1:
            Box(title, "This User Name already belongs to you.", true);
            backToLogon();
            return;
        case 6:
            Box(title, "This User Name already belongs to you\nwith a different password.", true);
            backToLogon();
            return;
        case 2:
            Fail(title, kCgiError);
            return;
        case 4:
            Box(title, "This User Name already belongs to someone else.\nPlease choose a different User Name.");
            dialogs_.ShowRequiredInfoDialog(logon_ids::kUserName);
            return;
        case 8:
            Box(title, "This User Name is unacceptable.\nPlease choose a different User Name.");
            dialogs_.ShowRequiredInfoDialog(logon_ids::kUserName);
            return;
        case 12:
            Box(title,
                "The User name specified was once yours,\nbut was given to someone else when it became "
                "inactive.\nPlease choose a different User Name.");
            dialogs_.ShowRequiredInfoDialog(logon_ids::kUserName);
            return;
        case 9:
        case 15:
        case 16:
        case 17:
            Fail(title, DbError(parsed.result, parsed.detail));
            return;
        case 10:
            Fail(title, kBanned);
            return;
        case 13:
            Fail(title, Format("We are unable to process your registration\nat this time due to a DB error "
                               "(missing field %s).\nPlease try again later.",
                               field));
            return;
        case 14:
            if (parsed.detail >= 1 && parsed.detail <= 20) {
                Box(title, Format("The server data base cannot process your %s.\nPlease try another value for "
                                  "this field.",
                                  field));
                const FieldPlace place = kFieldPlaces[parsed.detail];
                if (place.control == 0) {
                    Fail(title, Format("The server data base cannot process your %s.", field));
                } else if (place.optional) {
                    dialogs_.ShowOptionalInfoDialog(place.control);
                } else {
                    dialogs_.ShowRequiredInfoDialog(place.control);
                }
                return;
            }
            Fail(title, Format("The server data base cannot process your %s.", field));
            return;
        case 21:
            Fail(title, kBadVersion);
            return;
        default:
            Fail(title, Unknown(parsed.result));
            return;
    }
}

void LogonExchange::HandleChange(std::string_view body) {
    const ResultDetail parsed = ParseResultDetail(body);
    const char* title = "Change";
    if (!parsed.ok) {
        Fail(title, kUnableToProcess);
        return;
    }
    switch (parsed.result) {
        case 0:
            if (mode == 4 || mode == 8 || mode == 12) {
                dialogs_.UserNameChanged(newValue);
                DeleteSavedPlayer(registry_, userName);
                userName = newValue;
                Save(userName);
            }
            mode = -1;
            dialogs_.ShowLogonDialog(logon_ids::kUserName);
            return;
        case 2:
            Fail(title, kCgiError);
            return;
        case 4:
        case 8:
        case 12:
            OneField(parsed.result, parsed.result == 12 ? "Login" : "Change");
            return;
        case 5:
            Fail(title, "The server data base is unable to process the change\nat this time (eResultNotRegistered).");
            return;
        case 6:
            Fail(title, "The server data base is unable to process the change\nat this time (eResultBadPassword).");
            return;
        case 9:
        case 15:
        case 16:
        case 17:
            Fail(title, DbError(parsed.result, parsed.detail));
            return;
        case 10:
            Fail(title, "The server data base is unable to process the change\nat this time (eResultBanned).");
            return;
        case 13:
            Fail(title, Format("We are unable to contact the server data base\nat this time due to a DB error "
                               "(missing field %s).\nPlease try again later.",
                               LogonFieldName(parsed.detail)));
            return;
        case 14:
            Fail(title, Format("The server data base cannot process your %s.", LogonFieldName(parsed.detail)));
            return;
        case 21:
            Fail("Login", kBadVersion);
            return;
        default:
            Fail(title, Unknown(parsed.result));
            return;
    }
}
