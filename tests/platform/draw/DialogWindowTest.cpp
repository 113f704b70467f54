// The dialog windows over the scripted queue: input goes in as the system
// delivers it (on the owner window) and comes out at the dialog's procedure as
// commands and notifications, posted messages and window timers.

#include "platform/DialogWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FakeMessageQueue.h"
#include "support/DialogDriver.h"

namespace {

using platform::ControlNotify;
using platform::DialogControlKind;
using platform::Num;
using platform::VirtualKey;
using platform::WindowHandle;
using platform::WinMessage;
using platform::WinMsg;

const WindowHandle kOwner = reinterpret_cast<WindowHandle>(std::uintptr_t{0x2000});

constexpr int kName = 10;
constexpr int kSecret = 11;
constexpr int kCombo = 12;
constexpr int kList = 13;
constexpr int kCheck = 14;
constexpr int kRadioA = 15;
constexpr int kRadioB = 16;
constexpr int kRadioC = 17;
constexpr int kGone = 18;  // a button that destroys its dialog

platform::DialogTemplate Layout() {
    using K = DialogControlKind;
    return {500,
            "Every control",
            400,
            260,
            {
                {-1, K::Static, 10, 10, 80, 22, "&Name:"},
                {kName, K::Edit, 100, 10, 200, 22, ""},
                {kSecret, K::PasswordEdit, 100, 40, 200, 22, ""},
                {kCombo, K::EditableCombo, 100, 70, 200, 22, ""},
                {kList, K::DropList, 100, 100, 200, 22, ""},
                {kCheck, K::CheckBox, 100, 130, 120, 20, "&Keep"},
                {-1, K::GroupBox, 10, 150, 380, 40, "Where"},
                {kRadioA, K::RadioButton, 20, 164, 80, 20, "Home"},
                {kRadioB, K::RadioButton, 110, 164, 80, 20, "Work"},
                {kRadioC, K::RadioButton, 200, 164, 80, 20, "School"},
                {-1, K::ProgressBar, 10, 196, 380, 12, ""},
                {1, K::DefaultButton, 100, 220, 80, 26, "OK"},
                {2, K::Button, 190, 220, 80, 26, "Cancel"},
                {kGone, K::Button, 280, 220, 80, 26, "&Gone"},
            }};
}

struct Seen {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class DialogWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::MessageQueue::Install(&queue_);
        // The game window: whatever reaches it is recorded.
        queue_.RegisterWindow(kOwner, platform::WindowClass{[this](WindowHandle, std::uint32_t m,
                                                                   std::uintptr_t w, std::intptr_t) {
                                                                gameSaw_.push_back({m, w, 0});
                                                                return std::intptr_t{0};
                                                            },
                                                            false});
        dialog_ = Make();
        ASSERT_NE(dialog_, nullptr);
        registered_ = dialog_;
        platform::ShowDialogWindow(dialog_, true);
    }
    void TearDown() override {
        for (WindowHandle h : platform::DialogWindows()) platform::DestroyDialogWindow(h);
        queue_.UnregisterWindow(kOwner);
        platform::MessageQueue::Install(nullptr);
    }

    WindowHandle Make() {
        return platform::CreateDialogWindow(
            Layout(), kOwner,
            [this](WindowHandle self, std::uint32_t m, std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
                saw_.push_back({m, w, l});
                if (m == Num(WinMsg::InitDialog)) {
                    platform::GetDialogState(self)->limits[kName] = 5;
                    for (int i = 0; i < 20; ++i)
                        platform::AddListItem(self, kList,
                                              std::string(1, static_cast<char>('a' + i)) + "-entry");
                }
                if (m == Num(WinMsg::Command) && (w & 0xFFFF) == kGone) {
                    platform::DestroyDialogWindow(self);
                    // The dialog's state is still whole while its procedure runs.
                    saw_.push_back({0xFFFF, 0, 0});
                }
                return 1;
            },
            77);
    }

    // The program's pump: the registered dialog's filter first, else translate and dispatch.
    void Serve() {
        WinMessage m;
        while (queue_.Peek(m, 0, 0, true)) {
            if (queue_.IsDialogMessage(registered_, m)) continue;
            queue_.Translate(m);
            queue_.Dispatch(m);
        }
    }

    std::vector<std::uintptr_t> Commands() const {
        std::vector<std::uintptr_t> out;
        for (const Seen& s : saw_)
            if (s.message == Num(WinMsg::Command)) out.push_back(s.wParam);
        return out;
    }
    static std::uintptr_t Cmd(int id, ControlNotify n = ControlNotify::Clicked) {
        return platform::MakeCommandParam(id, n);
    }
    platform::DialogState& State() { return *platform::GetDialogState(dialog_); }

