// The preflight and composition screens in the real game view, with the real
// shared controls (chat box, player list, picture, timer, round indicator), the
// real sound service on the capture output and a manual clock. Segments come
// in as the game model hands them over; the test types, clicks and enters
// captions as a player would and reads what the view passes on, the chat box's
// lines, the controls' states and which of the composition's tones sounds in
// each capture buffer.

#include <cmath>
#include <string>
#include <vector>

#include "ViewParts.h"
#include "controls/ButtonControl.h"
#include "framework/ButtonDownMouseMsg.h"
#include "controls/EditControl.h"
#include "controls/LocalOriginChatMsg.h"
#include "controls/PushButtonControl.h"
#include "controls/TextInput.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/controls/RoundIndicator.h"
#include "game/view/screens/PreflightScreen.h"
#include "media/Animation.h"
#include "sequencers/SerialSequencer.h"
#include "sound/Music.h"
#include "sound/Voice.h"

#include <gtest/gtest.h>

namespace {

// What the view passes on, in a few words each.
struct Said : MsgReceiver {
    std::vector<std::string> lines;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* chat = dynamic_cast<const LocalOriginChatMsg*>(&msg)) {
            lines.push_back("Chat(" + chat->GetText() + ")");
        } else if (const auto* c = dynamic_cast<const CompRoomMsg*>(&msg)) {
            lines.push_back("C(" + std::to_string(c->GetSegmentId()) + "," + c->GetLine1() + "," + c->GetLine2() +
                            ")");
        }
        return 0;
    }
};

PictureInfo Picture(std::uint32_t id) {
    PictureInfo p;
    p.number1 = id;
    p.number2 = 1;
    return p;
}

// The composition's tones as the fixture pack writes them: music from
// 6000 Hz, 40 Hz apart (the loop, then CompA .. CompM), the effect after them.
const std::vector<std::string>& ToneNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n{"Loop"};
        for (char c = 'A'; c <= 'M'; ++c) n.push_back(std::string("Comp") + c);
        n.push_back("CaptionEntered");
        return n;
    }();
    return names;
}

// The power of one frequency in a run of samples (Goertzel).
double Power(const std::int16_t* samples, std::size_t count, double hz) {
    const double w = 2.0 * M_PI * hz / 22050.0;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double s = samples[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coeff * s1 * s2));
}

class CompositionScreensTest : public ViewFixture {
  protected:
    static constexpr std::size_t kBuffer = 1024;

    void SetUp() override {
        ViewFixture::SetUp();
        auto parts = RecordingParts();
        // The real shared controls the two screens use, and the real screens.
        parts.chatBox = nullptr;
        parts.playerList = nullptr;
        parts.picture = nullptr;
        parts.timer = nullptr;
        parts.composition = nullptr;
        parts.preflight = nullptr;
        MakeView(std::move(parts));
        view_->AddReceiver(&said_);
        StartView();
        audio_.ClearRecording();
    }
    void TearDown() override {
        if (view_) view_->RemoveReceiver(&said_);
        ViewFixture::TearDown();
    }

