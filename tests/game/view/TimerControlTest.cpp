// The countdown drawn from the fixture pack on the real screen canvas and read
// back: the set-up table (seconds, too short, frame cel, effect), a number cel
// a second on the manual clock, one expiry at the end, the endings by kind,
// and error 7 for a countdown started out of order.

#include "GameViewFixture.h"
#include "divir/xError.h"
#include "game/view/controls/TimerControl.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

#include <gtest/gtest.h>

namespace {

// The number's rectangle; the number n is drawn in index 100 + n.
const xRect kNumber{40, 400, 100, 440};
constexpr std::uint8_t kFrameFirst = 50;
constexpr std::uint8_t kFrameLast = 54;

struct Expiries : MsgReceiver {
    int count = 0;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        count += msg.Is<TimerControlExpiredMsg>() ? 1 : 0;
        return 0;
    }
};

class TimerControlTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        withSound_ = true;
        MakeView(640, 480);
        timer_ = std::make_unique<TimerControl>(view_.get(), &expiries_, 0);
        xErrorCode = 0;
    }
    void TearDown() override {
        timer_.reset();
        GameViewFixture::TearDown();
    }
    // The index drawn at a point of the window.
    std::uint8_t At(int x, int y) { return Back().Row(y)[x]; }
    static bool Holds(ParallelSequencer* sequencer, const Process* child) {
        for (std::int32_t i = 0; i < sequencer->GetChildCount(); ++i)
            if (sequencer->GetChild(i) == child) return true;
        return false;
    }

    Expiries expiries_;
    std::unique_ptr<TimerControl> timer_;
};

TEST_F(TimerControlTest, SetCountdownTable) {
    struct Case {
        std::int32_t t, base, kind;
        std::int32_t seconds;
        bool tooShort;
        bool fullLength;
    };
    const Case cases[] = {
        {2999, 60000, 1, 3, true, false},  {3000, 60000, 1, 3, false, false}, {3001, 60000, 1, 4, false, false},
        {30000, 30000, 2, 30, false, true}, {60000, 999, 3, 1, false, true},     {60000, 0, 1, 0, true, false},
        {-5000, 60000, 1, 0, true, false},  {60000, -2000, 1, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.t << " of " << c.base);
        timer_->SetCountdown(c.t, c.base, c.kind);
        EXPECT_EQ(timer_->GetSeconds(), c.seconds);
        EXPECT_EQ(timer_->IsTooShort(), c.tooShort);
        EXPECT_FALSE(timer_->IsRunning());
        EXPECT_EQ(timer_->GetKind(), c.kind);
        if (c.tooShort) {
            EXPECT_FALSE(timer_->GetFrame()->IsVisible());
            EXPECT_FALSE(timer_->GetSweep()->IsVisible());
            EXPECT_FALSE(timer_->GetRunningNumber()->IsVisible());
            EXPECT_FALSE(timer_->GetClosing()->IsVisible());
            continue;
        }
        EXPECT_TRUE(timer_->GetFrame()->IsVisible());
        EXPECT_EQ(timer_->GetFrame()->GetFrame(), c.fullLength ? 0 : 4);
        EXPECT_EQ(Holds(timer_->GetOpeningSequencer(), timer_->GetEffect()), c.fullLength);
        EXPECT_EQ(timer_->GetRunningNumber()->GetFrame(), 61 - c.seconds - 1);
        EXPECT_FLOAT_EQ(timer_->GetSweep()->GetRate(), 61.0f / static_cast<float>(c.seconds));
        EXPECT_EQ(timer_->GetEnding(1)->IsVisible(), c.kind == 1);
        EXPECT_EQ(timer_->GetEnding(2)->IsVisible(), c.kind == 2);
    }
}

// A countdown with no whole second starts (at once, showing nothing) instead
// of being taken for one never set up.
TEST_F(TimerControlTest, ACountdownOfNoSecondStartsAtOnce) {
    for (std::int32_t base : {0, -2000}) {
        timer_->SetCountdown(60000, base, 1);
        timer_->Start();
        Run();
        EXPECT_EQ(xErrorCode, 0);
        EXPECT_TRUE(timer_->IsStarted());
        timer_->StartCountdown();
        EXPECT_EQ(xErrorCode, 0);
        EXPECT_FALSE(Holds(timer_->GetCountdownSequencer(), timer_->GetVoice()));
        StopAndSettle(*timer_);
        EXPECT_TRUE(timer_->IsStopped());
        EXPECT_EQ(timer_->GetSeconds(), -1);
    }
}

