// The round announcement drawn from the fixture pack and read back: a (type,
// round) table to what plays, the transition and its done message, a final
// round's series, the refusals, and rounds outside 1..6 held to the six
// animations there are.

#include "GameViewFixture.h"
#include "game/view/controls/RoundIndicator.h"
#include "media/Animation.h"
#include "sequencers/SerialSequencer.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"
#include "divir/xError.h"

#include <gtest/gtest.h>

namespace {

// Where the announcements are drawn; round r is index 80 + r, its transition
// 90 + r, the game types' transitions 161-164, the final intro 170, the
// game types 171-174.
constexpr int kX = 300;
constexpr int kY = 150;

struct DoneCount : MsgReceiver {
    int count = 0;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        count += msg.Is<RoundIndicatorTransitionDoneMsg>() ? 1 : 0;
        return 0;
    }
};

class RoundIndicatorTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        withSound_ = true;
        MakeView(640, 480);
        indicator_ = std::make_unique<RoundIndicator>(view_.get(), &done_, 10);
    }
    void TearDown() override {
        indicator_.reset();
        GameViewFixture::TearDown();
    }
    std::uint8_t At() { return Back().Row(kY)[kX]; }
    void Settle(int ms = 4000) {
        for (int i = 0; i < ms / 20 && !indicator_->IsStarted(); ++i) RunFor(20);
    }
    static std::vector<Process*> Children(SerialSequencer* s) {
        std::vector<Process*> out;
        for (std::int32_t i = 0; i < s->GetChildCount(); ++i) out.push_back(s->GetChild(i));
        return out;
    }

    DoneCount done_;
    std::unique_ptr<RoundIndicator> indicator_;
};

TEST_F(RoundIndicatorTest, RoundThreePlaysItsNumberThenItsTransition) {
    indicator_->SetRound(1, 3, false);
    indicator_->Show();
    indicator_->Start();
    Settle();
    ASSERT_TRUE(indicator_->IsStarted());
    EXPECT_EQ(indicator_->GetCurrent(), indicator_->GetRoundAnimation(3));
    EXPECT_TRUE(indicator_->GetRoundAnimation(3)->IsPaused());
    EXPECT_EQ(At(), 83) << "Comp 40 on show";
    EXPECT_EQ(done_.count, 0);
    indicator_->PlayTransition();
    EXPECT_EQ(indicator_->GetType(), RoundIndicator::kTransitionPlayed);
    RunFor(1000);
    EXPECT_EQ(At(), 93) << "Comp 320 on show";
    EXPECT_EQ(done_.count, 1);
    EXPECT_THROW(indicator_->PlayTransition(), int) << "twice in a row";
    StopAndSettle(*indicator_);
    EXPECT_TRUE(indicator_->IsStopped());
    EXPECT_FALSE(indicator_->IsVisible());
}

TEST_F(RoundIndicatorTest, ACopyFitsFinalPlaysItsSeries) {
    indicator_->SetRound(3, 2, false);
    indicator_->Start();
    Run();
    EXPECT_EQ(Children(indicator_->GetSequencer('C')),
              (std::vector<Process*>{indicator_->GetFinalIntro(), indicator_->GetTypeAnimation(3)}));
    EXPECT_EQ(Children(indicator_->GetSequencer('A')), (std::vector<Process*>{indicator_->GetMusic()}));
    EXPECT_EQ(Children(indicator_->GetSequencer('B')),
              (std::vector<Process*>{indicator_->GetIntroVoice(), indicator_->GetTypeEffect(3),
                                     indicator_->GetTypeVoice(3)}));
    EXPECT_EQ(indicator_->GetTypeVoice(3)->GetResId(), 2205);
    EXPECT_EQ(indicator_->GetTypeEffect(3)->GetResId(), 1030);
    for (int i = 0; i < 300 && !indicator_->GetFinalIntro()->IsStarted(); ++i) RunFor(10);
    Run(2);
    EXPECT_EQ(At(), 170) << "the final-round introduction first";
    Settle();
    ASSERT_TRUE(indicator_->IsStarted());
    EXPECT_EQ(At(), 172) << "then CopyF 1";
    indicator_->PlayTransition();
    RunFor(1000);
    EXPECT_EQ(At(), 162) << "Comp 220";
    EXPECT_EQ(done_.count, 1);
    StopAndSettle(*indicator_);
}