    // One pass per millisecond, the sound output moving with the clock.
    void Pass(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            audio_.Advance(1);
            Run();
        }
    }

    CompositionScreen& Comp() { return *view_->GetCompositionScreen(); }
    PreflightScreen& Preflight() { return *view_->GetPreflightScreen(); }
    Control* Shared(SharedControl slot) { return view_->GetSharedControls()[slot]; }
    PictureControl& PictureCtl() { return *dynamic_cast<PictureControl*>(Shared(kPictureSlot)); }
    TimerControl& Timer() { return *dynamic_cast<TimerControl*>(Shared(kTimerSlot)); }
    RoundIndicator& Indicator() { return *dynamic_cast<RoundIndicator*>(Shared(kRoundIndicatorSlot)); }
    PictureChatBox& Chat() { return *dynamic_cast<PictureChatBox*>(Shared(kChatBoxSlot)); }

    // A composition segment: its first phase 500 ms, the middle as given, the last 500 ms.
    void StartComp(std::int32_t segment, std::int32_t type, std::int32_t middle = 20000, std::int32_t delay = -1,
                   std::uint32_t picture = 5) {
        const std::int32_t start = delay >= 0 ? delay : 500 + middle;
        view_->StartComp(
            StartCompRoomMsg(segment, Picture(picture), type, "fits 1", "fits 2", "fits 3", 0, start, 500, middle, 500));
    }
    // The bound is game time on the manual clock: a stall fails, a slow machine does not.
    bool PassUntil(const std::function<bool()>& done, std::uint32_t ms = 30000) {
        for (std::uint32_t i = 0; i < ms && !done(); ++i) Pass(1);
        return done();
    }
    void StartCompAndSettle(std::int32_t segment, std::int32_t type, std::int32_t middle = 20000) {
        StartComp(segment, type, middle);
        ASSERT_TRUE(PassUntil([&] { return Comp().IsStarted(); })) << "the composition did not start";
        Pass(3);
        Pass(2);
    }
    // A final round as the game plays it: after an ordinary round, from a
    // stopped indicator.
    void StartFinalRoundAndSettle(std::int32_t segment, std::int32_t type) {
        StartCompAndSettle(segment - 1, 0);
        ToVoting();
        Indicator().Stop();
        ASSERT_TRUE(PassUntil([&] { return Indicator().IsStopped(); }));
        said_.lines.clear();
        audio_.ClearRecording();
        StartCompAndSettle(segment, type);
    }
    // Another screen in its place (the recording voting screen starts at once).
    void ToVoting() {
        view_->ShowScreen(view_->GetVotingScreen(), 0, 0, 0, 0);
        ASSERT_TRUE(PassUntil([&] {
            return view_->GetCurrentScreen() == view_->GetVotingScreen() && view_->GetVotingScreen()->IsStarted();
        }));
        Pass(2);
    }
    void Key(std::int32_t key) {
        // As the keyboard service hands keys on (a queued message needs a sender).
        view_->Receive(KeyboardCharMsg(key), static_cast<MsgSender*>(view_->GetLogonScreen()));
        Pass(1);
    }
    void Type(const std::string& text) {
        for (unsigned char c : text) Key(c);
    }
    void Enter(const std::string& text) {
        Type(text);
        Key(13);
        Pass(2);
    }
    // The chat box's system lines, in order.
    std::vector<std::string> HostLines() {
        std::vector<std::string> out;
        ListControl& lines = Chat().GetLines();
        for (std::int32_t i = 0; i < lines.GetRowCount(); ++i) out.push_back(lines.GetRow(i).cells[0]);
        return out;
    }
    static bool HasKeyboard(EditControl* field) { return field->GetInput().IsCaretOn(); }
    bool ChatHasKeyboard() { return Chat().GetEntry().GetInput().IsCaretOn(); }

    // The composition tone loudest in each capture buffer (none below the
    // threshold), consecutive repeats folded.
    std::vector<std::string> TonesHeard(bool effectOnly = false) {
        const std::vector<std::int16_t> samples = audio_.RecordedSamples();
        std::vector<std::string> out;
        const auto& names = ToneNames();
        for (std::size_t at = 0; at + kBuffer <= samples.size(); at += kBuffer) {
            double best = 0;
            std::string which;
            for (std::size_t k = 0; k < names.size(); ++k) {
                if (effectOnly && names[k] != "CaptionEntered") continue;
                const double hz = k + 1 == names.size() ? 7000.0 : 6000.0 + 40.0 * static_cast<double>(k);
                const double p = Power(samples.data() + at, kBuffer, hz);
                if (p > best) {
                    best = p;
                    which = names[k];
                }
            }
            // A full-scale 6000 tone gives about 3 million over a buffer.
            if (best < 400000.0) continue;
            if (out.empty() || out.back() != which) out.push_back(which);
        }
        return out;
    }

    Said said_;
};

// ---- preflight ----

