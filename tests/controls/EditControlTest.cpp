#include "controls/EditControl.h"

#include "ControlsFixture.h"
#include "KeyOwner.h"
#include "TextItems.h"
#include "controls/EditControlTextEnteredMsg.h"
#include "controls/TextInput.h"
#include "framework/KeyboardService.h"
#include "framework/MouseReceiverThing.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>

namespace {

// Strip 900: animation 12 shows one entry line (style 11130) from (100, 400)
// to (400, 420); animation 14 a narrow entry of up to ten lines (style 12310);
// 9 an opening and 18 a closing animation.
constexpr std::int32_t kArt = 900;
constexpr char kCaret = 127;

// The texts entered, "|"-separated.
class Entered : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* e = dynamic_cast<const EditControlTextEnteredMsg*>(&msg)) {
            text += (count++ == 0 ? "" : "|") + e->GetText();
        }
        return 0;
    }
    int count = 0;
    std::string text;
};

class EditControlTest : public ControlsFixture {
  protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        // The root's keyboard service, typing our keys.
        keyboard_ = view_->GetKeyboardService();
        keyboard_->SetKeySource([this]() -> std::uint16_t {
            if (keys_.empty()) {
                return 0;
            }
            const std::uint16_t key = keys_.front();
            keys_.pop_front();
            return key;
        });
        keyboard_->SetPump([] {});
    }
    void TearDown() override {
        keyboard_->SetFocus(nullptr);
        owner_.reset();
        ControlsFixture::TearDown();
    }

    std::unique_ptr<EditControl> Make(std::int32_t maxLength, std::int32_t animation = 12, std::uint16_t style = 11130,
                                      std::int32_t opening = 0, std::int32_t closing = 0) {
        const int item = TextItem(style);
        auto edit = std::make_unique<EditControl>(view_.get(), &entered_, 10, animation, item, kArt, opening, closing,
                                                  maxLength, 0);
        EditControl* raw = edit.get();
        keyboard_->SetFocus(nullptr);
        owner_.reset();
        owner_ = std::make_unique<KeyOwner>(view_.get(), [raw](const KeyboardCharMsg& k) { raw->OnKeyboardChar(k); });
        keyboard_->SetFocus(owner_.get());
        return edit;
    }
    int TextItem(std::uint16_t style) {
        Animation probe(view_.get(), kArt, 12);
        return StripOf(probe).FindItem(style);
    }
    // Types the keys through the keyboard service in one pass.
    void Type(const std::string& keys) {
        for (unsigned char c : keys) {
            keys_.push_back(c);
        }
        Run();
    }
    static std::string ItemText(EditControl& edit, int item) { return ItemTexts(edit.GetTextAnimation(), item, 1); }

    KeyboardService* keyboard_ = nullptr;
    std::unique_ptr<KeyOwner> owner_;
    std::deque<std::uint16_t> keys_;
    Entered entered_;
};

std::string WithCaret(const std::string& text, std::size_t at) {
    return text.substr(0, at) + kCaret + text.substr(at);
}

const std::string kFull(256, 'x');

