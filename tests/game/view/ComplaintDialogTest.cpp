// The problem-player dialog worked as a player does, through the scripted
// queue and the dialog layer's own input routing: choosing a player, the
// ignore and complaint boxes, the reasons and the description, OK and Cancel.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "game/model/PictureRoomMsgs.h"
#include "game/view/dialogs/ComplaintDialog.h"
#include "net/PumpFixture.h"
#include "platform/RecordingMessageBoxSink.h"
#include "support/DialogDriver.h"

namespace {

namespace id = complaint_ids;

const platform::WindowHandle kOwner = reinterpret_cast<platform::WindowHandle>(std::uintptr_t{0x2000});

class FakeView : public ComplaintView {
  public:
    const std::string& GetLocalPlayerName() const override { return self; }
    bool IsPlayerIgnored(const std::string& name) override { return ignored.count(name) != 0; }
    void ToggleIgnore(const std::string& name) override {
        toggles.push_back(name);
        if (!ignored.erase(name)) ignored.insert(name);
    }
    void Receive(const Msg& msg, MsgSender* from) override {
        if (const auto* cp = dynamic_cast<const ComplaintRoomMsg*>(&msg)) {
            sent.push_back(cp->GetName() + "|" + std::to_string(cp->GetReason()) + "|" +
                           cp->GetDescription());
            senders.push_back(from);
        }
    }

    std::string self = "Me";
    std::set<std::string> ignored;
    std::vector<std::string> toggles;
    std::vector<std::string> sent;
    std::vector<MsgSender*> senders;
};

class ComplaintDialogTest : public PumpFixture {
  protected:
    void TearDown() override {
        CloseComplaintDialog(false);
        PumpFixture::TearDown();
    }

    // As the control panel does: OK and Cancel close the dialog with report.
    static void Callback(std::int32_t code, std::int32_t zero, void* cookie) {
        auto* self = static_cast<ComplaintDialogTest*>(cookie);
        self->codes_.push_back(code);
        EXPECT_EQ(zero, 0);
        if (code == 0 || code == 1) CloseComplaintDialog(true);
    }

    platform::WindowHandle Open(const std::vector<std::string>& players, bool filtered) {
        return OpenComplaintDialog(kOwner, &Callback, this, cookieSender_, players, filtered, &view_);
    }

    void ServeInput() {
        SetBackground(false);
        platform::WinMessage m;
        for (int guard = 0; guard < 1000 && queue_.Peek(m, 0, 0, false); ++guard) PumpOnce();
        SetBackground(true);
    }

    platform::DialogState& State() { return *platform::GetDialogState(ComplaintDialogWindow()); }
    bool Disabled(int control) { return State().disabled.contains(control); }

    FakeView view_;
    MsgSender* cookieSender_ = reinterpret_cast<MsgSender*>(std::uintptr_t{0x77});
    std::vector<std::int32_t> codes_;
    platform::RecordingMessageBoxSink boxes_;
    DialogDriver driver_{queue_, kOwner, [this] { ServeInput(); }};
};

const std::string kLongName(80, 'z');

}  // namespace

TEST_F(ComplaintDialogTest, OpensSortedWithoutTheLocalPlayerAndEverythingButTheListOff) {
    ASSERT_NE(Open({"Me", "bob", "Al", kLongName}, false), nullptr);
    const platform::DialogState& s = State();
    EXPECT_EQ(s.id, id::kProblemPlayer);
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(s.items.at(id::kPlayers), (std::vector<std::string>{"Al", "bob", kLongName}));
    for (int control = id::kIgnore; control <= id::kDescription; ++control) EXPECT_TRUE(Disabled(control));
    EXPECT_TRUE(s.checks.at(id::kHarassment));
    EXPECT_FALSE(s.checks.at(id::kBadLanguage));
    // A second open does nothing.
    EXPECT_EQ(Open({"Me", "x"}, true), nullptr);
    EXPECT_EQ(State().items.at(id::kPlayers).size(), 3u);
}

