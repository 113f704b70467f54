#include "controls/ChatBox.h"

#include "ControlsFixture.h"
#include "TextItems.h"
#include "controls/AgingListControl.h"
#include "controls/EditControl.h"
#include "controls/ListControl.h"
#include "controls/LocalOriginChatMsg.h"
#include "controls/TextInput.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "framework/KeyboardCharMsg.h"
#include "platform/HostPath.h"
#include "resource/LanguageFilter.h"
#include "resource/SingleSrfFilterSource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Strip 900: animation 1 shows the lines in text items 1..4, (100, 300) to
// (300, 380); animation 12 the entry (style 11130) below them.
constexpr std::int32_t kArt = 900;
constexpr xRGB kPlain{10, 20, 30};
constexpr xRGB kReply{200, 0, 0};

// The chat lines sent, "|"-separated.
class ChatSink : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* m = dynamic_cast<const LocalOriginChatMsg*>(&msg)) {
            text += (count++ == 0 ? "" : "|") + m->GetText();
        }
        return 0;
    }
    int count = 0;
    std::string text;
};

class ChatBoxTest : public ControlsFixture {
  protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        // The sample word list ("darn", "heck*", "*boo", "*zap*"), coded by the
        // filter's writer at build time.
        SingleSrfFilterSource source(platform::ToWindowsPath(std::string(CONTROLS_ART) + "/LanguageFilter.srf"));
        SetLanguageFilterSource(&source);
        ASSERT_EQ(xTry([&] { LanguageFilterLoad(1000, this); }), 0);
        SetLanguageFilterSource(nullptr);
        ASSERT_FALSE(LanguageFilterPatterns().empty());
    }
    void TearDown() override {
        LanguageFilterClear();
        ControlsFixture::TearDown();
    }

    std::unique_ptr<ChatBox> Make(bool ageing = false) {
        Animation probe(view_.get(), kArt, 12);
        entryItem_ = StripOf(probe).FindItem(11130);
        StripOf(probe).SetColour(1, 0, kPlain);
        StripOf(probe).SetColour(1, 1, kReply);
        auto chat = std::make_unique<ChatBox>(view_.get(), &sink_, 10, kArt, 1, 4, 0, 0, 1, 12, entryItem_, 0, 0, 0,
                                              "Host", 100, ageing);
        EXPECT_GT(StartAndSettle(*chat), 0);
        Run();
        return chat;
    }
    static void Type(ChatBox& chat, const std::string& keys) {
        for (unsigned char c : keys) {
            chat.OnKeyboardChar(KeyboardCharMsg(c));
        }
        Run();  // an entered line is acted on from the queue
    }
    static std::string Lines(ChatBox& chat) { return ItemTexts(chat.GetLines().GetTextAnimation(), 1, 4); }

    ChatSink sink_;
    int entryItem_ = 0;
};

TEST_F(ChatBoxTest, IsBuiltAsAListAboveAnEntry) {
    auto chat = Make();
    EXPECT_EQ(chat->GetPageRows(), 3);
    ListControl& lines = chat->GetLines();
    EXPECT_EQ(lines.GetCapacity(), 201);
    EXPECT_FALSE(lines.IsForwardOrder());
    EXPECT_FALSE(lines.IsAppendAtEnd());
    EXPECT_EQ(dynamic_cast<AgingListControl*>(&lines), nullptr);
    EXPECT_EQ(lines.GetLayer(), 11);
    EXPECT_EQ(chat->GetEntry().GetLayer(), 11);
    EXPECT_EQ(chat->GetEntry().GetInput().GetMaxLength(), 100);
    EXPECT_TRUE(lines.IsStarted());
    EXPECT_TRUE(chat->GetEntry().IsStarted());
    EXPECT_FALSE(chat->IsEditKeyboardTarget());
    chat->Stop();
    for (int i = 0; i < 200 && !chat->IsStopped(); ++i) {
        RunFor(1);
    }
    EXPECT_TRUE(chat->IsStopped());
    EXPECT_TRUE(lines.IsStopped());
}