    platform::FakeMessageQueue queue_;
    WindowHandle dialog_ = nullptr;
    WindowHandle registered_ = nullptr;
    std::vector<Seen> saw_;
    std::vector<Seen> gameSaw_;
    DialogDriver driver_{queue_, kOwner, [this] { Serve(); }};
};

TEST_F(DialogWindowTest, InitialisesAndWalksTheTabOrder) {
    ASSERT_FALSE(saw_.empty());
    EXPECT_EQ(saw_[0].message, Num(WinMsg::InitDialog));
    EXPECT_EQ(saw_[0].lParam, 77);
    std::vector<int> order;
    for (int i = 0; i < 11; ++i) {
        order.push_back(State().focus);
        driver_.Key(VirtualKey::Tab);
    }
    EXPECT_EQ(order, (std::vector<int>{kName, kSecret, kCombo, kList, kCheck, kRadioA, kRadioB, kRadioC, 1, 2,
                                       kGone}));
    EXPECT_EQ(State().focus, kName) << "the order wraps";
    driver_.Key(VirtualKey::Tab, true);
    EXPECT_EQ(State().focus, kGone) << "Shift-Tab goes back";
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(gameSaw_.empty()) << "the active dialog takes the keys";
}

TEST_F(DialogWindowTest, EnterGivesTheFocusedOrDefaultButtonAndEscapeCancels) {
    driver_.Key(VirtualKey::Return);
    platform::SetDialogFocus(dialog_, 2);
    driver_.Key(VirtualKey::Return);
    platform::SetDialogFocus(dialog_, kName);
    driver_.Key(VirtualKey::Escape);
    EXPECT_EQ(Commands(), (std::vector<std::uintptr_t>{Cmd(1), Cmd(2), Cmd(2)}));

    // Without the pump's registration the dialog has no keyboard handling of its own.
    registered_ = nullptr;
    saw_.clear();
    driver_.Key(VirtualKey::Return);
    driver_.Key(VirtualKey::Tab);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(State().focus, kName);
}

TEST_F(DialogWindowTest, ADisabledButtonTakesNoInputButEnterAndEscapeStillCommand) {
    State().disabled.insert(2);
    State().disabled.insert(kGone);
    driver_.Click(dialog_, 2);
    EXPECT_TRUE(Commands().empty()) << "a click on a disabled button does nothing";
    EXPECT_NE(State().focus, 2);
    platform::SetDialogFocus(dialog_, 1);
    driver_.Key(VirtualKey::Tab);
    EXPECT_EQ(State().focus, kName) << "Tab passes the disabled buttons by";
    driver_.Key(VirtualKey::Tab, true);
    EXPECT_EQ(State().focus, 1);
    platform::SetDialogFocus(dialog_, 2);
    driver_.Key(VirtualKey::Space);
    driver_.Alt('G');
    EXPECT_TRUE(Commands().empty()) << "neither Space nor its letter presses it";
    // As the system's dialogs do: Enter goes to the default button and Escape
    // still commands IDCANCEL; the procedure decides what they mean.
    driver_.Key(VirtualKey::Return);
    driver_.Key(VirtualKey::Escape);
    EXPECT_EQ(Commands(), (std::vector<std::uintptr_t>{Cmd(1), Cmd(2)}));
    const platform::DialogControl cancel{2, DialogControlKind::Button, 0, 0, 10, 10, "Cancel"};
    EXPECT_TRUE(platform::DialogViewOf(State(), cancel).disabled);
    State().disabled.erase(2);
    driver_.Click(dialog_, 2);
    EXPECT_EQ(Commands().back(), Cmd(2));
    EXPECT_FALSE(platform::DialogViewOf(State(), cancel).disabled);
}

TEST_F(DialogWindowTest, TypingKeepsTheLimitAndTheCaretFollowsClicks) {
    driver_.Click(dialog_, kName);
    driver_.Type("abcdefgh");
    EXPECT_EQ(State().texts[kName], "abcde") << "the limit is 5";
    // A click between "ab" and "cde" puts the caret there (7 pixels a character headless).
    driver_.Click(dialog_, kName, 4 + 2 * platform::kDialogFallbackCharWidth + 1);
    driver_.Key(VirtualKey::Back);  // its character comes from the key
    driver_.Type("X");
    EXPECT_EQ(State().texts[kName], "aXcde");
    driver_.Key(VirtualKey::Home);
    driver_.Key(VirtualKey::Delete);
    EXPECT_EQ(State().texts[kName], "Xcde");
    int changes = 0;
    for (std::uintptr_t c : Commands()) changes += c == Cmd(kName, ControlNotify::EditChange) ? 1 : 0;
    EXPECT_EQ(changes, 5 + 3) << "five characters taken, a backspace, one more, a delete";

    driver_.Click(dialog_, kSecret);
    driver_.Type("pw");
    EXPECT_EQ(State().texts[kSecret], "pw");
    EXPECT_EQ(platform::DialogViewOf(State(), *platform::FindDialogControl(Layout(), kSecret)).caret, 2);
}

