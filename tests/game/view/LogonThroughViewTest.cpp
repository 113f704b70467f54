// The logon screen as the game view makes and shows it, against the test HTTP
// server's validate.cgi: the player types a name and a password into the logon
// dialog drawn in the view's window and presses Enter; one POST carries them,
// and the view passes the screen's outcome on to its subscribers (the model).
// A refused password, Exit, a server that is down or fails, and a stop while the
// dialog is open.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RealViewFixture.h"
#include "game/screens/LogonScreen.h"
#include "game/screens/LogonScreenMsgs.h"
#include "game/view/PictureView.h"
#include "net/LogonDialogs.h"
#include "net/LogonExchange.h"
#include "net/TestHttpServer.h"
#include "platform/Registry.h"
#include "resource/Version.h"
#include "support/TempFolder.h"

namespace {

using platform::VirtualKey;

std::string NameOf(const Msg& msg) {
    if (const auto* ok = dynamic_cast<const LogonScreenSucceededMsg*>(&msg))
        return "succeeded " + ok->GetName() + " " + ok->GetOther() + " " + std::to_string(ok->GetPlayerId()) + " " +
               std::to_string(ok->GetSessionId()) + (ok->GetAdult() != 0 ? " adult" : " not adult");
    if (msg.Is<LogonScreenCanceledMsg>()) return "canceled";
    return "";
}

class LogonThroughViewTest : public RealViewFixture {
  public:
    void SetUp() override {
        RealViewFixture::SetUp();
        if (HasFatalFailure()) return;
        ExecutionService::Register();
        SetStep([] { ExecutionService::GetInstance().RunExecutables(); });
        platform::Registry::UseDefaultStore(store_.Host("registry.txt"));
        MakeView();
    }
    void BeforeTearDown() override {
        DropView();
        server_.reset();
    }

    // The view shows its logon screen once in a run: a fresh one for each.
    void MakeView() {
        DropView();
        view_ = std::make_unique<view::PictureView>("Vizuzor", 8, 640, 480, false, true);
        view_->AddReceiver(&heard_);
    }
    void DropView() {
        if (view_) view_->RemoveReceiver(&heard_);
        view_.reset();
    }

    // The demo world's HTTP server over an empty tree: its CGI answers logons.
    bool StartServer(const std::vector<std::string>& faults = {}) {
        std::vector<std::string> args{"--tree", tree_.Host()};
        for (const std::string& f : faults) {
            args.push_back("--fault");
            args.push_back(f);
        }
        tree_.Write("readme.txt", "the logon server\n");
        server_ = std::make_unique<TestHttpServer>("", args);
        return server_->Running();
    }

    // As the model does once the game's resources are loaded.
    void ShowLogon(std::int32_t port) {
        view_->AddLogonServer("127.0.0.1", port);
        view_->ShowLogon("ZUV", "ORIGIN", Version(1, 2, 3, 4), "W", "Vizuzor/1.0", "cgi/register.cgi",
                         "cgi/validate.cgi", "cgi/change.cgi", false);
        Serve();
        ASSERT_TRUE(PumpUntil([&] { return view_->GetLogonScreen()->IsStarted(); }, 200));
        ASSERT_NE(CurrentLogonDialogs(), nullptr);
        ASSERT_NE(Logon(), nullptr);
        EXPECT_TRUE(platform::GetDialogState(Logon())->visible);
    }
    platform::WindowHandle Logon() { return CurrentLogonDialogs()->Window(LogonDialogs::kLogon); }

    // The player: the offered name erased, a name, Tab, the password, Enter.
    void LogOnAs(const std::string& name, const std::string& password) {
        DialogDriver driver = Driver(view_->GetWindow());
        driver.Type(std::string(12, '\b') + name);
        driver.Key(VirtualKey::Tab);
        driver.Type(password);
        driver.Key(VirtualKey::Return);
    }

    bool AwaitOutcome() {
        return PumpUntil([&] { return !heard_.names.empty(); });
    }

    // The POSTs to validate.cgi so far.
    std::vector<std::string> Validations() {
        std::vector<std::string> out;
        for (const auto& r : server_->Requests())
            if (r.bytes.rfind("POST /cgi/validate.cgi ", 0) == 0) out.push_back(r.bytes);
        return out;
    }

    void StopLogon() {
        view_->GetLogonScreen()->Stop();
        ASSERT_TRUE(PumpUntil([&] { return view_->GetLogonScreen()->IsStopped(); }, 200));
        EXPECT_EQ(CurrentLogonDialogs(), nullptr);
    }

