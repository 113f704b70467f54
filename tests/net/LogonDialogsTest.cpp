#include "net/LogonDialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "PumpFixture.h"
#include "TestHttpServer.h"
#include "divir/xFile.h"
#include "net/LogonDialogData.h"
#include "platform/GameWindow.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/WinTypes.h"
#include "support/DialogDriver.h"
#include "support/TempFolder.h"

namespace {

namespace id = logon_ids;

// The game window the dialogs sit over; no window procedure of its own here.
const platform::WindowHandle kOwner = reinterpret_cast<platform::WindowHandle>(std::uintptr_t{0x1000});

class LogonDialogsTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        xFileStartup(8);
        client_ = std::make_unique<HttpClient>();
        client_->SetDefaultTimeout(5000);
        SetStep([this] {
            if (client_) client_->Execute();
        });
        registry_ = std::make_unique<platform::Registry>(store_.Host("registry.txt"));
        SetLogonTestMode(false);
    }
    void TearDown() override {
        CloseLogonDialogs();
        SetStep({});
        client_.reset();
        server_.reset();
        xFileCleanup();
        PumpFixture::TearDown();
    }

    static void Completed(int code, const LogonResult* /*result*/, std::intptr_t user) {
        auto* self = reinterpret_cast<LogonDialogsTest*>(user);
        self->codes_.push_back(code);
        // As a logon screen may: the dialogs go from inside their own callback.
        if (self->closeOnCallback_ && code != 3) CloseLogonDialogs();
    }

    // Starts a server whose three pages answer with the body.
    bool Serve(const std::string& body) {
        std::ofstream(answers_.Host("answer"), std::ios::binary) << body;
        if (!server_) {
            server_ = std::make_unique<TestHttpServer>(answers_.Host());
            if (!server_->Running()) return false;
            client_->AddServer("127.0.0.1", server_->port());
        }
        return true;
    }

    // registerPage "gated/answer" holds the registration's answer until OpenGate.
    LogonDialogs& Start(const std::string& registerPage = "file/answer") {
        LogonDialogs* d = StartLogonDialogs(
            kOwner, *client_, &Completed, reinterpret_cast<std::intptr_t>(this), "", registerPage,
            "file/answer", "file/answer", "ORIGIN", "1.2.3.4", "LNX", *registry_);
        EXPECT_NE(d, nullptr);
        return *d;
    }

    void OpenGate() { std::ofstream(answers_.Host("answer.open")) << "open"; }

    LogonDialogState& Dialog(int dialogId) {
        LogonDialogState* d = CurrentLogonDialogs()->Find(dialogId);
        EXPECT_NE(d, nullptr) << dialogId;
        static LogonDialogState none;
        return d != nullptr ? *d : none;
    }

    // The pump in the foreground until nothing is pending: what a user's input sets off.
    void ServeInput() {
        SetBackground(false);
        platform::WinMessage m;
        for (int guard = 0; guard < 1000 && queue_.Peek(m, 0, 0, false); ++guard) PumpOnce();
        SetBackground(true);
    }

    platform::WindowHandle Window(int dialogId) { return CurrentLogonDialogs()->Window(dialogId); }

    void AwaitAnswer() {
        ASSERT_TRUE(PumpUntil([&] { return CurrentLogonDialogs()->Exchange().GetRequestId() == 0; }));
    }

    void FillRequired(LogonDialogState& page) {
        page.texts[id::kUserName] = "Newbie";
        page.texts[id::kPassword] = "secret";
        page.texts[id::kVerifyPassword] = "secret";
        page.texts[id::kRealName] = "New Bie";
        page.texts[id::kEmail] = "new@bie.org";
        page.texts[id::kPostalCode] = "12345";
        page.selections[id::kSex] = 1;
        page.selections[id::kAge] = 3;
    }

    TempFolder answers_;
    TempFolder store_;
    std::unique_ptr<TestHttpServer> server_;
    std::unique_ptr<HttpClient> client_;
    std::unique_ptr<platform::Registry> registry_;
    platform::RecordingMessageBoxSink sink_;
    std::vector<int> codes_;
    bool closeOnCallback_ = false;
    DialogDriver driver_{queue_, kOwner, [this] { ServeInput(); }};
};