TEST_F(ComplaintDialogTest, Flows) {
    struct Row {
        const char* what;
        bool filtered;
        std::vector<std::string> ignoredBefore;
        int choose;  // entry of the sorted list, -1 none
        bool clickIgnore;
        bool complain;
        int reasonClick;          // radio to click, 0 none
        const char* description;  // set as pasted text
        const char* codes;
        const char* toggles;
        const char* sent;
        int boxes;
    };
    const std::string longSent = kLongName + "|2|NONE";
    const Row rows[] = {
        {"nobody chosen", false, {}, -1, false, false, 0, "", "", "", "", 1},
        {"only looking", false, {}, 0, false, false, 0, "", "0,2", "", "", 0},
        {"ignore", false, {}, 1, true, false, 0, "", "0,2", "bob", "", 0},
        {"un-ignore", false, {"Al"}, 0, true, false, 0, "", "0,2", "Al", "", 0},
        {"ignored stays", false, {"Al"}, 0, false, false, 0, "", "0,2", "", "", 0},
        {"harassment preset", false, {}, 1, false, true, 0, "", "0,2", "", "bob|2|NONE", 0},
        {"bad language preset", true, {}, 1, false, true, 0, "rude", "0,2", "", "bob|1|rude", 0},
        {"other", true, {}, 0, false, true, id::kOther, "x", "0,2", "", "Al|3|x", 0},
        {"bad language off outside filtered rooms",
         false,
         {},
         0,
         false,
         true,
         id::kBadLanguage,
         "",
         "0,2",
         "",
         "Al|2|NONE",
         0},
        {"line breaks",
         false,
         {},
         1,
         false,
         true,
         0,
         "one\r\n\r\ntwo\nthree\r",
         "0,2",
         "",
         "bob|2|one two three ",
         0},
        {"a long name whole", false, {}, 2, false, true, 0, "", "0,2", "", longSent.c_str(), 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        codes_.clear();
        view_ = FakeView();
        view_.ignored.insert(r.ignoredBefore.begin(), r.ignoredBefore.end());
        boxes_.boxes.clear();
        const platform::WindowHandle w = Open({"Me", "bob", "Al", kLongName}, r.filtered);
        ASSERT_NE(w, nullptr);
        if (r.choose >= 0) {
            driver_.Choose(w, id::kPlayers, r.choose);
            EXPECT_FALSE(Disabled(id::kIgnore));
            EXPECT_FALSE(Disabled(id::kComplain));
            EXPECT_EQ(State().checks[id::kIgnore], !r.ignoredBefore.empty());
        }
        if (r.clickIgnore) driver_.Click(w, id::kIgnore);
        if (r.complain) {
            driver_.Click(w, id::kComplain);
            EXPECT_EQ(Disabled(id::kBadLanguage), !r.filtered);
            EXPECT_FALSE(Disabled(id::kDescription));
        }
        if (r.reasonClick != 0) driver_.Click(w, r.reasonClick);
        if (*r.description != 0) State().texts[id::kDescription] = r.description;
        driver_.Click(w, platform::kIdOk);
        std::string codes;
        for (std::int32_t c : codes_) codes += (codes.empty() ? "" : ",") + std::to_string(c);
        EXPECT_EQ(codes, r.codes);
        std::string toggles;
        for (const std::string& t : view_.toggles) toggles += t;
        EXPECT_EQ(toggles, r.toggles);
        EXPECT_EQ(view_.sent.empty() ? "" : view_.sent.front(), std::string(r.sent));
        EXPECT_LE(view_.sent.size(), 1u);
        if (!view_.senders.empty()) {
            EXPECT_EQ(view_.senders.front(), cookieSender_);
        }
        EXPECT_EQ(boxes_.boxes.size(), static_cast<std::size_t>(r.boxes));
        if (r.boxes != 0) {
            EXPECT_EQ(boxes_.boxes[0].title, "Problem Player Error");
            EXPECT_EQ(boxes_.boxes[0].text, "Please select a Problem Player from the list.");
            EXPECT_TRUE(IsComplaintDialogOpen());
        } else {
            EXPECT_FALSE(IsComplaintDialogOpen());
        }
        CloseComplaintDialog(false);
    }
}

TEST_F(ComplaintDialogTest, ReselectingKeepsTheIgnoreBox) {
    const platform::WindowHandle w = Open({"Me", "bob", "Al"}, false);
    driver_.Choose(w, id::kPlayers, 1);
    driver_.Click(w, id::kIgnore);
    EXPECT_TRUE(State().checks[id::kIgnore]);
    driver_.Choose(w, id::kPlayers, 1);
    EXPECT_TRUE(State().checks[id::kIgnore]);
    driver_.Click(w, platform::kIdCancel);
    EXPECT_EQ(codes_, (std::vector<std::int32_t>{1, 2}));
    EXPECT_TRUE(view_.toggles.empty());
}

TEST_F(ComplaintDialogTest, NoOneElseInTheRoom) {
    for (const std::vector<std::string>& players :
         {std::vector<std::string>{}, std::vector<std::string>{"Me"}}) {
        codes_.clear();
        const platform::WindowHandle w = Open(players, false);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(State().id, id::kNoOne);
        driver_.Click(w, platform::kIdCancel);
        EXPECT_EQ(codes_, (std::vector<std::int32_t>{1, 2}));
        EXPECT_FALSE(IsComplaintDialogOpen());
    }
}

TEST_F(ComplaintDialogTest, HiddenAndRestoredThenClosedWithoutReport) {
    Open({"Me", "bob"}, false);
    HideComplaintDialog();
    EXPECT_FALSE(State().visible);
    RestoreComplaintDialog();
    EXPECT_TRUE(State().visible);
    CloseComplaintDialog(false);
    EXPECT_FALSE(IsComplaintDialogOpen());
    EXPECT_TRUE(codes_.empty());
}

TEST(ComplaintDescription, RunsOfLineBreaksBecomeOneSpace) {
    EXPECT_EQ(ComplaintDescription(""), "NONE");
    EXPECT_EQ(ComplaintDescription("a\r\nb"), "a b");
    EXPECT_EQ(ComplaintDescription("a\n\n\r\rb"), "a b");
    EXPECT_EQ(ComplaintDescription("\r\n"), " ");
    EXPECT_EQ(ComplaintDescription("PRIVMSG x"), "PRIVMSG x");
}
