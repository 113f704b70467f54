#include "media/AnimationService.h"

#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "media/OffsetStripResource.h"
#include "media/XAppScenePlayer.h"

#include "framework/MsgLog.h"
#include "framework/SchedulerFixture.h"
#include "framework/View.h"
#include "support/AnimationStage.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kStrip = 1500;
// Animation 1 of the strip has three cels, 5 has two, 8 one cel with a hold mark.
constexpr std::int32_t kThree = 1;
constexpr std::int32_t kTwo = 5;
constexpr std::int32_t kHeld = 8;

// Short names of the process and animation messages an animation's
// subscriber gets, in order.
class Trace : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        static const std::map<std::string, std::string> names = {{"StartingMsg", "Starting"},
                                                                 {"StartedMsg", "Started"},
                                                                 {"PausingMsg", "Pausing"},
                                                                 {"PausedMsg", "Paused"},
                                                                 {"ResumingMsg", "Resuming"},
                                                                 {"ResumedMsg", "Resumed"},
                                                                 {"StoppingMsg", "Stopping"},
                                                                 {"StoppedMsg", "Stopped"},
                                                                 {"AnimationRepeatedMsg", "Repeated"},
                                                                 {"AnimationQueueAbortedMsg", "Aborted"}};
        const auto it = names.find(MsgLog::NameOf(msg));
        if (it != names.end()) text += (text.empty() ? "" : " ") + it->second;
        return 0;
    }
    std::string text;
};

class AnimationServiceTest : public SchedulerFixture {
  public:
    void RunFor(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            Run();
        }
    }

  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        service_ = dynamic_cast<AnimationService*>(view_->GetAnimationService());
        ASSERT_NE(service_, nullptr);
        stage_->AddStrips(std::string(SRF_FIXTURES) + "/anim.srf", {kStrip, 1600}, view_.get(), false);
    }
    void TearDown() override {
        view_.reset();
        stage_.reset();
        SchedulerFixture::TearDown();
    }

    std::unique_ptr<Animation> Make(std::int32_t number = kThree, Trace* trace = nullptr) {
        auto a = std::make_unique<Animation>(view_.get(), kStrip, number);
        if (trace != nullptr) a->AddReceiver(trace);
        return a;
    }
    OffsetStripResource* Strip() {
        return dynamic_cast<OffsetStripResource*>(
            stage_->Resources().GetEntryResource(stage_->Resources().FindById(kStrip, "off4")));
    }

    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
    AnimationService* service_ = nullptr;
};

TEST_F(AnimationServiceTest, AnAnimationIsBuiltOnItsCataloguedStrip) {
    auto a = Make();
    EXPECT_TRUE(service_->HasAnimation(a.get()));
    EXPECT_EQ(a->GetResource()->GetStripResource(), Strip());
    EXPECT_EQ(a->GetResource()->GetFirstCel(), kThree);
    EXPECT_FLOAT_EQ(a->GetRate(), 15.0f);
    EXPECT_TRUE(a->IsPausable());
    // The strip is read only while something plays it, or for a moment to
    // measure it.
    EXPECT_EQ(a->GetCelCount(), 3);
    EXPECT_EQ(Strip()->GetLoadCount(), 0);
    EXPECT_FALSE(Strip()->GetLoadedFlag());
    a->Start();
    EXPECT_EQ(Strip()->GetLoadCount(), 1);
    EXPECT_TRUE(Strip()->IsLocked());
    EXPECT_EQ(a->GetCelCount(), 3);
    xRect cel;
    EXPECT_EQ(a->GetCelRect(cel, 0), xRect(0, 0, 8, 8));
    EXPECT_EQ(Make(kTwo)->GetCelRect(cel, 1), xRect(2, 2, 10, 10));
    EXPECT_EQ(a->GetCelRect(cel, 7), xRect(0, 0, 8, 8)) << "out of range: the first cel";
    a->Stop();
    RunFor(10);
    EXPECT_EQ(Strip()->GetLoadCount(), 0);
    EXPECT_FALSE(Strip()->IsLocked());
    a.reset();
    EXPECT_FALSE(service_->HasAnimation(nullptr));
}

// A strip missing from its file, or a cel the strip does not have, plays one
// blank frame instead of failing.
TEST_F(AnimationServiceTest, ArtThatCannotBeReadPlaysBlank) {
    for (const auto& [id, number] : {std::pair{1600, 1}, std::pair{kStrip, 4}, std::pair{1700, 1}}) {
        SCOPED_TRACE(id * 100 + number);
        Trace trace;
        auto a = std::make_unique<Animation>(view_.get(), id, number);
        a->AddReceiver(&trace);
        EXPECT_EQ(a->GetCelCount(), 1);
        ASSERT_NO_THROW(a->Start());
        RunFor(300);
        EXPECT_EQ(trace.text, "Starting Started Stopping Stopped");
    }
}

