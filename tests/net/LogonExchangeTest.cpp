#include "net/LogonExchange.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PumpFixture.h"
#include "TestHttpServer.h"
#include "divir/xFile.h"
#include "net/SavedPlayers.h"
#include "platform/RecordingMessageBoxSink.h"
#include "support/TempFolder.h"

namespace {

constexpr std::uint32_t kStop = 0x00042010;  // task-modal, topmost, stop icon
constexpr std::uint32_t kInfo = 0x00042040;  // the same with the information icon

// Stands in for the dialogs: records what the exchange asks of them.
class RecordingDialogs : public LogonDialogHost {
  public:
    void ShowLogonDialog(int focusId) override { calls.push_back("logon " + std::to_string(focusId)); }
    void ShowProgressDialog(const std::string& caption) override { calls.push_back("progress " + caption); }
    void DestroyProgressDialog() override { calls.push_back("end progress"); }
    void ShowRequiredInfoDialog(int focusId) override { calls.push_back("required " + std::to_string(focusId)); }
    void ShowOptionalInfoDialog(int focusId) override { calls.push_back("optional " + std::to_string(focusId)); }
    bool ShowOneFieldDialog(int mode) override {
        calls.push_back("one-field " + std::to_string(mode));
        return oneFieldWorks;
    }
    void ClearPasswordField() override { calls.push_back("clear password"); }
    bool IsSavePasswordChecked() override { return savePassword; }
    void PlayerRegistered() override { calls.push_back("registered"); }
    void UserNameChanged(const std::string& newName) override { calls.push_back("renamed " + newName); }
    void CloseLogonDialog() override { calls.push_back("close logon"); }

    std::vector<std::string> calls;
    bool oneFieldWorks = true;
    bool savePassword = true;
};

struct Completion {
    int code = -1;
    std::optional<LogonResult> result;
};

class LogonExchangeTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        xFileStartup(8);
        server_ = std::make_unique<TestHttpServer>(answers_.Host());
        if (!server_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        client_ = std::make_unique<HttpClient>();
        client_->SetDefaultTimeout(5000);
        SetStep([this] {
            if (client_) client_->Execute();
        });
        registry_ = std::make_unique<platform::Registry>(store_.Host("registry.txt"));
    }
    void TearDown() override {
        SetStep({});
        exchange_.reset();
        client_.reset();
        server_.reset();
        xFileCleanup();
        PumpFixture::TearDown();
    }

    static void Completed(int code, const LogonResult* result, std::intptr_t user) {
        auto* self = reinterpret_cast<LogonExchangeTest*>(user);
        self->completions_.push_back({code, result ? std::optional<LogonResult>(*result) : std::nullopt});
    }

    // A new exchange whose three pages are answered by the named file (or a
    // server script path).
    LogonExchange& Exchange(const std::string& page, bool useServer = true) {
        if (useServer) client_->AddServer("127.0.0.1", server_->port());
        exchange_ = std::make_unique<LogonExchange>(
            dialogs_, *client_, &Completed, reinterpret_cast<std::intptr_t>(this),
            LogonPages{page, page, page, "ORIGIN", "1.2.3.4", "LNX"}, *registry_);
        exchange_->SetClock([] { return 1234567u; });
        exchange_->userName = "Bob";
        exchange_->password = "pw 1";
        return *exchange_;
    }

    std::string Answer(const std::string& body) {
        const std::string name = "answer" + std::to_string(answerCount_++);
        std::ofstream(answers_.Host(name), std::ios::binary) << body;
        return "file/" + name;
    }

    // Pumps until the request is over; the application clock moves stepMs a pass.
    void AwaitReaction(std::uint32_t stepMs = 0) {
        ASSERT_TRUE(PumpUntil([&] {
            if (stepMs != 0) AdvanceAppTime(stepMs);
            return exchange_->GetRequestId() == 0;
        }));
    }

    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& b : sink_.boxes) {
            out.push_back(b.title + "|" + b.text + "|" + (b.style == kInfo ? "info" : b.style == kStop ? "stop" : "?"));
        }
        return out;
    }

    TempFolder answers_;
    TempFolder store_;
    std::unique_ptr<TestHttpServer> server_;
    std::unique_ptr<HttpClient> client_;
    std::unique_ptr<platform::Registry> registry_;
    std::unique_ptr<LogonExchange> exchange_;
    RecordingDialogs dialogs_;
    platform::RecordingMessageBoxSink sink_;
    std::vector<Completion> completions_;
    int answerCount_ = 0;
};