TEST_F(ChatBoxTest, EnteredLines) {
    struct Case {
        const char* what;
        bool filter;
        const char* typed;
        const char* sent;
        const char* entryAfter;
        const char* reply;  // the new bottom line, or null for none
    };
    const Case cases[] = {
        {"three spaces", false, "   ", "", "", nullptr},
        {"trimmed", false, "  hi there  ", "hi there", "", nullptr},
        {"only spaces are trimmed", false, " .hi. ", ".hi.", "", nullptr},
        {"a listed word with the filter off", false, "oh darn it", "oh darn it", "", nullptr},
        {"a listed word with the filter on", true, "oh darn it", "", "oh darn it",
         "<Host>: We don't use words like darn here."},
        {"a prefix, as typed", true, " HECKle ", "", " HECKle ", "<Host>: We don't use words like HECKle here."},
        {"a clean line with the filter on", true, "hello there", "hello there", "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto chat = Make();
        chat->SetFlag(c.filter);
        sink_.count = 0;
        sink_.text.clear();
        Type(*chat, std::string(c.typed) + "\r");
        EXPECT_EQ(sink_.text, c.sent);
        EXPECT_EQ(chat->GetEntry().GetText(), c.entryAfter);
        if (c.reply != nullptr) {
            ASSERT_EQ(chat->GetLines().GetRowCount(), 1);
            EXPECT_EQ(Lines(*chat), std::string("|||") + c.reply);
            EXPECT_EQ(chat->GetLines().GetRow(0).first, kReply);
        } else {
            EXPECT_EQ(chat->GetLines().GetRowCount(), 0);
        }
    }
}

TEST_F(ChatBoxTest, NewLinesComeInAtTheBottomAndTheOldestGoes) {
    auto chat = Make();
    for (int i = 0; i < 202; ++i) {
        chat->AddText("line " + std::to_string(i));
    }
    ListControl& lines = chat->GetLines();
    EXPECT_EQ(lines.GetRowCount(), 201);
    EXPECT_EQ(lines.GetRow(0).cells[0], "line 201");
    EXPECT_EQ(lines.GetRow(200).cells[0], "line 1") << "line 0 was pushed out";
    EXPECT_EQ(Lines(*chat), "line 198|line 199|line 200|line 201");
    EXPECT_EQ(lines.GetRow(0).first, kPlain);
    chat->AddLine(1, "reply");
    EXPECT_EQ(lines.GetRow(0).first, kReply);
    EXPECT_TRUE(lines.GetRow(0).marked);
}

TEST_F(ChatBoxTest, ArrowsScrollTheLinesWhileHomeAndEndMoveTheCaret) {
    auto chat = Make();
    for (int i = 0; i < 10; ++i) {
        chat->AddText("line " + std::to_string(i));
    }
    Type(*chat, "abc");
    Type(*chat, "\x10");  // up: toward older lines
    EXPECT_EQ(chat->GetLines().GetTop(), 1);
    EXPECT_EQ(Lines(*chat), "line 5|line 6|line 7|line 8");
    Type(*chat, "\x15");  // page down: back toward the newest
    EXPECT_EQ(chat->GetLines().GetTop(), 0);
    Type(*chat, "\x14\x11");  // page up, down
    EXPECT_EQ(chat->GetLines().GetTop(), 2);
    Type(*chat, "\x18");  // home
    EXPECT_EQ(chat->GetEntry().GetInput().GetCaret(), 0);
    EXPECT_EQ(chat->GetLines().GetTop(), 2);
    Type(*chat, "\x19");  // end
    EXPECT_EQ(chat->GetEntry().GetInput().GetCaret(), 3);
    EXPECT_EQ(chat->GetEntry().GetText(), "abc") << "arrows typed nothing";
    chat->Clear();
    EXPECT_EQ(chat->GetEntry().GetText(), "");
    EXPECT_EQ(chat->GetLines().GetRowCount(), 0);
}

TEST_F(ChatBoxTest, FocusAndPressesGoThrough) {
    Journal journal;
    journal.shortNames = {{"LeftButtonDownMouseMsg", "Down"}};
    journal.withTimes = false;
    auto chat = Make();
    chat->AddReceiver(&journal);
    chat->OnGainedKeyboardFocus();
    EXPECT_TRUE(chat->GetEntry().GetInput().IsCaretOn());
    chat->OnLostKeyboardFocus();
    EXPECT_FALSE(chat->GetEntry().GetInput().IsCaretOn());
    Mouse().OnLeftButtonDown(150, 410);  // on the entry
    Run(3);
    Mouse().OnLeftButtonUp(150, 410);
    Run();
    EXPECT_EQ(journal.text, "Down");
}

TEST_F(ChatBoxTest, WithAgeingANewLineFadesIn) {
    auto chat = Make(true);
    auto* ageing = dynamic_cast<AgingListControl*>(&chat->GetLines());
    ASSERT_NE(ageing, nullptr);
    EXPECT_TRUE(ageing->IsAgeing());
    const std::uint32_t t = GetAppTime();
    chat->AddText("hello");
    Animation& text = chat->GetLines().GetTextAnimation();
    EXPECT_EQ(ItemColour(text, 4), AgingListControl::kWhite);
    clock_.Set(t + 2500);
    Run();
    // 255 + (10 - 255) * 2500 / 5000 = 133, then 138 and 143.
    EXPECT_EQ(ItemColour(text, 4), (xRGB{133, 138, 143}));
    clock_.Set(t + 5001);
    Run();
    EXPECT_EQ(ItemColour(text, 4), kPlain);
    EXPECT_EQ(ageing->GetCapacity(), 201);
}

}  // namespace
