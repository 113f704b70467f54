#include "game/screens/LogonScreen.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ScreensFixture.h"
#include "divir/xFile.h"
#include "game/screens/LogonScreenMsgs.h"
#include "net/LogonDialogs.h"
#include "net/SavedPlayers.h"
#include "net/TestHttpServer.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/Registry.h"
#include "resource/Version.h"
#include "support/TempFolder.h"

namespace {

namespace id = logon_ids;
using platform::VirtualKey;

TEST(VersionToTextTest, Forms) {
    const struct {
        std::int32_t parts[4];
        const char* text;
    } cases[] = {
        {{-1, -1, -1, -1}, "<None>"},
        {{1, 2, 3, -1}, "1.2.3"},
        {{1, 2, 3, -2}, "1.2.3.*"},
        {{1, 2, 3, 4}, "1.2.3.4"},
        {{1, -1, 3, 4}, "<Invalid>"},
        {{1, 2, 3, -3}, "<Invalid>"},
        {{0, 0, 0, 0}, "0.0.0.0"},
        {{-1, -1, -1, 0}, "<Invalid>"},
        {{1, 2, -2, 4}, "<Invalid>"},
        {{2147483647, 2147483647, 2147483647, 2147483647}, "2147483647.2147483647.2147483647.2147483647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VersionToText(c.parts[0], c.parts[1], c.parts[2], c.parts[3]), c.text);
    }
}

TEST(LogonAdultFlagTest, TheFirstAdultLineDecidesAndAShortOneIsNotAdult) {
    using Lines = std::vector<std::string>;
    const struct {
        Lines lines;
        bool adult;
    } cases[] = {
        {{}, false},
        {{"email=a@b.c"}, false},
        {{"adult=Y"}, true},
        {{"adult=N"}, false},
        {{"adult:Y"}, true},
        {{"adult=y"}, false},
        {{"adult=1"}, false},
        {{"adult=Y", "adult=N"}, true},
        {{"adult=N", "x=1", "adult=Y"}, false},
        // Shorter than "adult" and its separator: nothing past the end is read.
        {{"adult"}, false},
        {{"adult="}, false},
        {{"adult", "adult=Y"}, false},
        {{"adultY"}, false},
        {{"Adult=Y"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.lines));
        EXPECT_EQ(LogonAdultFlag(c.lines), c.adult);
    }
}

std::string NameOf(const Msg& msg) {
    if (const auto* ok = dynamic_cast<const LogonScreenSucceededMsg*>(&msg))
        return "succeeded " + ok->GetName() + " " + ok->GetOther() + " " +
               std::to_string(ok->GetPlayerId()) + " " + std::to_string(ok->GetSessionId()) +
               (ok->GetAdult() != 0 ? " adult" : " not adult");
    if (msg.Is<LogonScreenCanceledMsg>()) return "canceled";
    return "";
}

class LogonScreenTest : public ScreensFixture {
  public:
    void SetUp() override {
        ScreensFixture::SetUp();
        xFileStartup(8);
        registry_ = std::make_unique<platform::Registry>(store_.Host("registry.txt"));
        screen_ = std::make_unique<LogonScreen>(view_.get(), 0, *registry_);
        screen_->AddReceiver(&journal_);
        screen_->SetProgramId("ZUV");
        screen_->SetOriginCode("ORIGIN");
        screen_->SetVersion(Version(1, 2, 3, 4));
        screen_->SetPlatform("W");
        screen_->SetText2("file/register.cgi");
        screen_->SetText3("file/validate.cgi");
        screen_->SetText4("file/change.cgi");
    }
    void TearDown() override {
        screen_.reset();
        server_.reset();
        xFileCleanup();
        ScreensFixture::TearDown();
    }

    // The registration server: validate.cgi answers with the body.
    bool Serve(const std::string& validateAnswer) {
        std::ofstream(answers_.Host("validate.cgi"), std::ios::binary) << validateAnswer;
        server_ = std::make_unique<TestHttpServer>(answers_.Host());
        if (!server_->Running()) return false;
        screen_->AddServer("127.0.0.1", server_->port());
        return true;
    }

    void StartScreen() {
        screen_->Start();
        ScreensFixture::Serve();
        ASSERT_TRUE(screen_->IsStarted());
        ASSERT_NE(CurrentLogonDialogs(), nullptr);
        ASSERT_NE(Logon(), nullptr);
    }
    platform::WindowHandle Logon() { return CurrentLogonDialogs()->Window(LogonDialogs::kLogon); }

    // As the player does: the offered name erased, a name, Tab, password, Enter.
    void LogOnAs(const std::string& name, const std::string& password) {
        driver_.Type(std::string(12, '\b') + name);
        driver_.Key(VirtualKey::Tab);
        driver_.Type(password);
        driver_.Key(VirtualKey::Return);
    }

    bool AwaitOutcome() {
        return PumpUntil([&] { return !journal_.names.empty(); });
    }

    void StopScreen() {
        screen_->Stop();
        ScreensFixture::Serve();
        EXPECT_TRUE(screen_->IsStopped());
    }

    TempFolder answers_;
    TempFolder store_;
    std::unique_ptr<TestHttpServer> server_;
    std::unique_ptr<platform::Registry> registry_;
    platform::RecordingMessageBoxSink sink_;
    std::unique_ptr<LogonScreen> screen_;
    MsgJournal journal_{&NameOf};
};

TEST_F(LogonScreenTest, ASuccessCarriesTheAdultFlag) {
    const struct {
        const char* extra;  // the answer's lines after the four the exchange reads
        const char* adult;
    } cases[] = {
        {"email=bob%40here.org\nadult=Y\n", "adult"},
        {"adult=N\n", "not adult"},
        {"email=bob%40here.org\n", "not adult"},
        {"adult\n", "not adult"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extra);
        journal_.names.clear();
        if (!Serve(std::string("result=0\nplayer_name=Bobby\nplayer_id=123\nplayersession_id=456\n") +
                   c.extra))
            GTEST_SKIP() << "python3 is missing: no test HTTP server";
        StartScreen();
        LogOnAs("Bob", "secret");
        ASSERT_TRUE(AwaitOutcome());
        EXPECT_EQ(journal_.names,
                  std::vector<std::string>{std::string("succeeded Bobby secret 123 456 ") + c.adult});
        EXPECT_TRUE(sink_.boxes.empty());
        EXPECT_TRUE(screen_->IsStarted()) << "the screen stays until the view moves on";
        const auto requests = server_->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].bytes.rfind("POST /file/validate.cgi ", 0), 0u) << requests[0].bytes;
        EXPECT_NE(requests[0].bytes.find("player_name=Bob&password=secret&origin_code=ORI&version=1.2.3.4"
                                         "&platform_code=W"),
                  std::string::npos)
            << requests[0].bytes;
        StopScreen();
        EXPECT_EQ(journal_.names.size(), 1u) << "the stop sends nothing";
        EXPECT_EQ(CurrentLogonDialogs(), nullptr);
    }
}