const char* const kUnable =
    "We are unable to process the response from the server.\nPlease try again later.  If this problem "
    "persists,\nplease contact customer support.";
const char* const kTimedOut = "We have timed out waiting for a server response.\nPlease try again later.";
const char* const kContact =
    "We are unable to contact the server at this time.\nMake sure you are connected to the\nInternet and try "
    "again later.";

struct ReactionCase {
    const char* name;
    std::string body;  // the page's answer; empty: the script path below
    const char* path;
    std::vector<std::string> boxes;
    std::vector<std::string> calls;  // after the progress dialog came and went
    int code;                        // -1: no callback
    int mode = -1;
    std::uint32_t stepMs = 0;  // application time a pass while waiting (retries, time-outs)
    std::int32_t timeout = 5000;
};

TEST_F(LogonExchangeTest, LogonReactions) {
    const std::string unknown1 =
        "Login|Unknown response <1> from server.\nPlease try again later.  If this problem persists,\nplease "
        "contact customer support.|stop";
    const ReactionCase cases[] = {
        {"no ids", "result=0\nplayer_name=Bob", nullptr, {std::string("Login|") + kUnable + "|stop"}, {}, 2},
        {"bare result key", "result\n", nullptr, {std::string("Login|") + kUnable + "|stop"}, {}, 2},
        {"garbage", "<html>oops</html>", nullptr, {std::string("Login|") + kUnable + "|stop"}, {}, 2},
        {"cgi", "result=2", nullptr,
         {"Login|We are unable to contact the server data base\nat this time due to a CGI error.\nPlease try again "
          "later.|stop"},
         {}, 2},
        {"not found", "result=5", nullptr,
         {"Login|User Name not found.  If you've never registered before,\nclick the New Member button.|stop"},
         {"logon 1003"}, -1},
        {"wrong password", "result=6", nullptr,
         {"Login|The User Name or Password is incorrect.\nPlease try again.|stop"},
         {"logon 1002", "clear password"}, -1},
        {"exactly 1024 bytes", "result=6\n" + std::string(1015, 'x'), nullptr,
         {"Login|The User Name or Password is incorrect.\nPlease try again.|stop"},
         {"logon 1002", "clear password"}, -1},
        {"new name", "result=8", nullptr, {}, {"one-field 8"}, -1, 8},
        {"banned", "result=10", nullptr,
         {"Login|This user has been BANNED.\nPlease contact customer support if you\nbelieve there has been an "
          "error.|stop"},
         {}, 2},
        {"new e-mail", "result=11", nullptr, {}, {"one-field 11"}, -1, 11},
        {"expired name", "result=12", nullptr,
         {"Login|This User Name no longer belongs to you.\nIt expired due to inactivity, and was given to someone "
          "else.\nPlease register again with a new User Name.|stop"},
         {"logon 1003"}, -1},
        {"missing field", "result=13", nullptr,
         {"Login|We are unable to contact the server data base\nat this time due to a DB error (missing "
          "field).\nPlease try again later.|stop"},
         {}, 2},
        {"bad version", "result=21", nullptr,
         {"Login|We are unable to contact the server data base\nat this time due to a DB error (bad client "
          "version).\nPlease try again later.|stop"},
         {}, 2},
        {"result 1", "result=1\nplayer_id=1\nplayersession_id=2", nullptr, {unknown1}, {}, 2},
        {"cut short", "", "closemid/100", {std::string("Login|") + kContact + "|stop"}, {}, 2, -1, 1000, 120000},
        {"stall", "", "stall/100", {std::string("Login|") + kTimedOut + "|stop"}, {}, 2, -1, 100},
    };
    for (const ReactionCase& c : cases) {
        SCOPED_TRACE(c.name);
        sink_.boxes.clear();
        dialogs_.calls.clear();
        completions_.clear();
        client_->RemoveServers();
        client_->SetDefaultTimeout(c.timeout);
        LogonExchange& exchange = Exchange(c.body.empty() ? c.path : Answer(c.body));
        exchange.SendLogon();
        EXPECT_NE(exchange.GetRequestId(), 0u);
        AwaitReaction(c.stepMs);
        std::vector<std::string> calls{"progress Processing validation", "end progress"};
        calls.insert(calls.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(dialogs_.calls, calls);
        EXPECT_EQ(Boxes(), c.boxes);
        ASSERT_EQ(completions_.size(), c.code < 0 ? 0u : 1u);
        if (c.code >= 0) {
            EXPECT_EQ(completions_[0].code, c.code);
        }
        EXPECT_EQ(exchange.mode, c.mode);
        EXPECT_TRUE(LoadSavedPlayers(*registry_).empty());
    }
}

TEST_F(LogonExchangeTest, ALogonSendsTheFormSavesThePlayerAndHandsOverTheResult) {
    LogonExchange& exchange =
        Exchange(Answer("result=0\nplayer_name=Bobby+B\nplayer_id=123\nplayersession_id=456\nadult=Y%26N\n"));
    exchange.SendLogon();
    AwaitReaction();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(dialogs_.calls,
              (std::vector<std::string>{"progress Processing validation", "end progress", "close logon"}));
    ASSERT_EQ(completions_.size(), 1u);
    EXPECT_EQ(completions_[0].code, 0);
    ASSERT_TRUE(completions_[0].result.has_value());
    EXPECT_EQ(completions_[0].result->playerName, "Bobby B");
    EXPECT_EQ(completions_[0].result->password, "pw 1");
    EXPECT_EQ(completions_[0].result->playerId, 123u);
    EXPECT_EQ(completions_[0].result->playerSessionId, 456u);
    EXPECT_EQ(completions_[0].result->lines, std::vector<std::string>{"adult=Y&N"});
    const auto players = LoadSavedPlayers(*registry_);
    ASSERT_EQ(players.size(), 1u);
    EXPECT_EQ(players[0].name, "Bobby B");
    EXPECT_EQ(players[0].password, "pw 1");
    EXPECT_EQ(players[0].timeStamp, 1234567u);
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& bytes = requests[0].bytes;
    EXPECT_EQ(bytes.substr(bytes.find("\r\n\r\n") + 4),
              "player_name=Bob&password=pw+1&origin_code=ORI&version=1.2.3.4&platform_code=LNX");
}

TEST_F(LogonExchangeTest, ARefusedPortCannotContactTheServer) {
    client_->AddServer("127.0.0.1", 1);
    LogonExchange& exchange = Exchange("validate", false);
    exchange.SendLogon();
    AwaitReaction();
    EXPECT_EQ(Boxes(), std::vector<std::string>{std::string("Login|") + kContact + "|stop"});
    ASSERT_EQ(completions_.size(), 1u);
    EXPECT_EQ(completions_[0].code, 2);
}

TEST_F(LogonExchangeTest, RegistrationReactions) {
    const ReactionCase cases[] = {
        {"registered", "Result=0", nullptr,
         {"Registration|Thank you for registering for Quonza.\nHave fun!|info"},
         {"registered", "logon 1"}, -1},
        {"yours", "Result=1", nullptr, {"Registration|This User Name already belongs to you.|info"}, {"logon 1"}, -1},
        {"taken", "Result=4", nullptr,
         {"Registration|This User Name already belongs to someone else.\nPlease choose a different User Name.|stop"},
         {"required 1003"}, -1},
        {"other password", "Result=6", nullptr,
         {"Registration|This User Name already belongs to you\nwith a different password.|info"}, {"logon 1"}, -1},
        {"db error", "Result=9&Detail=42", nullptr,
         {"Registration|We are unable to contact the server data base\nat this time due to a DB error 42.\nPlease "
          "try again later.|stop"},
         {}, 2},
        {"missing field", "Result=13&Detail=5", nullptr,
         {"Registration|We are unable to process your registration\nat this time due to a DB error (missing field "
          "Zip).\nPlease try again later.|stop"},
         {}, 2},
        {"missing unknown field", "Result=13&Detail=99", nullptr,
         {"Registration|We are unable to process your registration\nat this time due to a DB error (missing field "
          "Unknown field).\nPlease try again later.|stop"},
         {}, 2},
        {"bad speed", "Result=14&Detail=16", nullptr,
         {"Registration|The server data base cannot process your Connect Speed.\nPlease try another value for this "
          "field.|stop"},
         {"optional 1053"}, -1},
        {"bad sex", "Result=14&Detail=6", nullptr,
         {"Registration|The server data base cannot process your Gender.\nPlease try another value for this "
          "field.|stop"},
         {"required 1016"}, -1},
        {"bad notices", "Result=14&Detail=8", nullptr,
         {"Registration|The server data base cannot process your Notices.\nPlease try another value for this "
          "field.|stop",
          "Registration|The server data base cannot process your Notices.|stop"},
         {}, 2},
        {"bad unknown field", "Result=14", nullptr,
         {"Registration|The server data base cannot process your Unknown field.|stop"}, {}, 2},
        {"db exec", "Result=17&Detail=3", nullptr,
         {"Registration|We are unable to contact the server data base\nat this time due to DB Exec error 3.\nPlease "
          "try again later.|stop"},
         {}, 2},
        {"no result", "Detail=3", nullptr, {std::string("Registration|") + kUnable + "|stop"}, {}, 2},
    };
    for (const ReactionCase& c : cases) {
        SCOPED_TRACE(c.name);
        sink_.boxes.clear();
        dialogs_.calls.clear();
        completions_.clear();
        client_->RemoveServers();
        LogonExchange& exchange = Exchange(Answer(c.body));
        exchange.Fields().userName = "Newbie";
        exchange.Fields().city = "Town";
        exchange.userName = "Newbie";
        exchange.SendRegistration();
        AwaitReaction();
        std::vector<std::string> calls{"progress Processing registration", "end progress"};
        calls.insert(calls.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(dialogs_.calls, calls);
        EXPECT_EQ(Boxes(), c.boxes);
        ASSERT_EQ(completions_.size(), c.code < 0 ? 0u : 1u);
        if (c.code >= 0) {
            EXPECT_EQ(completions_[0].code, c.code);
        }
        const bool backToLogon = c.calls.size() > 0 && c.calls.back() == "logon 1";
        EXPECT_EQ(exchange.Fields().city, backToLogon ? "" : "Town") << "fields cleared on the way back";
        const auto players = LoadSavedPlayers(*registry_);
        EXPECT_EQ(players.size(), c.body == "Result=0" ? 1u : 0u);
        if (!players.empty()) DeleteSavedPlayer(*registry_, players[0].name);
    }
}

TEST_F(LogonExchangeTest, ChangeReactions) {
    struct Case {
        const char* name;
        int mode;
        const char* body;
        std::vector<std::string> boxes;
        std::vector<std::string> calls;
        int code;
        int modeAfter;
        const char* savedName;  // the saved player afterwards
    };
    const Case cases[] = {
        {"new name", 8, "Result=0", {}, {"renamed Robert", "logon 1003"}, -1, -1, "Robert"},
        {"new e-mail", 11, "Result=0", {}, {"logon 1003"}, -1, -1, "Bob"},
        {"name taken", 4, "Result=4", {}, {"one-field 4"}, -1, 4, "Bob"},
        {"expired", 12, "Result=12", {}, {"one-field 12"}, -1, 12, "Bob"},
        {"not registered", 8, "Result=5",
         {"Change|The server data base is unable to process the change\nat this time (eResultNotRegistered).|stop"},
         {}, 2, 8, "Bob"},
        {"bad version", 8, "Result=21",
         {"Login|We are unable to contact the server data base\nat this time due to a DB error (bad client "
          "version).\nPlease try again later.|stop"},
         {}, 2, 8, "Bob"},
        {"bad field", 11, "Result=14&Detail=3", {"Change|The server data base cannot process your Email.|stop"}, {},
         2, 11, "Bob"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink_.boxes.clear();
        dialogs_.calls.clear();
        completions_.clear();
        client_->RemoveServers();
        SavePlayer(*registry_, "Bob", "pw 1", true, 5);
        LogonExchange& exchange = Exchange(Answer(c.body));
        exchange.mode = c.mode;
        exchange.newValue = c.mode == 11 ? "bob@example.org" : "Robert";
        exchange.SendChangeRequest();
        AwaitReaction();
        std::vector<std::string> calls{"progress Changing Registration Data", "end progress"};
        calls.insert(calls.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(dialogs_.calls, calls);
        EXPECT_EQ(Boxes(), c.boxes);
        ASSERT_EQ(completions_.size(), c.code < 0 ? 0u : 1u);
        if (c.code >= 0) {
            EXPECT_EQ(completions_[0].code, c.code);
        }
        EXPECT_EQ(exchange.mode, c.modeAfter);
        const auto players = LoadSavedPlayers(*registry_);
        ASSERT_EQ(players.size(), 1u) << "the old name's key goes when the new one comes";
        EXPECT_EQ(players[0].name, c.savedName);
        DeleteSavedPlayer(*registry_, players[0].name);
        const auto requests = server_->Requests();
        ASSERT_FALSE(requests.empty());
        const std::string& bytes = requests.back().bytes;
        EXPECT_EQ(bytes.substr(bytes.find("\r\n\r\n") + 4),
                  c.mode == 11 ? "NameOriginal=Bob&PasswordOriginal=pw+1&Email=bob@example.org&"
                               : "NameOriginal=Bob&PasswordOriginal=pw+1&Name=Robert");
    }
}

TEST_F(LogonExchangeTest, AOneFieldDialogThatCannotBeMadeFails) {
    dialogs_.oneFieldWorks = false;
    LogonExchange& exchange = Exchange(Answer("result=11"));
    exchange.SendLogon();
    AwaitReaction();
    EXPECT_EQ(Boxes(), std::vector<std::string>{
                           "Login|We are unable to create the Get Text dialog.\nPlease try again later.  If this "
                           "problem persists,\nplease contact customer support.|stop"});
    ASSERT_EQ(completions_.size(), 1u);
    EXPECT_EQ(completions_[0].code, 2);
}

TEST_F(LogonExchangeTest, CancelAndExpiryLetTheRequestGo) {
    struct Case {
        bool expire;
        int kind;  // 0 logon, 1 registration, 2 change
        std::vector<std::string> boxes;
        int code;
    };
    const std::string expired =
        "Error|We are unable to contact the server data base\nat this time.  Please try again later.|stop";
    const Case cases[] = {
        {false, 0, {}, -1},
        {false, 1, {}, -1},
        {false, 2, {}, -1},
        {true, 0, {expired}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        sink_.boxes.clear();
        dialogs_.calls.clear();
        completions_.clear();
        client_->RemoveServers();
        LogonExchange& exchange = Exchange("stall/100");
        exchange.Fields().city = "Town";
        exchange.mode = 8;
        if (c.kind == 0) {
            exchange.SendLogon();
        } else if (c.kind == 1) {
            exchange.SendRegistration();
        } else {
            exchange.SendChangeRequest();
        }
        PumpPasses(5);
        if (c.expire) exchange.OnProgressExpired();
        else exchange.OnProgressCancel();
        EXPECT_EQ(exchange.GetRequestId(), 0u);
        EXPECT_EQ(client_->GetOpenRequestCount(), 0u);
        // Nothing reaches the exchange any more, whatever the client does next.
        for (int i = 0; i < 50; ++i) {
            AdvanceAppTime(200);
            PumpOnce();
        }
        EXPECT_EQ(Boxes(), c.boxes);
        ASSERT_EQ(completions_.size(), c.code < 0 ? 0u : 1u);
        if (!c.expire) {
            EXPECT_EQ(dialogs_.calls.back(), "logon 1003");
            EXPECT_EQ(exchange.Fields().city, c.kind == 1 ? "" : "Town");
            EXPECT_EQ(exchange.mode, c.kind == 2 ? -1 : 8);
        }
    }
}

TEST_F(LogonExchangeTest, SimulatedLogonNeverTouchesTheNetwork) {
    LogonExchange& exchange = Exchange("validate", false);
    exchange.SetTestMode(true);
    exchange.SendLogon();
    EXPECT_EQ(client_->GetOpenRequestCount(), 0u);
    ASSERT_EQ(completions_.size(), 1u);
    EXPECT_EQ(completions_[0].code, 0);
    const LogonResult& r = *completions_[0].result;
    EXPECT_EQ(r.playerName, "Bob");
    EXPECT_GE(r.playerId, 9990000u);
    EXPECT_LE(r.playerId, 9990999u);
    EXPECT_GE(r.playerSessionId, 9990000u);
    EXPECT_LE(r.playerSessionId, 9990999u);
    EXPECT_EQ(r.lines, std::vector<std::string>{"adult=1"});
    EXPECT_EQ(dialogs_.calls, std::vector<std::string>{"close logon"});
    EXPECT_EQ(LoadSavedPlayers(*registry_).size(), 1u);
}

}  // namespace