TEST_F(LogonDialogsTest, TheLogonDialogShowsTheSavedPlayers) {
    {
        LogonDialogs& dialogs = Start();
        LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
        EXPECT_TRUE(logon.items[id::kUserName].empty());
        EXPECT_FALSE(logon.checks[1001]);
        EXPECT_EQ(logon.focus, id::kUserName);
        EXPECT_EQ(&dialogs, &Start()) << "a second start changes nothing";
        CloseLogonDialogs();
        EXPECT_EQ(codes_, std::vector<int>{3});
    }
    SavePlayer(*registry_, "older", "", false, 10);
    SavePlayer(*registry_, "newest", "pw1", true, 30);
    Start();
    LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
    EXPECT_EQ(logon.items[id::kUserName], (std::vector<std::string>{"newest", "older"}));
    EXPECT_EQ(logon.selections[id::kUserName], 0);
    EXPECT_EQ(logon.texts[id::kPassword], "pw1");
    EXPECT_TRUE(logon.checks[1001]);
    EXPECT_EQ(logon.limits[id::kUserName], 12);
    logon.selections[id::kUserName] = 1;
    CurrentLogonDialogs()->SelectionChanged(LogonDialogs::kLogon, id::kUserName);
    EXPECT_EQ(logon.texts[id::kPassword], "");
    EXPECT_FALSE(logon.checks[1001]);
    logon.selections[id::kUserName] = 0;
    CurrentLogonDialogs()->SelectionChanged(LogonDialogs::kLogon, id::kUserName);
    logon.texts[id::kUserName] = "newes";
    CurrentLogonDialogs()->TextChanged(LogonDialogs::kLogon, id::kUserName);
    EXPECT_EQ(logon.texts[id::kPassword], "") << "typing a name empties the password";
}

TEST_F(LogonDialogsTest, EnterChecksTheFieldsThenLogsOn) {
    SetLogonTestMode(true);
    Start();
    LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
    logon.texts[id::kUserName] = "  Bo ";
    logon.texts[id::kPassword] = "secret";
    CurrentLogonDialogs()->Command(LogonDialogs::kLogon, 1);
    ASSERT_EQ(sink_.boxes.size(), 1u);
    EXPECT_EQ(sink_.boxes[0].text,
              "User Name\nThis field is required,\nand must be 3 - 12\ncharacters long.\nNon standard "
              "characters are "
              "not allowed.");
    EXPECT_EQ(logon.focus, id::kUserName);
    logon.texts[id::kUserName] = "  Bob ";
    logon.texts[id::kPassword] = "pw";
    CurrentLogonDialogs()->Command(LogonDialogs::kLogon, 1);
    EXPECT_EQ(logon.focus, id::kPassword);
    logon.texts[id::kPassword] = "secret";
    logon.checks[1001] = true;
    CurrentLogonDialogs()->Command(LogonDialogs::kLogon, 1);
    EXPECT_EQ(codes_, std::vector<int>{0});
    EXPECT_EQ(CurrentLogonDialogs()->Find(LogonDialogs::kLogon), nullptr);
    const auto players = LoadSavedPlayers(*registry_);
    ASSERT_EQ(players.size(), 1u);
    EXPECT_EQ(players[0].name, "Bob");
    EXPECT_EQ(players[0].password, "secret");
}