TEST_F(DialogWindowTest, TheComboListsAndNotifies) {
    platform::AddListItem(dialog_, kCombo, "bob");
    platform::AddListItem(dialog_, kCombo, "carol");
    platform::InsertListItem(dialog_, kCombo, 0, "alice");
    platform::SelectListItem(dialog_, kCombo, 1);
    EXPECT_EQ(State().texts[kCombo], "bob");
    platform::InsertListItem(dialog_, kCombo, 0, "zed");
    EXPECT_EQ(State().selections[kCombo], 2) << "the selection moves with its entry";
    platform::DeleteListItem(dialog_, kCombo, 0);
    EXPECT_EQ(State().items[kCombo], (std::vector<std::string>{"alice", "bob", "carol"}));
    EXPECT_EQ(State().selections[kCombo], 1);

    driver_.Choose(dialog_, kCombo, 2);
    EXPECT_EQ(State().texts[kCombo], "carol");
    EXPECT_EQ(State().dropOpen, 0);
    driver_.Type("s");
    EXPECT_EQ(State().texts[kCombo], "carols");
    driver_.Key(VirtualKey::Up);
    EXPECT_EQ(State().texts[kCombo], "bob");
    EXPECT_EQ(Commands(), (std::vector<std::uintptr_t>{Cmd(kCombo, ControlNotify::ComboSelChange),
                                                       Cmd(kCombo, ControlNotify::ComboEditChange),
                                                       Cmd(kCombo, ControlNotify::ComboSelChange)}));
}

TEST_F(DialogWindowTest, TheDropListScrollsAndTypesAhead) {
    driver_.Choose(dialog_, kList, 17);
    EXPECT_EQ(State().selections[kList], 17);
    EXPECT_EQ(platform::DialogViewOf(State(), *platform::FindDialogControl(Layout(), kList)).text, "r-entry");
    driver_.Choose(dialog_, kList, 0);
    EXPECT_EQ(State().selections[kList], 0);
    // A click beside the open list closes it and chooses nothing.
    driver_.Click(dialog_, kList);
    EXPECT_EQ(State().dropOpen, kList);
    const platform::DialogPlace place = platform::GetDialogPlace(dialog_);
    driver_.ClickAt(place.x + 5, place.y + 30);
    EXPECT_EQ(State().dropOpen, 0);
    EXPECT_EQ(State().selections[kList], 0);
    driver_.Click(dialog_, kList);
    driver_.Key(VirtualKey::Escape);
    EXPECT_EQ(State().dropOpen, 0) << "Escape closes the list and cancels nothing";
    EXPECT_EQ(Commands().size(), 2u);
    driver_.Type("m");
    EXPECT_EQ(State().selections[kList], 12);
    driver_.Type("M");
    EXPECT_EQ(State().selections[kList], 12) << "one entry starts with m";
}

TEST_F(DialogWindowTest, CheckBoxesRadiosAndLetters) {
    driver_.Click(dialog_, kCheck);
    EXPECT_TRUE(State().checks[kCheck]);
    driver_.Alt('K');
    EXPECT_FALSE(State().checks[kCheck]) << "Alt with the box's letter clicks it";
    driver_.Click(dialog_, kRadioB);
    EXPECT_TRUE(State().checks[kRadioB]);
    driver_.Key(VirtualKey::Right);
    EXPECT_EQ(State().focus, kRadioC);
    EXPECT_TRUE(State().checks[kRadioC]);
    EXPECT_FALSE(State().checks[kRadioB]);
    driver_.Key(VirtualKey::Down);
    EXPECT_TRUE(State().checks[kRadioA]) << "the group wraps";
    driver_.Alt('N');
    EXPECT_EQ(State().focus, kName) << "a text's letter focuses the control after it";
    // A press on a button released elsewhere does nothing.
    const platform::DialogPlace ok = platform::GetControlPlace(dialog_, 1);
    queue_.PushInput(platform::FakeMessageQueue::Mouse(kOwner, WinMsg::LButtonDown, ok.x + 5, ok.y + 5, 1));
    queue_.PushInput(platform::FakeMessageQueue::Mouse(kOwner, WinMsg::LButtonUp, ok.x - 50, ok.y + 5, 0));
    Serve();
    driver_.Click(dialog_, 2);
    EXPECT_EQ(Commands(), (std::vector<std::uintptr_t>{Cmd(kCheck), Cmd(kCheck), Cmd(kRadioB), Cmd(kRadioC),
                                                       Cmd(kRadioA), Cmd(2)}));
}