TEST_F(RoundIndicatorTest, TypeAndRoundTable) {
    struct Case {
        std::int32_t type, round;
        int index;
    };
    // Rounds outside 1..6 are held to the nearest round there is.
    const Case cases[] = {{1, 1, 81}, {1, 6, 86}, {1, 0, 81},  {1, 7, 86}, {1, -5, 81}, {6, 1, 165}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.type << "/" << c.round);
        indicator_->SetRound(c.type, c.round, false);
        EXPECT_GE(indicator_->GetRound(), 1);
        EXPECT_LE(indicator_->GetRound(), 6);
        indicator_->Show();
        indicator_->Start();
        Settle();
        ASSERT_TRUE(indicator_->IsStarted());
        EXPECT_EQ(At(), c.index);
        if (c.type == 6) {
            EXPECT_THROW(indicator_->PlayTransition(), int);
        } else {
            indicator_->PlayTransition();
            RunFor(1000);
            const int expected = c.type == 1 ? 90 + indicator_->GetRound() : 159 + c.type;
            EXPECT_EQ(At(), expected);
        }
        StopAndSettle(*indicator_);
        ASSERT_TRUE(indicator_->IsStopped());
    }
}

// Each game type's announcement: the final-round introduction, then the
// type's own animation; its music; its voices and effect in series.
TEST_F(RoundIndicatorTest, GameTypesToTheirParts) {
    const std::int32_t effects[] = {1005, 1030, 1060, 1065};
    const std::int32_t voices[] = {2195, 2205, 2225, 2235};
    for (std::int32_t type = 2; type <= 5; ++type) {
        SCOPED_TRACE(type);
        indicator_->SetRound(type, 9, false);
        indicator_->Start();
        Run();
        EXPECT_EQ(indicator_->GetCurrent(), indicator_->GetTypeAnimation(type));
        EXPECT_EQ(Children(indicator_->GetSequencer('C')),
                  (std::vector<Process*>{indicator_->GetFinalIntro(), indicator_->GetTypeAnimation(type)}));
        EXPECT_EQ(Children(indicator_->GetSequencer('B')),
                  (std::vector<Process*>{indicator_->GetIntroVoice(), indicator_->GetTypeEffect(type),
                                         indicator_->GetTypeVoice(type)}));
        EXPECT_EQ(indicator_->GetTypeEffect(type)->GetResId(), effects[type - 2]);
        EXPECT_EQ(indicator_->GetTypeVoice(type)->GetResId(), voices[type - 2]);
        EXPECT_EQ(indicator_->GetIntroVoice()->GetResId(), 2208);
        EXPECT_EQ(indicator_->GetMusic()->GetLoops(), 1);
        Settle();
        ASSERT_TRUE(indicator_->IsStarted());
        StopAndSettle(*indicator_);
        ASSERT_TRUE(indicator_->IsStopped());
    }
}

TEST_F(RoundIndicatorTest, Refusals) {
    EXPECT_THROW(
        {
            indicator_->Start();
            Run();
        },
        int)
        << "no type";
    ASSERT_TRUE(indicator_->IsStopped() || indicator_->IsStarting());
}

TEST_F(RoundIndicatorTest, RefusalsWhileRunning) {
    indicator_->SetRound(1, 2, false);
    EXPECT_THROW(indicator_->PlayTransition(), int) << "not started";
    indicator_->Start();
    EXPECT_THROW(indicator_->SetRound(1, 3, false), int) << "while starting";
    EXPECT_THROW(indicator_->PlayTransition(), int) << "still starting";
    Settle();
    indicator_->PlayTransition();
    StopAndSettle(*indicator_);
    EXPECT_EQ(indicator_->GetType(), RoundIndicator::kTransitionPlayed);
    indicator_->SetRound(0, 1, false);
    EXPECT_THROW(
        {
            indicator_->Start();
            Run();
        },
        int)
        << "type 0";
}

}  // namespace