TEST_F(LogonDialogsTest, TheRequiredPageChecksInOrder) {
    struct Case {
        const char* name;
        int control;  // the field made wrong
        std::string value;
        const char* message;  // the start of the box's text
        int focus;
    };
    const Case cases[] = {
        {"user name", id::kUserName, "ab", "User Name\nThis field is required", id::kUserName},
        {"password", id::kPassword, "", "Password\nThis field is required", id::kPassword},
        {"verify", id::kVerifyPassword, "secreT", "The Password and Verify Password fields do not match.",
         id::kPassword},
        {"real name", id::kRealName, "X", "Real Name\nThis field is required", id::kRealName},
        {"e-mail spaces", id::kEmail, "a b@c.d", "EMail Address\nThis field is required", id::kEmail},
        {"e-mail form", id::kEmail, "abc@.de", "Your EMail Address is not of the form", id::kEmail},
        {"city", id::kCity, std::string(41, 'c'), "City\nThis field is optional", id::kCity},
        {"postal code", id::kPostalCode, "1", "Postal Code\nThis field is required", id::kPostalCode},
        {"sex", id::kSex, "", "Sex is a required field.", id::kSex},
        {"age", id::kAge, "", "Age is a required field.", id::kAge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink_.boxes.clear();
        Start();
        CurrentLogonDialogs()->Command(LogonDialogs::kLogon, 1000);
        LogonDialogState& page = Dialog(LogonDialogs::kRequired);
        EXPECT_EQ(page.focus, id::kUserName);
        EXPECT_EQ(page.items[id::kCountry][static_cast<std::size_t>(page.selections[id::kCountry])],
                  "United States");
        FillRequired(page);
        if (c.control == id::kSex || c.control == id::kAge) {
            page.selections[c.control] = 0;
        } else {
            page.texts[c.control] = c.value;
        }
        CurrentLogonDialogs()->Command(LogonDialogs::kRequired, 1);
        ASSERT_EQ(sink_.boxes.size(), 1u);
        EXPECT_EQ(sink_.boxes[0].title, "Registration");
        EXPECT_EQ(sink_.boxes[0].text.rfind(c.message, 0), 0u) << sink_.boxes[0].text;
        EXPECT_EQ(page.focus, c.focus);
        if (c.control == id::kVerifyPassword) {
            EXPECT_EQ(page.texts[id::kPassword], "");
            EXPECT_EQ(page.texts[id::kVerifyPassword], "");
        }
        CloseLogonDialogs();
    }
}

TEST_F(LogonDialogsTest, ARegistrationBecomesTheFirstSavedPlayer) {
    if (!Serve("Result=0")) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    SavePlayer(*registry_, "old", "oldpw", true, 10);
    Start("gated/answer");
    CurrentLogonDialogs()->Command(LogonDialogs::kLogon, 1000);
    LogonDialogState& page = Dialog(LogonDialogs::kRequired);
    FillRequired(page);
    page.selections[id::kCountry] = 0;
    CurrentLogonDialogs()->Command(LogonDialogs::kRequired, 1);
    EXPECT_EQ(CurrentLogonDialogs()->Find(LogonDialogs::kRequired), nullptr);
    LogonDialogState& optional = Dialog(LogonDialogs::kOptional);
    EXPECT_EQ(optional.focus, id::kOccupation);
    EXPECT_TRUE(optional.checks[id::kHome]);
    optional.selections[id::kConnectionSpeed] = 4;
    optional.checks[id::kHome] = false;
    optional.checks[1045] = true;
    CurrentLogonDialogs()->Command(LogonDialogs::kOptional, 1);
    // "Done" posts the form's completion to the logon dialog.
    EXPECT_EQ(CurrentLogonDialogs()->Find(LogonDialogs::kProgress), nullptr);
    ASSERT_TRUE(PumpUntil([] { return CurrentLogonDialogs()->Find(LogonDialogs::kProgress) != nullptr; }, 5));
    EXPECT_EQ(Dialog(LogonDialogs::kProgress).texts[1065], "Processing registration");
    OpenGate();
    AwaitAnswer();
    ASSERT_EQ(sink_.boxes.size(), 1u);
    EXPECT_EQ(sink_.boxes[0].text, "Thank you for registering for Quonza.\nHave fun!");
    LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
    EXPECT_TRUE(logon.visible);
    EXPECT_EQ(logon.focus, 1);
    EXPECT_EQ(logon.items[id::kUserName], (std::vector<std::string>{"Newbie", "old"}));
    EXPECT_EQ(logon.selections[id::kUserName], 0);
    EXPECT_EQ(logon.texts[id::kPassword], "secret");
    EXPECT_EQ(CurrentLogonDialogs()->Exchange().Fields().userName, "") << "the fields are cleared";
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].bytes.find("&Country=AF&"), std::string::npos);
    EXPECT_NE(requests[0].bytes.find("&Gender=M&Agerange=8&"), std::string::npos);
    EXPECT_NE(requests[0].bytes.find("&ConnectSpeed=4&"), std::string::npos);
    EXPECT_NE(requests[0].bytes.find("&SurfPlace=3"), std::string::npos);
    EXPECT_TRUE(codes_.empty());
}