TEST_F(CompositionScreensTest, PreflightShowsAKnownPictureAtOnceAndTheButtonsAlways) {
    struct Row {
        const char* what;
        std::uint32_t picture;
        bool pictureStarts;
    };
    const Row rows[] = {{"picture known", 7, true}, {"picture not yet known", 0, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        view_->StartPreflight(StartPreflightRoomMsg(Picture(r.picture), 0, 0, 0, 60000, 0));
        ASSERT_TRUE(PassUntil([&] { return Preflight().IsStarted(); }));
        EXPECT_EQ(view_->GetCurrentScreen(), &Preflight());
        // No time left of the segment: the own middle is held at 0, not wrapped.
        EXPECT_EQ(Preflight().GetMiddleTime(), 0u);
        EXPECT_EQ(Preflight().GetBaseMiddleTime(), 60000u);
        EXPECT_EQ(PictureCtl().IsStarted(), r.pictureStarts);
        if (r.pictureStarts) {
            EXPECT_TRUE(PictureCtl().IsInstant());
            EXPECT_EQ(PictureCtl().GetMode(), 0);
        }
        for (PushButtonControl* b : {Preflight().GetNextButton(), Preflight().GetPreviousButton()}) {
            EXPECT_TRUE(b->IsVisible());
            EXPECT_TRUE(b->IsStarted());
            EXPECT_EQ(b->GetLayer(), 15);
        }
        EXPECT_TRUE(Chat().IsVisible());
        EXPECT_TRUE(Chat().IsStarted());
        EXPECT_FALSE(Timer().IsVisible());
        EXPECT_FALSE(Indicator().IsVisible());
        EXPECT_TRUE(ChatHasKeyboard());

        // The next segment stops it: the buttons hide, the picture stops.
        view_->StartPreflight(StartPreflightRoomMsg(Picture(0), 0, 0, 0, 60000, 0));
        ASSERT_TRUE(PassUntil([&] { return Preflight().IsStarted() && PictureCtl().IsStopped(); }));
        ToVoting();
        EXPECT_FALSE(Preflight().GetNextButton()->IsVisible());
        EXPECT_FALSE(Preflight().GetPreviousButton()->IsVisible());
    }
}

TEST_F(CompositionScreensTest, PreflightButtonsSendTheirChatLinesThroughTheView) {
    view_->StartPreflight(StartPreflightRoomMsg(Picture(7), 0, 0, 0, 60000, 0));
    ASSERT_TRUE(PassUntil([&] { return Preflight().IsStarted(); }));
    said_.lines.clear();
    Preflight().GetNextButton()->Click();
    Pass(3);
    Preflight().GetPreviousButton()->Click();
    Pass(3);
    EXPECT_EQ(said_.lines, (std::vector<std::string>{"Chat(/n)", "Chat(/p)"}));
    EXPECT_EQ(LocalOriginChatMsg("/n").Classify(), ChatCommandKind::Command);
}

// ---- composition: the round types ----

TEST_F(CompositionScreensTest, EachRoundTypeSetsPictureIndicatorAndMusic) {
    struct Row {
        std::int32_t type;
        std::int32_t pictureMode;  // -1: left as it was
        std::int32_t indicatorType;
        bool twoLines;
        std::int32_t tracks;
        bool musicLeads;
    };
    const Row rows[] = {
        {0, 0, 1, false, 14, true}, {1, 4, 5, false, 14, false}, {2, 3, 4, true, 18, false},
        {3, 2, 3, false, 14, false}, {4, 1, 2, false, 14, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type);
        // Each round from a stopped indicator, as after the round winner.
        ToVoting();
        if (!Indicator().IsStopped()) Indicator().Stop();
        ASSERT_TRUE(PassUntil([&] { return Indicator().IsStopped(); }));
        PictureCtl().SetMode(-1);
        StartComp(3, r.type);
        // Who leads the music: in an ordinary round it starts with the start
        // sequence, before the indicator; otherwise when the indicator has started.
        bool musicBeforeIndicator = false;
        ASSERT_TRUE(PassUntil([&] {
            if (!Indicator().IsStarted() && !Comp().GetMusicSequencer()->IsStopped()) musicBeforeIndicator = true;
            return Comp().IsStarted();
        }));
        Pass(3);
        EXPECT_EQ(musicBeforeIndicator, r.musicLeads);
        EXPECT_FALSE(Comp().GetMusicSequencer()->IsStopped());
        EXPECT_EQ(PictureCtl().GetMode(), r.pictureMode);
        EXPECT_EQ(Indicator().GetType(), r.indicatorType);
        EXPECT_EQ(Indicator().GetRound(), 3);
        EXPECT_EQ(Comp().GetMusicSequencer()->GetChildCount(), r.tracks);
        EXPECT_EQ(Comp().GetCaptionEdit()->IsVisible(), !r.twoLines);
        EXPECT_EQ(Comp().GetLineOneEdit()->IsVisible(), r.twoLines);
        EXPECT_EQ(Comp().GetLineTwoEdit()->IsVisible(), r.twoLines);
        EXPECT_TRUE(Comp().IsEntryEnabled());
        EXPECT_TRUE(Comp().IsComposing());
        EXPECT_TRUE(Timer().IsRunning());
        EXPECT_EQ(Timer().GetKind(), 1);
    }
}

TEST_F(CompositionScreensTest, CopyFitsTextsGoToThePicture) {
    StartFinalRoundAndSettle(2, 3);
    EXPECT_EQ(PictureCtl().GetMode(), 2);
}

TEST_F(CompositionScreensTest, TheLoopEndsItsPassThenCompAAndTheTwoLineRoundRepeats) {
    StartFinalRoundAndSettle(2, 2);
    Pass(1500);
    const std::vector<std::string> heard = TonesHeard();
    ASSERT_GE(heard.size(), 3u) << ::testing::PrintToString(heard);
    EXPECT_EQ(heard[0], "Loop");
    EXPECT_EQ(heard[1], "CompA");
    EXPECT_EQ(heard[2], "CompB");
    // The two-line round's order: C, D twice after B, I, J twice after H.
    std::vector<std::string> order;
    SerialSequencer& music = *Comp().GetMusicSequencer();
    for (std::int32_t i = 0; i < music.GetChildCount(); ++i) {
        auto* m = dynamic_cast<Music*>(music.GetChild(i));
        order.push_back(std::to_string(m->GetResId()));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"3025", "3030", "3035", "3040", "3045", "3040", "3045", "3050",
                                               "3055", "3060", "3065", "3070", "3075", "3070", "3075", "3080",
                                               "3085", "3090"}));
}