TEST_F(EditControlTest, KeySequences) {
    struct Case {
        const char* what;
        std::int32_t maxLength;
        std::string keys;
        const char* setText;  // typed by SetText after the keys; null for none
        const char* text;
        std::uint16_t caret;
    };
    const std::string left = "\x12", right = "\x13", home = "\x18", end = "\x19";
    const Case cases[] = {
        {"typing", 10, "abc", nullptr, "abc", 3},
        {"the maximum reached", 3, "abcd", nullptr, "abc", 3},
        {"code 200", 10, "a\xc8" "b", nullptr, "ab", 2},
        {"codes 128 and 255", 10, "a\x80\xff", nullptr, "a", 1},
        {"backspace", 10, "abc\b", nullptr, "ab", 2},
        {"backspace at 0", 10, "ab" + home + "\b", nullptr, "ab", 0},
        {"delete at the end", 10, "ab\x17", nullptr, "ab", 2},
        {"delete in the middle", 10, "abc" + left + left + "\x17", nullptr, "ac", 1},
        {"left, right, home and end", 10, "abc" + left + left + left + left + right + end + home + right, nullptr,
         "abc", 1},
        {"inserting in the middle", 10, "ac" + left + "b", nullptr, "abc", 2},
        {"tab, insert, enter and other control codes", 10, "a\t\x16\r\x01\x1f", nullptr, "a", 1},
        {"SetText types at the caret", 10, "ab", "cd", "abcd", 4},
        {"SetText in the middle", 10, "ab" + left, "X", "aXb", 2},
        {"SetText past the maximum", 3, "ab", "cd", "abc", 3},
        {"SetText with nothing clears", 10, "ab", "", "", 0},
        {"a maximum over 256 is held at 256", 1000, std::string(300, 'x'), nullptr, kFull.c_str(), 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto edit = Make(c.maxLength);
        const int item = TextItem(11130);
        edit->OnGainedKeyboardFocus();
        edit->StartCursor();
        Type(c.keys);
        if (c.setText != nullptr) {
            edit->SetText(c.setText);
        }
        EXPECT_EQ(edit->GetText(), c.text);
        EXPECT_EQ(edit->GetTextLength(), std::string(c.text).size());
        EXPECT_EQ(edit->GetInput().GetCaret(), c.caret);
        Run();
        const std::string shown = std::string(c.text).empty() ? std::string{kCaret, ' '} : WithCaret(c.text, c.caret);
        EXPECT_EQ(edit->GetInput().GetShownText(), shown);
        // The item holds up to its style's length less one.
        const auto room = static_cast<std::size_t>(StripOf(edit->GetTextAnimation()).GetItem(item)->length - 1);
        EXPECT_EQ(ItemText(*edit, item), shown.substr(0, room)) << "the item shows it";
    }
    EXPECT_EQ(entered_.text, "a") << "Enter sent the text and left it";
}

TEST_F(EditControlTest, EnterSendsTheTextAndLeavesIt) {
    auto edit = Make(20);
    Type("hi there" "\x12" "\r");
    EXPECT_EQ(entered_.text, "hi there");
    EXPECT_EQ(edit->GetText(), "hi there");
    EXPECT_EQ(edit->GetInput().GetCaret(), 7);
    Type("\r");
    EXPECT_EQ(entered_.count, 2);
}

// The caret shows solid for 600 ms after a key, then blinks with a 600 ms phase.
TEST_F(EditControlTest, TheCaretBlinksOnTheClock) {
    auto edit = Make(20);
    const int item = TextItem(11130);
    edit->OnGainedKeyboardFocus();
    edit->StartCursor();
    Type("ab");
    const std::uint32_t t = GetAppTime();
    struct Step {
        std::uint32_t at;
        bool caret;
    };
    for (const Step& s : {Step{0, true}, Step{599, true}, Step{600, true}, Step{601, false}, Step{1201, false},
                          Step{1202, true}}) {
        SCOPED_TRACE(s.at);
        clock_.Set(t + s.at);
        Run();
        EXPECT_EQ(ItemText(*edit, item), s.caret ? WithCaret("ab", 2) : "ab");
    }
    Type("\x18");  // a key shows it solid again
    EXPECT_EQ(edit->GetInput().GetNextBlink(), GetAppTime() + 600);
    Run();
    EXPECT_EQ(ItemText(*edit, item), WithCaret("ab", 0));
}

// The caret shows while the field has the keyboard: gaining it turns the
// caret on, losing it turns it off; enabling and disabling start and stop
// the blink clock as well.
TEST_F(EditControlTest, FocusHooksAndEnabling) {
    auto edit = Make(20);
    const int item = TextItem(11130);
    edit->StartCursor();
    Type("ab");
    Run();
    EXPECT_FALSE(edit->GetInput().IsCaretOn());
    EXPECT_EQ(ItemText(*edit, item), "ab");
    edit->OnGainedKeyboardFocus();
    EXPECT_TRUE(edit->GetInput().IsCaretOn());
    edit->OnLostKeyboardFocus();
    EXPECT_FALSE(edit->GetInput().IsCaretOn());
    edit->Enable();
    EXPECT_TRUE(edit->IsCursorRunning());
    EXPECT_TRUE(edit->GetInput().IsCaretOn());
    EXPECT_TRUE(edit->IsEnabled());
    edit->Disable();
    EXPECT_FALSE(edit->IsCursorRunning());
    EXPECT_FALSE(edit->GetInput().IsCaretOn());
    EXPECT_FALSE(edit->IsEnabled());
    EXPECT_FALSE(edit->IsKeyboardTarget());
}

// Up and down move the caret to the column the text strip measured on the
// line above or below; a column from another field's layout (this one has
// not been drawn) is held to the text.
TEST_F(EditControlTest, LineMovesStayInTheText) {
    auto tall = Make(200, 14, 12310);
    const int tallItem = TextItem(12310);
    tall->OnGainedKeyboardFocus();
    ASSERT_GT(StartAndSettle(*tall), 0);
    const std::string text = "aaaa bbbb cccc dddd eeee";
    Type(text);
    RunFor(200);
    const TextStripItem* laid = StripOf(tall->GetTextAnimation()).GetItem(tallItem);
    ASSERT_GT(laid->layout.size(), 2u) << "the text wraps";
    // The line above the last starts with a word as wide as the last line: the
    // caret goes right after it, counting the spaces the wraps skipped.
    const std::string above = laid->layout[laid->layout.size() - 2];
    Type("\x10");  // up
    const std::uint16_t up = tall->GetInput().GetCaret();
    EXPECT_LT(up, text.size());
    EXPECT_EQ(up, text.find(above) + above.find(' ')) << above;
    RunFor(200);
    Type("\x11");  // down
    EXPECT_GT(tall->GetInput().GetCaret(), up);
    EXPECT_LE(tall->GetInput().GetCaret(), text.size());

    auto shortField = std::make_unique<EditControl>(view_.get(), nullptr, 10, 12, TextItem(11130), kArt, 0, 0, 20, 0);
    shortField->SetText("ab");
    RunFor(200);
    ASSERT_GT(shortField->GetTextAnimation().GetTextStripEntry(0, -1), 2) << "a column past this field's text";
    shortField->OnKeyboardChar(KeyboardCharMsg(16));
    EXPECT_LE(shortField->GetInput().GetCaret(), 2);
    shortField->SetText("Z");
    EXPECT_EQ(shortField->GetTextLength(), 3);
    EXPECT_NE(shortField->GetText().find('Z'), std::string::npos);
}

TEST_F(EditControlTest, StartsAndStopsWithItsAnimations) {
    for (const std::int32_t opening : {0, 9}) {
        SCOPED_TRACE(opening);
        auto edit = Make(20, 12, 11130, opening, opening == 0 ? 0 : 18);
        edit->Start();
        for (int i = 0; i < 500 && !edit->IsStarted(); ++i) {
            RunFor(1);
        }
        ASSERT_TRUE(edit->IsStarted());
        Run();
        EXPECT_TRUE(edit->GetTextAnimation().IsPaused()) << "held on its last frame";
        EXPECT_TRUE(edit->IsCursorRunning());
        edit->Stop();
        for (int i = 0; i < 500 && !edit->IsStopped(); ++i) {
            RunFor(1);
        }
        EXPECT_TRUE(edit->IsStopped());
        EXPECT_TRUE(edit->GetTextAnimation().IsStopped());
    }
}

TEST_F(EditControlTest, APressOnTheFieldIsPassedOn) {
    Journal journal;
    journal.shortNames = {{"LeftButtonDownMouseMsg", "Down"}};
    journal.withTimes = false;
    auto edit = Make(20);
    edit->AddReceiver(&journal);
    EXPECT_EQ(edit->GetHitArea().GetLayer(), 20);
    EXPECT_EQ(edit->GetTextAnimation().GetLayer(), 12);
    Mouse().OnLeftButtonDown(150, 410);
    Run();
    Mouse().OnLeftButtonUp(150, 410);
    Run();
    EXPECT_EQ(journal.text, "Down");
}

}  // namespace