TEST_F(LogonDialogsTest, TheOneFieldDialogAsksForANewName) {
    if (!Serve("result=8")) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    SavePlayer(*registry_, "Bob", "secret", true, 10);
    Start();
    CurrentLogonDialogs()->Command(LogonDialogs::kLogon, 1);
    AwaitAnswer();
    LogonDialogState& one = Dialog(LogonDialogs::kOneField);
    EXPECT_EQ(one.title, "User Name");
    EXPECT_EQ(one.texts[1073], "This User Name is unacceptable.");
    EXPECT_EQ(one.limits[1072], 12);
    one.texts[1072] = "ab";
    CurrentLogonDialogs()->Command(LogonDialogs::kOneField, 1);
    EXPECT_EQ(one.focus, 1072);
    ASSERT_EQ(sink_.boxes.size(), 1u);
    Serve("Result=0");
    one.texts[1072] = "Robert";
    CurrentLogonDialogs()->Command(LogonDialogs::kOneField, 1);
    EXPECT_EQ(CurrentLogonDialogs()->Find(LogonDialogs::kOneField), nullptr);
    AwaitAnswer();
    LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
    EXPECT_EQ(logon.items[id::kUserName], std::vector<std::string>{"Robert"});
    EXPECT_EQ(logon.texts[id::kUserName], "Robert");
    EXPECT_EQ(logon.focus, id::kUserName);
    const auto players = LoadSavedPlayers(*registry_);
    ASSERT_EQ(players.size(), 1u);
    EXPECT_EQ(players[0].name, "Robert");
    EXPECT_EQ(players[0].password, "secret");
}

TEST_F(LogonDialogsTest, ProgressEndsAfter120TicksOrOnCancel) {
    if (!Serve("unused")) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    for (bool expire : {false, true}) {
        SCOPED_TRACE(expire);
        codes_.clear();
        sink_.boxes.clear();
        LogonDialogs& dialogs = Start();
        LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
        logon.texts[id::kUserName] = "Bob";
        logon.texts[id::kPassword] = "secret";
        // Nothing is pumped, so the answer never arrives in time.
        dialogs.Command(LogonDialogs::kLogon, 1);
        EXPECT_FALSE(logon.visible);
        EXPECT_NE(dialogs.Exchange().GetRequestId(), 0u);
        if (expire) {
            for (int i = 0; i < 119; ++i) dialogs.ProgressTick();
            EXPECT_EQ(Dialog(LogonDialogs::kProgress).progress, 119);
            dialogs.ProgressTick();
            ASSERT_EQ(sink_.boxes.size(), 1u);
            EXPECT_EQ(sink_.boxes[0].title, "Error");
            EXPECT_EQ(codes_, std::vector<int>{2});
        } else {
            dialogs.Command(LogonDialogs::kProgress, 2);
            EXPECT_TRUE(logon.visible);
            EXPECT_EQ(logon.focus, id::kUserName);
            EXPECT_TRUE(codes_.empty());
        }
        EXPECT_EQ(dialogs.Find(LogonDialogs::kProgress), nullptr);
        EXPECT_EQ(dialogs.Exchange().GetRequestId(), 0u);
        CloseLogonDialogs();
    }
}