// ---- composition: captions ----

TEST_F(CompositionScreensTest, OneLineCaptionsAreTrimmedCheckedAndSentOnce) {
    struct Step {
        const char* what;
        bool filtered;
        const char* typed;  // then Enter; "/c " + text goes through the view's command
        const char* sent;   // "" none
        const char* host;   // "" none
    };
    const Step steps[] = {
        {"spaces only", false, "   ", "", ""},
        {"a word between spaces", false, "  hello  ", "C(-1,hello,)", ""},
        {"unchanged", false, "hello", "", ""},
        {"changed", false, "hello there", "C(-1,hello there,)", ""},
        {"a listed word in an open room", false, "darn it", "C(-1,darn it,)", ""},
        {"a listed word in a clean room", true, "oh heck no", "", "We don't use words like heck here."},
        {"by /c", true, "/c fine words", "C(-1,fine words,)", ""},
    };
    StartCompAndSettle(1, 0);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        PictureRoom room("Lounge", "", 0, "", "", 3, false, 8, 1, 0, s.filtered, false);
        view_->EnterRoom(room);
        said_.lines.clear();
        const std::size_t before = HostLines().size();
        const std::string typed = s.typed;
        if (typed.rfind("/c ", 0) == 0) {
            view_->CaptionCommand(typed.substr(3));
            Pass(3);
        } else {
            if (!Comp().IsComposing()) Key(9);
            ASSERT_TRUE(Comp().IsComposing());
            Comp().GetCaptionEdit()->ClearText();
            Enter(typed);
        }
        const std::vector<std::string> sent =
            std::string(s.sent).empty() ? std::vector<std::string>{} : std::vector<std::string>{s.sent};
        EXPECT_EQ(said_.lines, sent) << Comp().GetCaptionEdit()->GetText() << " enabled " << Comp().IsEntryEnabled()
                                     << " composing " << Comp().IsComposing();
        const std::vector<std::string> lines = HostLines();
        if (std::string(s.host).empty()) {
            EXPECT_EQ(lines.size(), before);
        } else {
            ASSERT_EQ(lines.size(), before + 1);
            EXPECT_EQ(lines.back(), std::string("<Veda>: ") + s.host);
            EXPECT_TRUE(Comp().IsComposing()) << "the field keeps the keyboard";
        }
        if (!sent.empty() && typed.rfind("/c ", 0) != 0) {
            EXPECT_FALSE(Comp().IsComposing());
            EXPECT_TRUE(ChatHasKeyboard());
            EXPECT_EQ(Comp().GetCaptionEdit()->GetText(), Comp().GetLineOne());
        }
    }
    // The effect sounded for what was sent (the output runs well ahead of what is heard).
    Pass(2500);
    EXPECT_FALSE(TonesHeard(true).empty());
}