    TempFolder tree_;
    TempFolder store_;
    std::unique_ptr<TestHttpServer> server_;
    std::unique_ptr<view::PictureView> view_;
    HeardMsgs heard_{&NameOf};
};

TEST_F(LogonThroughViewTest, TheTypedLogonIsPostedOnceAndTheViewPassesTheSuccessOn) {
    if (!StartServer()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    ShowLogon(server_->port());
    LogOnAs("Bob", "secret");
    ASSERT_TRUE(AwaitOutcome());
    // The server numbers its players from 7001 and their sessions from 99001; its
    // "adult=1" is not an adult's "Y".
    EXPECT_EQ(heard_.names, std::vector<std::string>{"succeeded Bob secret 7001 99001 not adult"});
    EXPECT_TRUE(boxes_.boxes.empty());
    const auto posts = Validations();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_NE(posts[0].find("player_name=Bob&password=secret&origin_code=ORI&version=1.2.3.4&platform_code=W"),
              std::string::npos)
        << posts[0];
    // The server was added before the logon was shown with the program's agent.
    EXPECT_NE(posts[0].find("\r\nUser-Agent: Vizuzor/1.0\r\n"), std::string::npos) << posts[0];
    // The dialog is gone; the screen stays until the view moves on, whose stop
    // completes at once and sends nothing.
    ASSERT_NE(CurrentLogonDialogs(), nullptr);
    EXPECT_EQ(Logon(), nullptr);
    EXPECT_TRUE(view_->GetLogonScreen()->IsStarted());
    StopLogon();
    EXPECT_EQ(heard_.names.size(), 1u);
}

TEST_F(LogonThroughViewTest, ARefusedPasswordIsShownAndTheDialogTakesAnother) {
    if (!StartServer()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    ShowLogon(server_->port());
    LogOnAs("Bob", "wrong");
    ASSERT_TRUE(PumpUntil([&] { return !boxes_.boxes.empty(); }));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].title, "Login");
    EXPECT_EQ(boxes_.boxes[0].text, "The User Name or Password is incorrect.\nPlease try again.");
    EXPECT_TRUE(heard_.names.empty());
    ASSERT_NE(CurrentLogonDialogs(), nullptr);
    const platform::DialogState& state = *platform::GetDialogState(Logon());
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.texts.at(logon_ids::kPassword), "") << "the password is asked again";
    EXPECT_EQ(state.texts.at(logon_ids::kUserName), "Bob");

    DialogDriver driver = Driver(view_->GetWindow());
    driver.Type("secret");
    driver.Key(VirtualKey::Return);
    ASSERT_TRUE(AwaitOutcome());
    EXPECT_EQ(heard_.names, std::vector<std::string>{"succeeded Bob secret 7001 99001 not adult"});
    const auto posts = Validations();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_NE(posts[0].find("player_name=Bob&password=wrong&"), std::string::npos) << posts[0];
    EXPECT_NE(posts[1].find("player_name=Bob&password=secret&"), std::string::npos) << posts[1];
    StopLogon();
}

TEST_F(LogonThroughViewTest, ExitCancelsWithoutAPost) {
    if (!StartServer()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    ShowLogon(server_->port());
    Driver(view_->GetWindow()).Click(Logon(), 2);  // E&xit
    ASSERT_TRUE(AwaitOutcome());
    EXPECT_EQ(heard_.names, std::vector<std::string>{"canceled"});
    EXPECT_TRUE(Validations().empty());
    EXPECT_TRUE(boxes_.boxes.empty());
    StopLogon();
    EXPECT_EQ(heard_.names.size(), 1u);
}

// The server fails or is not there at all: a box, then the screen is canceled.
TEST_F(LogonThroughViewTest, AFailingOrMissingServerIsShownThenCanceled) {
    for (const bool down : {false, true}) {
        SCOPED_TRACE(down ? "down" : "500");
        heard_.names.clear();
        boxes_.boxes.clear();
        MakeView();
        if (!StartServer({"500:cgi/validate.cgi"})) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        // Nobody listens on the first port.
        ShowLogon(down ? 1 : server_->port());
        LogOnAs("Bob", "secret");
        ASSERT_TRUE(AwaitOutcome());
        EXPECT_EQ(heard_.names, std::vector<std::string>{"canceled"});
        ASSERT_EQ(boxes_.boxes.size(), 1u);
        EXPECT_EQ(boxes_.boxes[0].title, "Login");
        // The failing server is asked again by the HTTP client before it gives up.
        if (down) {
            EXPECT_TRUE(Validations().empty());
        } else {
            EXPECT_GE(Validations().size(), 1u);
        }
        StopLogon();
        EXPECT_EQ(heard_.names.size(), 1u);
    }
}

TEST_F(LogonThroughViewTest, AStopWhileTheDialogIsOpenSendsNothing) {
    if (!StartServer()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    ShowLogon(server_->port());
    Driver(view_->GetWindow()).Type("Bo");
    const platform::WindowHandle logon = Logon();
    StopLogon();
    EXPECT_FALSE(platform::IsDialogWindow(logon));
    EXPECT_TRUE(heard_.names.empty());
    EXPECT_TRUE(Validations().empty());
}

}  // namespace