TEST_F(LogonDialogsTest, KeysMoveTheFocusPressButtonsAndChoose) {
    using platform::DialogKey;
    SavePlayer(*registry_, "older", "", false, 10);
    SavePlayer(*registry_, "newest", "pw1", true, 30);
    LogonDialogs& dialogs = Start();
    LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
    std::vector<int> order;
    for (int i = 0; i < 7; ++i) {
        order.push_back(logon.focus);
        dialogs.Key(LogonDialogs::kLogon, DialogKey::Tab);
    }
    EXPECT_EQ(order, (std::vector<int>{id::kUserName, id::kPassword, 1001, 1, 1000, 2, id::kUserName}));
    dialogs.Key(LogonDialogs::kLogon, DialogKey::ShiftTab);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::ShiftTab);
    EXPECT_EQ(logon.focus, 2);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::ShiftTab);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::ShiftTab);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::ShiftTab);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::ShiftTab);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::ShiftTab);
    EXPECT_EQ(logon.focus, id::kUserName);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::Down);
    EXPECT_EQ(logon.texts[id::kUserName], "older");
    EXPECT_FALSE(logon.checks[1001]);
    dialogs.Key(LogonDialogs::kLogon, DialogKey::Up);
    EXPECT_EQ(logon.texts[id::kPassword], "pw1");

    // Enter on the focused New Member button presses it; Escape cancels the page.
    logon.focus = 1000;
    dialogs.Key(LogonDialogs::kLogon, DialogKey::Enter);
    LogonDialogState& page = Dialog(LogonDialogs::kRequired);
    page.focus = id::kSex;
    dialogs.Key(LogonDialogs::kRequired, DialogKey::Down);
    dialogs.Key(LogonDialogs::kRequired, DialogKey::Down);
    dialogs.Key(LogonDialogs::kRequired, DialogKey::Down);
    EXPECT_EQ(page.selections[id::kSex], 2) << "the list stops at its last entry";
    dialogs.Key(LogonDialogs::kRequired, DialogKey::Escape);
    EXPECT_EQ(dialogs.Find(LogonDialogs::kRequired), nullptr);
    EXPECT_TRUE(logon.visible);

    // Arrows move the check within the radio group.
    logon.focus = 1000;
    dialogs.Key(LogonDialogs::kLogon, DialogKey::Enter);
    FillRequired(Dialog(LogonDialogs::kRequired));
    dialogs.Key(LogonDialogs::kRequired, DialogKey::Enter);
    LogonDialogState& optional = Dialog(LogonDialogs::kOptional);
    optional.focus = id::kHome;
    dialogs.Key(LogonDialogs::kOptional, DialogKey::Right);
    EXPECT_EQ(optional.focus, 1044);
    EXPECT_TRUE(optional.checks[1044]);
    EXPECT_FALSE(optional.checks[id::kHome]);
    dialogs.Key(LogonDialogs::kOptional, DialogKey::Left);
    dialogs.Key(LogonDialogs::kOptional, DialogKey::Left);
    EXPECT_TRUE(optional.checks[1045]) << "the group wraps";
    EXPECT_TRUE(sink_.boxes.empty());
}

TEST_F(LogonDialogsTest, TypingKeepsToTheLimits) {
    SavePlayer(*registry_, "Bob", "pw1", true, 30);
    LogonDialogs& dialogs = Start();
    LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
    for (char c : std::string("erta1234567890")) dialogs.TypeChar(LogonDialogs::kLogon, c);
    EXPECT_EQ(logon.texts[id::kUserName], "Boberta12345") << "12 characters at most";
    EXPECT_EQ(logon.texts[id::kPassword], "") << "typing a name empties the password";
    dialogs.TypeChar(LogonDialogs::kLogon, 8);
    EXPECT_EQ(logon.texts[id::kUserName], "Boberta1234");
    logon.focus = 1001;
    dialogs.TypeChar(LogonDialogs::kLogon, 'x');
    EXPECT_EQ(logon.texts.count(1001), 0u) << "a check box takes no text";
    dialogs.ShowOneFieldDialog(11);
    for (int i = 0; i < 70; ++i) dialogs.TypeChar(LogonDialogs::kOneField, 'a');
    EXPECT_EQ(Dialog(LogonDialogs::kOneField).texts[1072].size(), 60u);
}

TEST_F(LogonDialogsTest, ExitCallsBackWithOne) {
    Start();
    CurrentLogonDialogs()->Command(LogonDialogs::kLogon, 2);
    EXPECT_EQ(codes_, std::vector<int>{1});
    EXPECT_EQ(CurrentLogonDialogs()->Find(LogonDialogs::kLogon), nullptr);
}