TEST_F(DialogWindowTest, ADialogDestroyedInItsOwnProcedureGoesAfterItReturns) {
    queue_.Post(dialog_, 2024, 0, 0);
    driver_.Click(dialog_, kGone);
    int destroys = 0;
    bool after = false;
    for (const Seen& s : saw_) {
        destroys += s.message == Num(WinMsg::Destroy) ? 1 : 0;
        after = after || s.message == 0xFFFF;
    }
    EXPECT_EQ(destroys, 1);
    EXPECT_TRUE(after);
    EXPECT_FALSE(platform::IsDialogWindow(dialog_));
    EXPECT_FALSE(queue_.IsRegistered(dialog_));
    EXPECT_EQ(platform::ActiveDialog(), nullptr);
    saw_.clear();
    queue_.Post(dialog_, 2024, 0, 0);
    driver_.Type("x");
    EXPECT_TRUE(saw_.empty()) << "nothing reaches a dead dialog";
    ASSERT_EQ(gameSaw_.size(), 1u) << "the keys are the game's again";
    EXPECT_EQ(gameSaw_[0].message, Num(WinMsg::Char));
}

TEST_F(DialogWindowTest, TimersAndPostedMessagesReachTheProcedureRegisteredOrNot) {
    for (bool registered : {true, false}) {
        SCOPED_TRACE(registered);
        registered_ = registered ? dialog_ : nullptr;
        saw_.clear();
        ASSERT_TRUE(queue_.SetWindowTimer(dialog_, 7, 1000));
        queue_.Post(dialog_, 2026, 3, 4);
        Serve();
        queue_.Advance(999);
        Serve();
        queue_.Advance(1);
        Serve();
        queue_.Advance(3000);
        Serve();
        std::vector<std::uint32_t> messages;
        for (const Seen& s : saw_) messages.push_back(s.message);
        EXPECT_EQ(messages, (std::vector<std::uint32_t>{2026, Num(WinMsg::Timer), Num(WinMsg::Timer)}))
            << "missed periods are one message";
        EXPECT_EQ(saw_[1].wParam, 7u);
        queue_.KillWindowTimer(dialog_, 7);
    }
    queue_.SetWindowTimer(dialog_, 8, 10);
    platform::DestroyDialogWindow(dialog_);
    saw_.clear();
    queue_.Advance(100);
    Serve();
    EXPECT_TRUE(saw_.empty()) << "a dialog's timers end with it";
}

TEST_F(DialogWindowTest, MouseToTheDialogUnderThePointerKeysToTheActiveOne) {
    const WindowHandle second = Make();
    platform::MoveDialogWindow(second, 0, 0);
    platform::MoveDialogWindow(dialog_, 240, 290);
    platform::ShowDialogWindow(second, true);
    EXPECT_EQ(platform::ActiveDialog(), second);
    // The second dialog sits on top at the corner, the first below and to the
    // right: a click on the first activates it and takes the keys there.
    driver_.Click(dialog_, kName);
    EXPECT_EQ(platform::ActiveDialog(), dialog_);
    driver_.Type("ab");
    EXPECT_EQ(State().texts[kName], "ab");
    EXPECT_EQ(platform::GetDialogState(second)->texts[kName], "");
    // A click on the game outside both gives the keys back to the game.
    driver_.ClickAt(630, 10);
    EXPECT_EQ(platform::ActiveDialog(), nullptr);
    driver_.Type("c");
    EXPECT_EQ(State().texts[kName], "ab");
    ASSERT_FALSE(gameSaw_.empty());
    EXPECT_EQ(gameSaw_.back().message, Num(WinMsg::Char));
    // Hiding the active dialog activates the one below.
    driver_.Click(dialog_, kName);
    platform::ShowDialogWindow(dialog_, false);
    EXPECT_EQ(platform::ActiveDialog(), second);
}

}  // namespace

TEST_F(DialogWindowTest, ADisabledControlTakesNoClickLetterOrFocus) {
    State().disabled.insert(kCheck);
    State().disabled.insert(kRadioB);
    driver_.Click(dialog_, kCheck);
    driver_.Alt('K');
    EXPECT_FALSE(State().checks[kCheck]);
    driver_.Click(dialog_, kRadioB);
    EXPECT_FALSE(State().checks[kRadioB]);
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(platform::DialogViewOf(State(), *platform::FindDialogControl(Layout(), kCheck)).disabled);
    // Tab passes over them.
    platform::SetDialogFocus(dialog_, kList);
    driver_.Key(VirtualKey::Tab);
    EXPECT_EQ(State().focus, kRadioA);
    driver_.Key(VirtualKey::Tab);
    EXPECT_EQ(State().focus, kRadioC);
    // Enabled again, it works as before.
    State().disabled.erase(kCheck);
    driver_.Click(dialog_, kCheck);
    EXPECT_TRUE(State().checks[kCheck]);
}