TEST_F(CompositionScreensTest, TwoLineCaptions) {
    StartFinalRoundAndSettle(2, 2);
    ASSERT_TRUE(Comp().IsComposing());
    EXPECT_TRUE(HasKeyboard(Comp().GetLineOneEdit()));
    // Line two with line one never entered.
    Key(9);
    EXPECT_TRUE(Comp().IsOnLineTwo());
    EXPECT_TRUE(HasKeyboard(Comp().GetLineTwoEdit()));
    Enter("second");
    EXPECT_TRUE(said_.lines.empty());
    EXPECT_EQ(HostLines().back(), "<Veda>: Line one of your slimerick seems to be missing...");
    EXPECT_FALSE(Comp().IsOnLineTwo());
    EXPECT_TRUE(HasKeyboard(Comp().GetLineOneEdit()));
    // Line one, then line two: sent.
    Enter("  first ");
    EXPECT_TRUE(Comp().IsOnLineTwo());
    EXPECT_TRUE(said_.lines.empty());
    Comp().GetLineTwoEdit()->ClearText();
    Enter("second");
    EXPECT_EQ(said_.lines, (std::vector<std::string>{"C(-1,first,second)"}));
    EXPECT_FALSE(Comp().IsComposing());
    EXPECT_TRUE(ChatHasKeyboard());
    // Both lines unchanged are sent again.
    said_.lines.clear();
    Key(9);
    Key(9);
    ASSERT_TRUE(Comp().IsOnLineTwo());
    Key(13);
    Pass(2);
    EXPECT_EQ(said_.lines, (std::vector<std::string>{"C(-1,first,second)"}));
    // Line one cleared after it was accepted.
    said_.lines.clear();
    Key(9);
    Comp().GetLineOneEdit()->ClearText();
    Key(9);
    Key(13);
    Pass(2);
    EXPECT_TRUE(said_.lines.empty());
    EXPECT_EQ(HostLines().back(), "<Veda>: Line one of your slimerick seems to be missing...");
}

// ---- composition: late join, expiry ----

TEST_F(CompositionScreensTest, ALateJoinShowsThePictureAtOnceWithAtLeastASecondToGo) {
    // Less than three quarters of the middle phase left: base middle 20000, own 400.
    view_->StartComp(StartCompRoomMsg(1, Picture(5), 0, "", "", "", 0, 900, 500, 20000, 500));
    ASSERT_TRUE(PassUntil([&] { return Comp().IsStarted(); }));
    EXPECT_EQ(Comp().GetMiddleTime(), 400u);
    EXPECT_TRUE(PictureCtl().IsInstant());
    EXPECT_EQ(Timer().GetSeconds(), 1);
}