TEST_F(LogonDialogsTest, ANewUserRegistersByMouseAndKeyboard) {
    using platform::VirtualKey;
    if (!Serve("Result=0")) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    Start("gated/answer");
    EXPECT_EQ(xModelessDialog, Window(LogonDialogs::kLogon));
    driver_.Click(Window(LogonDialogs::kLogon), 1000);
    const platform::WindowHandle page = Window(LogonDialogs::kRequired);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(xModelessDialog, page) << "the page is the pump's dialog";
    EXPECT_FALSE(Dialog(LogonDialogs::kLogon).visible);
    for (const char* field : {"Newbie", "secret", "secret", "New Bie", "new@bie.org", "", "", ""}) {
        driver_.Type(field);
        driver_.Key(VirtualKey::Tab);
    }
    driver_.Type("12345");
    const int canada = FindLogonCountry("CA");
    driver_.Choose(page, id::kCountry, canada);
    driver_.Alt('X');  // "Se&x"
    EXPECT_EQ(Dialog(LogonDialogs::kRequired).focus, id::kSex);
    driver_.Key(VirtualKey::Down);
    driver_.Choose(page, id::kAge, 3);
    LogonDialogState& required = Dialog(LogonDialogs::kRequired);
    EXPECT_EQ(required.texts[id::kEmail], "new@bie.org");
    EXPECT_EQ(required.texts[id::kPostalCode], "12345");
    driver_.Key(VirtualKey::Return);
    EXPECT_TRUE(sink_.boxes.empty()) << (sink_.boxes.empty() ? "" : sink_.boxes[0].text);
    const platform::WindowHandle optional = Window(LogonDialogs::kOptional);
    ASSERT_NE(optional, nullptr);
    driver_.Choose(optional, id::kOccupation, 30);
    driver_.Click(optional, 1045);  // School
    driver_.Click(optional, 1);     // Done
    ASSERT_NE(CurrentLogonDialogs()->Find(LogonDialogs::kProgress), nullptr);
    EXPECT_EQ(Dialog(LogonDialogs::kProgress).texts[1065], "Processing registration");
    OpenGate();
    AwaitAnswer();
    LogonDialogState& logon = Dialog(LogonDialogs::kLogon);
    EXPECT_TRUE(logon.visible);
    EXPECT_EQ(logon.items[id::kUserName], std::vector<std::string>{"Newbie"});
    EXPECT_EQ(xModelessDialog, Window(LogonDialogs::kLogon));
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].bytes.find("&Country=CA&"), std::string::npos);
    EXPECT_NE(requests[0].bytes.find("&Gender=M&"), std::string::npos);
    EXPECT_NE(requests[0].bytes.find("&SurfPlace=3"), std::string::npos);
    // Then the new player logs on with Enter (answered locally).
    SetLogonTestMode(true);
    driver_.Key(VirtualKey::Return);
    EXPECT_EQ(codes_, std::vector<int>{0});
    EXPECT_EQ(xModelessDialog, nullptr) << "the logon dialog is gone from the pump";
}

TEST_F(LogonDialogsTest, TheProgressBarRunsOnItsWindowTimer) {
    if (!Serve("unused")) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    SetStep({});  // the request never goes out: only the clock runs
    SavePlayer(*registry_, "Bob", "secret", true, 10);
    Start();
    driver_.Click(Window(LogonDialogs::kLogon), 1);
    ASSERT_NE(Window(LogonDialogs::kProgress), nullptr);
    for (int second = 1; second < LogonDialogs::kProgressEnd; ++second) {
        queue_.Advance(LogonDialogs::kProgressTimerMs);
        ServeInput();
    }
    EXPECT_EQ(Dialog(LogonDialogs::kProgress).progress, LogonDialogs::kProgressEnd - 1);
    EXPECT_TRUE(codes_.empty());
    queue_.Advance(LogonDialogs::kProgressTimerMs);
    ServeInput();
    EXPECT_EQ(Window(LogonDialogs::kProgress), nullptr);
    ASSERT_EQ(sink_.boxes.size(), 1u);
    EXPECT_EQ(sink_.boxes[0].title, "Error");
    EXPECT_EQ(codes_, std::vector<int>{2});
    EXPECT_EQ(CurrentLogonDialogs()->Exchange().GetRequestId(), 0u);
}