TEST_F(AnimationServiceTest, WithoutARealServiceAnAnimationIsRefused) {
    AnimationService::Uninstall();
    View plain("Vizuzor", 8, 640, 480, false);
    EXPECT_THROW(Animation(&plain, kStrip, kThree), int);
    AnimationService::Install();
}

TEST_F(AnimationServiceTest, PlayTakesTheLowestFreeSceneObject) {
    auto a = Make();
    auto b = Make();
    auto c = Make();
    for (Animation* x : {a.get(), b.get(), c.get()}) x->Start();
    EXPECT_EQ(service_->GetSceneObject(a.get()), 0);
    EXPECT_EQ(service_->GetSceneObject(b.get()), 1);
    EXPECT_EQ(service_->GetSceneObject(c.get()), 2);
    RunFor(5);
    b->Stop();
    EXPECT_TRUE(b->IsStopped());
    EXPECT_EQ(service_->GetSceneObject(b.get()), AnimationService::kNoSceneObject);
    RunFor(2);
    auto d = Make();
    d->Start();
    EXPECT_EQ(service_->GetSceneObject(d.get()), 1);
}

// Played on the manual clock: each row sets the animation up, runs a script
// of steps and expects its subscriber's messages.
TEST_F(AnimationServiceTest, PlayTable) {
    struct Case {
        const char* what;
        std::function<void(Animation&)> setUp;
        std::function<void(AnimationServiceTest&, Animation&)> script;
        const char* messages;
        std::int32_t number = kThree;
    };
    const auto nothing = [](Animation&) {};
    const Case cases[] = {
        {"one play", nothing, [](AnimationServiceTest& t, Animation&) { t.RunFor(600); },
         "Starting Started Stopping Stopped"},
        {"two repeats", [](Animation& a) { a.SetRepeats(2); },
         [](AnimationServiceTest& t, Animation&) { t.RunFor(1000); },
         "Starting Started Repeated Repeated Stopping Stopped"},
        {"repeat forever, then EndRepeats", [](Animation& a) { a.SetRepeatForever(); },
         [](AnimationServiceTest& t, Animation& a) {
             t.RunFor(900);  // a play is three frames of 66 ms
             EXPECT_TRUE(a.IsStarted());
             EXPECT_TRUE(a.IsRepeating());
             a.EndRepeats();
             t.RunFor(600);
         },
         "Starting Started Repeated Repeated Repeated Repeated Stopping Stopped"},
        {"hold at the end, then Resume", [](Animation& a) { a.SetHoldAtEnd(); },
         [](AnimationServiceTest& t, Animation& a) {
             t.RunFor(600);
             EXPECT_TRUE(a.IsPaused());
             a.Resume();
             t.RunFor(300);
         },
         "Starting Started Pausing Paused Resuming Resumed Stopping Stopped"},
        {"hold at the end, then Stop", [](Animation& a) { a.SetHoldAtEnd(); },
         [](AnimationServiceTest& t, Animation& a) {
             t.RunFor(600);
             a.Stop();
         },
         "Starting Started Pausing Paused Stopping Stopped"},
        {"Pause and Resume are answered inside the request", nothing,
         [](AnimationServiceTest& t, Animation& a) {
             t.RunFor(20);
             a.Pause();
             EXPECT_TRUE(a.IsPaused());
             t.RunFor(1000);
             EXPECT_TRUE(a.IsPaused()) << "held";
             a.Resume();
             EXPECT_TRUE(a.IsStarted());
             t.RunFor(600);
         },
         "Starting Started Pausing Paused Resuming Resumed Stopping Stopped"},
        {"an early Stop drops the queued segment", nothing,
         [](AnimationServiceTest& t, Animation& a) {
             a.Stop();
             EXPECT_TRUE(a.IsStopped());
             t.RunFor(600);
         },
         "Starting Stopping Aborted Stopped"},
        {"an early Pause holds the segment as it starts", nothing,
         [](AnimationServiceTest& t, Animation& a) {
             a.Pause();
             t.RunFor(1000);
             EXPECT_TRUE(a.IsPaused());
             a.Stop();
         },
         "Starting Started Pausing Paused Stopping Stopped"},
        {"a hold mark in the art, then Resume", nothing,
         [](AnimationServiceTest& t, Animation& a) {
             t.RunFor(600);
             EXPECT_TRUE(a.IsPaused()) << "held on the marked cel";
             a.Resume();
             t.RunFor(300);
         },
         "Starting Started Pausing Paused Resuming Resumed Stopping Stopped", kHeld},
        {"a hold mark in the art, then Stop", nothing,
         [](AnimationServiceTest& t, Animation& a) {
             t.RunFor(600);
             a.Stop();
         },
         "Starting Started Pausing Paused Stopping Stopped", kHeld},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Trace trace;
        auto a = Make(c.number, &trace);
        c.setUp(*a);
        a->Start();
        c.script(*this, *a);
        EXPECT_EQ(trace.text, c.messages);
        EXPECT_TRUE(a->IsStopped());
        EXPECT_EQ(service_->GetSegmentEntryCount(), 0u);
        RunFor(2);
        EXPECT_EQ(service_->GetSceneObjectEntryCount(), 0u);
        EXPECT_EQ(Strip()->GetLoadCount(), 0);
    }
}