TEST_F(CompositionScreensTest, ExpiryEndsEntryOnlyWhileComposing) {
    struct Row {
        const char* what;
        bool composing;
    };
    for (const Row& r : {Row{"composing", true}, Row{"chatting", false}}) {
        SCOPED_TRACE(r.what);
        ToVoting();
        StartCompAndSettle(1, 0, 3000);
        if (!r.composing) Key(9);
        ASSERT_EQ(Comp().IsComposing(), r.composing);
        ASSERT_TRUE(PassUntil([&] { return !Timer().IsRunning(); }, 6000));
        Pass(5);
        EXPECT_FALSE(Comp().IsComposing());
        EXPECT_EQ(Comp().IsEntryEnabled(), !r.composing);
        EXPECT_TRUE(ChatHasKeyboard());
    }
}

// ---- composition: mended faults ----

// Line two accepted unchanged in an open room is checked again in a clean one.
TEST_F(CompositionScreensTest, LineTwoIsForgottenAtTheNextStart) {
    StartFinalRoundAndSettle(2, 2);
    Enter("first");
    Enter("darn");
    EXPECT_EQ(said_.lines, (std::vector<std::string>{"C(-1,first,darn)"}));
    ToVoting();
    view_->EnterRoom(PictureRoom("Clean", "", 0, "", "", 3, false, 8, 1, 0, true, false));
    said_.lines.clear();
    Indicator().Stop();
    ASSERT_TRUE(PassUntil([&] { return Indicator().IsStopped(); }));
    StartCompAndSettle(3, 2);
    EXPECT_TRUE(Comp().GetLineTwo().empty());
    Enter("first");
    Enter("darn");
    EXPECT_TRUE(said_.lines.empty());
    EXPECT_EQ(HostLines().back(), "<Veda>: We don't use words like darn here.");
}

// A chat line half typed when the composition starts, the segment over before
// it is sent: the line sent later must not begin a composition on the stopped
// screen, and the next composition starts with the keys going to the chat box.
TEST_F(CompositionScreensTest, AHalfTypedChatLineThroughTwoSegments) {
    view_->StartPreflight(StartPreflightRoomMsg(Picture(5), 0, 0, 0, 60000, 0));
    ASSERT_TRUE(PassUntil([&] { return Preflight().IsStarted(); }));
    Type("hel");
    ASSERT_TRUE(Chat().HasTypedText());
    StartCompAndSettle(1, 0);
    EXPECT_FALSE(Comp().IsComposing()) << "the chat line goes out first";
    ToVoting();
    view_->ChatPublic("Bob", "hi");
    Pass(2);
    EXPECT_FALSE(Comp().IsComposing());
    EXPECT_FALSE(HasKeyboard(Comp().GetCaptionEdit()));
    // A stray composition left behind is forgotten at the next start.
    Comp().BeginComposition();
    StartComp(2, 0);
    ASSERT_TRUE(PassUntil([&] { return view_->GetCurrentScreen() == &Comp(); }));
    ASSERT_FALSE(Comp().IsStarted());
    Key('x');
    EXPECT_EQ(Chat().GetEntry().GetText(), "helx");
}

// Two composition segments in a row (the indicator still running), and a first
// one of a round type outside the table (an indicator without a type): both
// start without touching the indicator.
TEST_F(CompositionScreensTest, SecondCompositionAndUnknownRoundTypeLeaveTheIndicatorAlone) {
    struct Row {
        const char* what;
        bool twice;
        std::int32_t type;
        bool indicatorStarted;
    };
    const Row rows[] = {{"round type 7 first", false, 7, false}, {"SC twice", true, 1, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.twice) StartCompAndSettle(1, 0);
        const std::int32_t typeBefore = Indicator().GetType();
        StartComp(2, r.type);
        ASSERT_TRUE(PassUntil([&] { return Comp().IsStarted() && Comp().GetStartComp()->GetSegmentId() == 2; }));
        Pass(3);
        EXPECT_EQ(Indicator().IsStarted(), r.indicatorStarted);
        EXPECT_EQ(Indicator().GetType(), typeBefore);
        EXPECT_TRUE(Comp().IsComposing());
        EXPECT_FALSE(Comp().GetMusicSequencer()->IsStopped()) << "the music does not wait for the indicator";
    }
}

}  // namespace