TEST_F(LogonScreenTest, ExitIsCanceledAndTheStopStillCompletes) {
    StartScreen();
    driver_.Click(Logon(), 2);  // E&xit
    EXPECT_EQ(journal_.names, std::vector<std::string>{"canceled"});
    StopScreen();
    EXPECT_EQ(journal_.names.size(), 1u);
}

TEST_F(LogonScreenTest, AServerFailureIsShownThenCanceled) {
    if (!Serve("result=0")) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    screen_->SetText3("file/missing.cgi");  // the server has no such page
    StartScreen();
    LogOnAs("Bob", "secret");
    ASSERT_TRUE(AwaitOutcome());
    EXPECT_EQ(journal_.names, std::vector<std::string>{"canceled"});
    ASSERT_EQ(sink_.boxes.size(), 1u);
    EXPECT_EQ(sink_.boxes[0].title, "Login");
    StopScreen();
}

TEST_F(LogonScreenTest, ASimulatedLogonNeedsNoServer) {
    screen_->SetSimulateLogon(true);
    EXPECT_TRUE(screen_->IsSimulateLogon());
    StartScreen();
    LogOnAs("Tester", "secret");
    ASSERT_EQ(journal_.names.size(), 1u);
    EXPECT_EQ(journal_.names[0].rfind("succeeded Tester secret 9990", 0), 0u) << journal_.names[0];
    EXPECT_NE(journal_.names[0].find(" not adult"), std::string::npos) << "its answer says adult=1";
    StopScreen();
}

TEST_F(LogonScreenTest, AStopWhileTheDialogsAreOpenSendsNothing) {
    StartScreen();
    driver_.Type("Bo");
    const platform::WindowHandle logon = Logon();
    StopScreen();
    EXPECT_TRUE(journal_.names.empty());
    EXPECT_FALSE(platform::IsDialogWindow(logon));
    EXPECT_EQ(CurrentLogonDialogs(), nullptr);
    // And again, as the next logon.
    StartScreen();
    StopScreen();
    EXPECT_TRUE(journal_.names.empty());
}

TEST_F(LogonScreenTest, AStopAfterTheDialogsWereClosedElsewhereStillCompletes) {
    StartScreen();
    CloseLogonDialogs();  // code 3 while the screen is not stopping: no stop forced
    EXPECT_TRUE(screen_->IsStarted());
    StopScreen();
    EXPECT_TRUE(journal_.names.empty());
}

TEST_F(LogonScreenTest, ARefusedStartThrowsTheRefusal) {
    platform::MessageQueue::Install(nullptr);  // no dialog can be made
    screen_->Start();
    EXPECT_THROW(ExecutionService::GetInstance().RunExecutables(), int);
    platform::MessageQueue::Install(&queue_);
    EXPECT_FALSE(screen_->IsStarted());
    EXPECT_EQ(CurrentLogonDialogs(), nullptr);
    ASSERT_EQ(sink_.boxes.size(), 1u);
    EXPECT_TRUE(journal_.names.empty());
}

TEST_F(LogonScreenTest, TheScreenMayGoWhileItsDialogsAreOpen) {
    StartScreen();
    const platform::WindowHandle logon = Logon();
    screen_.reset();  // the dialogs used its HTTP client: they go first
    EXPECT_EQ(CurrentLogonDialogs(), nullptr);
    EXPECT_FALSE(platform::IsDialogWindow(logon));
    EXPECT_TRUE(journal_.names.empty());
}

TEST_F(LogonScreenTest, TheVersionIsSentAsText) {
    EXPECT_EQ(screen_->GetVersionText(), "1.2.3.4");
    screen_->SetVersion(Version());
    EXPECT_EQ(screen_->GetVersionText(), "<None>");
    screen_->SetVersion(1, -1, 3, 4);
    EXPECT_EQ(screen_->GetVersionText(), "<Invalid>");
    screen_->SetUserAgent("Vizuzor/1.0");
    EXPECT_EQ(screen_->GetHttpClient().GetUserAgent(), "Vizuzor/1.0");
}

}  // namespace