TEST_F(AnimationServiceTest, Clamps) {
    auto a = Make();
    a->SetRepeats(3000);
    EXPECT_EQ(a->GetRepeats(), 2045);
    a->SetFrame(-1);
    EXPECT_EQ(a->GetFrame(), 0);
    a->SetFrame(1);
    EXPECT_EQ(a->GetFrame(), 0) << "one cel while the strip is not loaded";
    a->SetMotion(xPoint{5, 0}, 0, 3);
    EXPECT_EQ(a->GetMotion(), xPoint{}) << "a frame out of range";
    a->Start();
    a->SetFrame(2);
    EXPECT_EQ(a->GetFrame(), 2);
    a->SetFrame(3);
    EXPECT_EQ(a->GetFrame(), 0);
    a->SetMotion(xPoint{5, 0}, 0, 2);
    EXPECT_EQ(a->GetMotionLast(), 2);
    a->SetFullMotion(xPoint{6, 1});
    EXPECT_EQ(a->GetMotionFirst(), 0);
    EXPECT_EQ(a->GetMotionLast(), 3) << "one past the last cel";
    EXPECT_EQ(service_->GetSegmentFlags(a.get()) & 0x07FF, 2046);
    a->Stop();
    a->SetRepeatForever();
    a->SetHoldAtEnd();
    a->SetReverse();
    a->Start();
    EXPECT_EQ(service_->GetSegmentFlags(a.get()), 0x07FF | 0x4000 | 0x1000);
    a->Stop();
}

TEST_F(AnimationServiceTest, PlayAfterQueuesOnTheSameSceneObject) {
    Trace first;
    Trace second;
    auto a = Make(kThree, &first);
    auto b = Make(kTwo, &second);
    a->Start();
    RunFor(5);
    b->PlayAfter(a.get());
    EXPECT_EQ(service_->GetSceneObject(b.get()), service_->GetSceneObject(a.get()));
    EXPECT_EQ(second.text, "");
    RunFor(150);
    EXPECT_EQ(second.text, "") << "still behind the first";
    RunFor(600);
    EXPECT_EQ(first.text, "Starting Started Stopping Stopped");
    EXPECT_EQ(second.text, "Starting Started Stopping Stopped");
}

// Removing an animation lets go of its segment, its scene object and its
// strip at once; another animation on the same scene object goes on.
TEST_F(AnimationServiceTest, RemovalReleasesEverything) {
    struct Case {
        const char* what;
        int runBefore;
        bool hold;
    };
    const Case cases[] = {{"queued", 0, false}, {"playing", 20, false}, {"held", 600, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Trace trace;
        auto a = Make(kThree, &trace);
        if (c.hold) a->SetHoldAtEnd();
        a->Start();
        RunFor(static_cast<std::uint32_t>(c.runBefore));
        const std::string before = trace.text;
        a->RemoveReceiver(&trace);
        a->AddReceiver(&trace);
        a.reset();
        EXPECT_EQ(trace.text, before) << "nothing more";
        EXPECT_EQ(service_->GetSegmentEntryCount(), 0u);
        EXPECT_EQ(Strip()->GetLoadCount(), 0);
        EXPECT_FALSE(Strip()->IsLocked());
        RunFor(600);
        EXPECT_EQ(service_->GetSceneObjectEntryCount(), 0u);
        // The segment numbers are free again.
        auto again = Make();
        again->Start();
        RunFor(600);
        EXPECT_TRUE(again->IsStopped());
    }
    {
        SCOPED_TRACE("one of two on a scene object");
        Trace first;
        Trace second;
        auto a = Make(kThree, &first);
        auto b = Make(kTwo, &second);
        a->Start();
        RunFor(5);
        b->PlayAfter(a.get());
        auto c = Make(kTwo);
        c->Start();
        b.reset();
        RunFor(600);
        EXPECT_EQ(first.text, "Starting Started Stopping Stopped");
        EXPECT_EQ(second.text, "");
        a->Start();
        RunFor(5);
        b = Make(kTwo, &second);
        b->PlayAfter(a.get());
        a.reset();
        RunFor(600);
        EXPECT_EQ(second.text, "Starting Started Stopping Stopped") << "the one behind plays on";
        EXPECT_EQ(Strip()->GetLoadCount(), 0);
    }
}

}  // namespace