namespace {

// Read back from the window: the preflight's two buttons where CPanel puts
// them, 15 pixels higher and over the chat box; the caption field over the round.
TEST_F(CompositionScreensTest, ReadBackShowsTheButtonsAndTheCaptionField) {
    const auto at = [&](int x, int y) { return platform::GetBackBuffer(view_->GetWindow())->Row(y)[x]; };
    view_->StartPreflight(StartPreflightRoomMsg(Picture(0), 0, 0, 0, 60000, 0));
    ASSERT_TRUE(PassUntil([&] { return Preflight().IsStarted(); }));
    // The buttons' art is their pressed look (none while up): held down to be seen.
    Preflight().GetPreviousButton()->SetDownQuiet();
    Preflight().GetNextButton()->SetDownQuiet();
    Pass(100);
    // CPanel 40 at (240, 300)-(280, 320), 45 at (240, 325)-(280, 345), before the move.
    EXPECT_EQ(at(260, 290), 59) << "the previous button";
    EXPECT_EQ(at(260, 315), 60) << "the next button";
    EXPECT_NE(at(260, 340), 60) << "moved up by 15";
    StartCompAndSettle(1, 0);
    Pass(100);
    // Comp 438 at (100, 400)-(540, 420).
    EXPECT_EQ(at(120, 410), 179);
    EXPECT_NE(at(260, 315), 60) << "the buttons are gone";
}

}  // namespace

namespace {

// A press on a caption field (passed on by the field) or on the chat box
// moves the keyboard; the control panel takes it away and gives it back to
// whoever had it.
TEST_F(CompositionScreensTest, PressesAndTheControlPanelMoveTheKeyboard) {
    StartFinalRoundAndSettle(2, 2);
    CompositionScreen& comp = Comp();
    const auto press = [&](Process* on) {
        comp.Receive(ButtonDownMouseMsg(xPoint{1, 1}, xPoint{1, 1}), static_cast<MsgSender*>(on));
        Pass(2);
    };
    ASSERT_TRUE(comp.IsComposing());
    press(comp.GetLineTwoEdit());
    EXPECT_TRUE(comp.IsOnLineTwo());
    EXPECT_TRUE(HasKeyboard(comp.GetLineTwoEdit()));
    EXPECT_FALSE(HasKeyboard(comp.GetLineOneEdit()));
    press(comp.GetLineOneEdit());
    EXPECT_FALSE(comp.IsOnLineTwo());
    EXPECT_TRUE(HasKeyboard(comp.GetLineOneEdit()));
    press(&Chat());
    EXPECT_FALSE(comp.IsComposing());
    EXPECT_FALSE(HasKeyboard(comp.GetLineOneEdit()));
    EXPECT_TRUE(ChatHasKeyboard());
    press(comp.GetLineTwoEdit());
    EXPECT_TRUE(comp.IsComposing());
    EXPECT_TRUE(comp.IsOnLineTwo());
    EXPECT_FALSE(ChatHasKeyboard());
    // A press from anyone else changes nothing.
    press(comp.GetCaptionEdit());
    EXPECT_TRUE(comp.IsOnLineTwo());

    view_->ShowControlPanel();
    Pass(2);
    EXPECT_FALSE(HasKeyboard(comp.GetLineTwoEdit()));
    view_->HideControlPanel();
    Pass(2);
    EXPECT_TRUE(HasKeyboard(comp.GetLineTwoEdit()));
    EXPECT_TRUE(comp.IsComposing());
}

}  // namespace