TEST_F(LogonDialogsTest, TheLogonDialogShowsOverABlackGameWindowWherePlaced) {
    platform::GameWindowDesc desc;
    desc.title = "logon";
    const platform::WindowHandle game = platform::CreateGameWindow(desc);
    if (game == nullptr) GTEST_SKIP() << "no video driver";
    LogonDialogs* dialogs =
        StartLogonDialogs(game, *client_, &Completed, reinterpret_cast<std::intptr_t>(this), "", "p", "p",
                          "p", "ORI", "1", "LNX", *registry_);
    ASSERT_NE(dialogs, nullptr);
    const platform::WindowHandle logon = dialogs->Window(LogonDialogs::kLogon);
    platform::PresentWindow(game);
    platform::Surface frame(640, 480, 32, false);
    ASSERT_TRUE(platform::CopyPresentedFrame(game, frame));
    const platform::DialogPlace at = platform::GetDialogPlace(logon);
    EXPECT_EQ(at.x, (640 - at.width) / 2);
    EXPECT_EQ(at.y, (480 - at.height) / 2);
    const platform::Rgb title{0x0A, 0x24, 0x6A};
    const platform::Rgb face{0xD4, 0xD0, 0xC8};
    const platform::Rgb black{0, 0, 0};
    EXPECT_EQ(frame.PixelColour(at.x + 3, at.y + 3), title);
    EXPECT_EQ(frame.PixelColour(at.x + at.width - 3, at.y + at.height - 3), face);
    EXPECT_EQ(frame.PixelColour(at.x - 1, at.y + 3), black);
    EXPECT_EQ(frame.PixelColour(5, 5), black);
    // The game draws white under the dialog and swaps its palette: the dialog stays.
    platform::ColourTable white{};
    white.fill(platform::Rgb{255, 255, 255});
    platform::SetBackBufferColours(game, white);
    platform::PresentWindow(game);
    ASSERT_TRUE(platform::CopyPresentedFrame(game, frame));
    EXPECT_EQ(frame.PixelColour(5, 5), (platform::Rgb{255, 255, 255}));
    EXPECT_EQ(frame.PixelColour(at.x + 3, at.y + 3), title);
    EXPECT_EQ(frame.PixelColour(at.x + at.width - 3, at.y + at.height - 3), face);
    // Closed, the game's picture is all there is.
    CloseLogonDialogs();
    platform::PresentWindow(game);
    ASSERT_TRUE(platform::CopyPresentedFrame(game, frame));
    EXPECT_EQ(frame.PixelColour(at.x + 3, at.y + 3), (platform::Rgb{255, 255, 255}));
    EXPECT_TRUE(platform::LastPresentStats(game).whole);
    platform::PresentWindow(game);
    EXPECT_EQ(platform::LastPresentStats(game).rectangles, 0) << "nothing left to lay over";
    platform::DestroyGameWindow(game);
}

TEST_F(LogonDialogsTest, TheCallbackMayCloseTheDialogsFromInsideTheirOwnProcedure) {
    closeOnCallback_ = true;
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey);
        codes_.clear();
        Start();
        const platform::WindowHandle logon = Window(LogonDialogs::kLogon);
        if (byKey)
            driver_.Key(platform::VirtualKey::Escape);
        else
            driver_.Click(logon, 2);  // E&xit
        EXPECT_EQ(codes_, (std::vector<int>{1, 3}));
        EXPECT_EQ(CurrentLogonDialogs(), nullptr);
        EXPECT_FALSE(platform::IsDialogWindow(logon));
        EXPECT_EQ(xModelessDialog, nullptr);
    }
}

TEST_F(LogonDialogsTest, ALogonDialogThatCannotBeMadeIsAFailure) {
    // Without a message queue no dialog window can be made.
    platform::MessageQueue::Install(nullptr);
    EXPECT_EQ(StartLogonDialogs(kOwner, *client_, &Completed, reinterpret_cast<std::intptr_t>(this), "", "p", "p",
                                "p", "ORI", "1", "LNX", *registry_),
              nullptr);
    platform::MessageQueue::Install(&queue_);
    ASSERT_EQ(sink_.boxes.size(), 1u);
    EXPECT_EQ(sink_.boxes[0].title, "System Error Message");
    EXPECT_EQ(CurrentLogonDialogs(), nullptr);
    EXPECT_TRUE(codes_.empty());
    EXPECT_NE(StartLogonDialogs(kOwner, *client_, &Completed, reinterpret_cast<std::intptr_t>(this), "", "p", "p",
                                "p", "ORI", "1", "LNX", *registry_),
              nullptr)
        << "a later start can make them";
}

}  // namespace