TEST_F(TimerControlTest, ErrorSevenOutOfOrder) {
    timer_->Start();
    Run();
    EXPECT_EQ(xErrorCode, kErrBadState) << "no countdown set up";
    xErrorCode = 0;
    timer_->SetCountdown(10000, 10000, 1);
    timer_->StartCountdown();
    EXPECT_EQ(xErrorCode, kErrBadState) << "not started";
    EXPECT_FALSE(timer_->IsRunning());
    EXPECT_EQ(timer_->GetCountdownSequencer()->GetChildCount(), 0);
}

// Five seconds against a minute, kind 1: the frame opens on its last cel, the
// number shows 5, 4, 3, 2, 1, 0 a second apart, one expiry at the end, the
// running flag cleared; the ending plays with the voice.
TEST_F(TimerControlTest, ANumberCelASecondAndOneExpiry) {
    timer_->SetCountdown(5000, 60000, 1);
    ASSERT_GT(StartAndSettle(*timer_), 0);
    EXPECT_FALSE(Holds(timer_->GetOpeningSequencer(), timer_->GetEffect()));
    RunFor(10);
    EXPECT_EQ(At(25, 385), kFrameLast);
    const int startCel = 61 - 5 - 1;
    EXPECT_EQ(At(70, 420), 100 + 60 - startCel) << "the still number before the countdown";
    timer_->StartCountdown();
    EXPECT_TRUE(timer_->IsRunning());
    EXPECT_TRUE(Holds(timer_->GetCountdownSequencer(), timer_->GetVoice()));
    EXPECT_TRUE(Holds(timer_->GetCountdownSequencer(), timer_->GetEnding(1)));
    // The still covers the number until the running number has started (the
    // countdown's voice leads it); from then on the number goes down a cel a
    // second.
    int waited = 0;
    while (At(70, 420) == 100 + 60 - startCel && waited < 3000) {
        RunFor(10);
        waited += 10;
    }
    ASSERT_LT(waited, 3000);
    std::vector<int> shown;
    for (int second = 0; second < 4; ++second) {
        shown.push_back(At(70, 420) - 100);
        RunFor(1000);
    }
    EXPECT_EQ(shown, (std::vector<int>{59 - startCel, 58 - startCel, 57 - startCel, 56 - startCel}));
    EXPECT_EQ(At(70, 420), 100) << "0 on the last cel";
    RunFor(60000);
    EXPECT_EQ(expiries_.count, 1);
    EXPECT_FALSE(timer_->IsRunning());
    StopAndSettle(*timer_);
    EXPECT_TRUE(timer_->IsStopped());
    EXPECT_EQ(expiries_.count, 1);
}

TEST_F(TimerControlTest, TheFullLengthOpensFromTheFirstCelWithTheEffect) {
    timer_->SetCountdown(3000, 3000, 2);
    EXPECT_TRUE(Holds(timer_->GetOpeningSequencer(), timer_->GetEffect()));
    timer_->Start();
    // The effect leads the opening; the frame follows one update later.
    for (int i = 0; i < 300 && !timer_->GetFrame()->IsStarted(); ++i) RunFor(10);
    Run(2);
    EXPECT_EQ(At(25, 385), kFrameFirst);
    for (int i = 0; i < 200 && !timer_->IsStarted(); ++i) RunFor(20);
    ASSERT_TRUE(timer_->IsStarted());
    timer_->StartCountdown();
    EXPECT_FALSE(Holds(timer_->GetCountdownSequencer(), timer_->GetVoice())) << "Go only for kind 1";
    EXPECT_TRUE(Holds(timer_->GetCountdownSequencer(), timer_->GetEnding(2)));
    EXPECT_FALSE(Holds(timer_->GetCountdownSequencer(), timer_->GetEnding(1)));
    RunFor(30000);
    EXPECT_EQ(expiries_.count, 1);
    StopAndSettle(*timer_);
}

TEST_F(TimerControlTest, KindThreeHasNoEnding) {
    timer_->SetCountdown(4000, 60000, 3);
    EXPECT_FALSE(timer_->GetEnding(1)->IsVisible());
    EXPECT_FALSE(timer_->GetEnding(2)->IsVisible());
    ASSERT_GT(StartAndSettle(*timer_), 0);
    timer_->StartCountdown();
    EXPECT_EQ(timer_->GetCountdownSequencer()->GetChildCount(), 2);
    RunFor(10000);
    EXPECT_EQ(expiries_.count, 1);
    StopAndSettle(*timer_);
}

}  // namespace
