#include "media/XAppScenePlayer.h"

#include "media/SegmentStateMsg.h"
#include "media/xSpriteEngine.h"

#include "framework/AppTime.h"
#include "framework/MsgReceiver.h"

#include "divir/xError.h"

#include "StripFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using fixtures::CountingStrip;

// Writes "S3" for SegmentStartedMsg of record 3, P, R and T for paused,
// resumed and stopped.
class Recorder : public MsgReceiver {
  public:
    std::string log;
    std::function<void(const SegmentStateMsg&)> onStopped;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        const auto* s = dynamic_cast<const SegmentStateMsg*>(&msg);
        if (s == nullptr) {
            return 0;
        }
        const char* tag = msg.Is<SegmentStartedMsg>()   ? "S"
                          : msg.Is<SegmentPausedMsg>()  ? "P"
                          : msg.Is<SegmentResumedMsg>() ? "R"
                                                        : "T";
        log += (log.empty() ? "" : " ") + std::string(tag) + std::to_string(s->GetSegment());
        if (msg.Is<SegmentStoppedMsg>() && onStopped) {
            onStopped(*s);
        }
        return 0;
    }
};

struct Rig {
    std::uint32_t clock = 1000;
    std::unique_ptr<fixtures::RecordingScreen> screen = fixtures::Screen(64, 48);
    xSpriteEngine engine;
    XAppScenePlayer player;
    Recorder recorder;
    // Strips of 4x4 cels: a has cels 1-5, b, c and d one cel each.
    std::unique_ptr<CountingStrip> a = fixtures::SolidStrip(4, 4, 5, 10);
    std::unique_ptr<CountingStrip> b = fixtures::SolidStrip(4, 4, 1, 20);
    std::unique_ptr<CountingStrip> c = fixtures::SolidStrip(4, 4, 1, 30);
    std::unique_ptr<CountingStrip> d = fixtures::SolidStrip(4, 4, 1, 40);

    Rig() {
        SetAppTickSource([this] { return clock; });
        engine.Init(screen.get(), xRect(), 8);
        player.SetTarget(&engine, xRect());
        player.AddReceiver(&recorder);
    }
    ~Rig() {
        player.RemoveReceiver(&recorder);
        SetAppTickSource({});
    }
    std::string NameOf(const xArtStrip* s) const {
        return s == nullptr ? "-" : s == a.get() ? "a" : s == b.get() ? "b" : s == c.get() ? "c" : "d";
    }
    // "a3@10,20" for the object's sprite; "-" with no strip; "gone" when the
    // object no longer exists.
    std::string Shown(int object) const {
        const auto* o = player.GetObject(object);
        if (o == nullptr) {
            return "gone";
        }
        const auto* s = engine.GetSprite(o->sprite);
        if (s == nullptr || s->strip == nullptr) {
            return "-";
        }
        return NameOf(s->strip) + std::to_string(s->cel) + "@" + std::to_string(s->rect.left) + "," +
               std::to_string(s->rect.top);
    }
};

struct Pass {
    std::uint32_t ms;  // clock advance before the tick
    const char* shown;
    const char* messages;
};

void Play(Rig& rig, int object, const std::vector<Pass>& passes) {
    int n = 0;
    for (const Pass& p : passes) {
        SCOPED_TRACE("pass " + std::to_string(n++));
        rig.clock += p.ms;
        rig.recorder.log.clear();
        rig.player.Tick();
        rig.engine.Update();
        EXPECT_EQ(rig.Shown(object), p.shown);
        EXPECT_EQ(rig.recorder.log, p.messages);
    }
}

TEST(XAppScenePlayerTest, Timelines) {
    struct Case {
        const char* name;
        std::function<int(Rig&)> setup;  // answers the object
        std::vector<Pass> passes;
    } cases[] = {
        {"rate 0: one frame per tick, then removed",
         [](Rig& r) {
             return r.player.AddCel(-2, r.a.get(), 3, 1, 0, 0, 0, xPoint{5, 6});
         },
         {{0, "a3@5,6", "S0"}, {0, "a4@5,6", ""}, {500, "a5@5,6", ""}, {0, "-", "T0"}, {0, "gone", ""}}},
        {"rate 10 frames a second: as many frames as the time allows",
         [](Rig& r) { return r.player.AddCel(-2, r.a.get(), 1, 1, 0, 1000, 0, xPoint{}); },
         {{0, "a1@0,0", "S0"}, {99, "a1@0,0", ""}, {151, "a3@0,0", ""}, {100, "a4@0,0", ""}}},
        {"hold 3 lets three frame times pass",
         [](Rig& r) {
             const int o = r.player.AddCel(-2, r.a.get(), 1, 1, 0, 1000, 0, xPoint{});
             r.player.Tick();
             r.player.SetHold(o, 3);
             return o;
         },
         {{100, "a1@0,0", ""}, {100, "a1@0,0", ""}, {100, "a1@0,0", ""}, {100, "a2@0,0", ""}}},
        {"hold for ever consumes the time",
         [](Rig& r) {
             const int o = r.player.AddCel(-2, r.a.get(), 1, 1, 0, 1000, 0, xPoint{});
             r.player.Tick();
             r.player.SetHold(o, 0xFFFF);
             return o;
         },
         {{100, "a1@0,0", ""}, {5000, "a1@0,0", ""}}},
        {"repeat 3 plays three times, then ends",
         [](Rig& r) { return r.player.AddCel(-2, r.a.get(), 4, 3, 0, 0, 0, xPoint{}); },
         {{0, "a4@0,0", "S0"},
          {0, "a5@0,0", ""},
          {0, "a4@0,0", "S0"},
          {0, "a5@0,0", ""},
          {0, "a4@0,0", "S0"},
          {0, "a5@0,0", ""},
          {0, "-", "T0"}}},
        {"repeat 2047 never ends",
         [](Rig& r) { return r.player.AddCel(-2, r.a.get(), 5, 2047, 0, 0, 0, xPoint{}); },
         {{0, "a5@0,0", "S0"}, {0, "a5@0,0", "S0"}, {0, "a5@0,0", "S0"}, {0, "a5@0,0", "S0"}}},
        {"A (loop) B C (2) play twice, then what is queued",
         [](Rig& r) {
             const int o = r.player.AddCel(-2, r.b.get(), 1, 0x2000 | 1, 0, 0, 0, xPoint{});
             r.player.AddCel(o, r.c.get(), 1, 1, 0, 0, 0, xPoint{});
             r.player.AddCel(o, r.d.get(), 1, 2, 0, 0, 0, xPoint{});
             r.player.AddCel(o, r.a.get(), 5, 1, 0, 0, 0, xPoint{});
             return o;
         },
         {{0, "b1@0,0", "S0"},
          {0, "c1@0,0", "S1"},
          {0, "d1@0,0", "S2"},
          {0, "b1@0,0", "S0"},
          {0, "c1@0,0", "T0 S1"},
          {0, "d1@0,0", "T1 S2"},
          {0, "a5@0,0", "T2 S3"},
          {0, "-", "T3"}}},
        {"a blank pause keeps the sprite empty",
         [](Rig& r) {
             const int o = r.player.AddCel(-2, nullptr, 2, 1, 0, 0, 0, xPoint{});
             r.player.AddCel(o, r.b.get(), 1, 1, 0, 0, 0, xPoint{});
             return o;
         },
         {{0, "-", "S0"}, {0, "-", ""}, {0, "b1@0,0", "T0 S1"}}},
        {"backwards from the last cel to the first",
         [](Rig& r) { return r.player.AddCel(-2, r.a.get(), 3, 0x1000 | 1, 0, 0, 0, xPoint{}); },
         {{0, "a5@0,0", "S0"}, {0, "a4@0,0", ""}, {0, "a3@0,0", ""}, {0, "-", "T0"}}},
        {"motion over the frame range",
         [](Rig& r) {
             r.player.AddSegment(-2, r.a.get(), 1, 1, 0, 0, 0, xPoint{2, 2}, xPoint{10, -5}, -1, -1, -1);
             return 0;
         },
         {{0, "a1@2,2", "S0"},
          {0, "a2@4,1", ""},
          {0, "a3@7,0", ""},
          {0, "a4@9,-1", ""},
          {0, "a5@12,-3", ""}}},
        {"a start frame",
         [](Rig& r) {
             r.player.AddSegment(-2, r.a.get(), 1, 1, 0, 0, 0, xPoint{}, xPoint{}, -1, -1, 4);
             return 0;
         },
         {{0, "a4@0,0", "S0"}, {0, "a5@0,0", ""}, {0, "-", "T0"}}},
        {"finish shows the last frame of the last segment",
         [](Rig& r) {
             const int o = r.player.AddCel(-2, r.a.get(), 1, 2047, 0, 0, 0, xPoint{});
             r.player.AddCel(o, r.b.get(), 1, 1, 0, 0, 0, xPoint{});
             r.player.AddCel(o, r.a.get(), 2, 3, 0, 0, 0, xPoint{});
             r.player.Tick();
             r.player.Finish(o);
             r.engine.Update();
             EXPECT_EQ(r.Shown(o), "a5@0,0");
             EXPECT_EQ(r.player.GetCurrentCel(o), 2);
             return o;
         },
         {{0, "-", "T2"}, {0, "gone", ""}}},
        {"a persistent object stays, empty, with its index",
         [](Rig& r) {
             r.player.MarkPersistent(7);
             r.player.AddCel(7, r.b.get(), 1, 1, 0, 0, 0, xPoint{});
             return 7;
         },
         {{0, "b1@0,0", "S0"}, {0, "-", "T0"}, {0, "-", ""}, {0, "-", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        const int object = c.setup(rig);
        Play(rig, object, c.passes);
    }
}

TEST(XAppScenePlayerTest, ResumedOnlyWhenAHoldIsCleared) {
    Rig rig;
    const int o = rig.player.AddCel(-2, rig.a.get(), 1, 1, 0, 0, 0, xPoint{});
    rig.player.Tick();
    rig.recorder.log.clear();
    rig.player.ClearHold(o);
    EXPECT_EQ(rig.recorder.log, "");
    rig.player.SetHold(o, 2);
    rig.player.ClearHold(o);
    rig.player.ClearHold(o);
    EXPECT_EQ(rig.recorder.log, "P0 R0");
}

TEST(XAppScenePlayerTest, AReceiverAddingSegmentsWhenOneStopsLeavesTheChainsIntact) {
    Rig rig;
    const int o = rig.player.AddCel(-2, rig.b.get(), 1, 1, 0, 0, 0, xPoint{});
    const int other = rig.player.AddCel(-2, rig.c.get(), 1, 2047, 0, 0, 0, xPoint{});
    rig.player.AddCel(o, rig.c.get(), 1, 1, 0, 0, 0, xPoint{});
    int added = 0;
    rig.recorder.onStopped = [&](const SegmentStateMsg&) {
        if (added++ < 3) {
            rig.player.AddSegment(o, rig.d.get(), 1, 1, 0, 0, 0, xPoint{}, xPoint{}, -1, -1, -1);
        }
    };
    std::vector<std::string> shown;
    for (int pass = 0; pass < 8; ++pass) {
        rig.player.Tick();
        rig.engine.Update();
        shown.push_back(rig.Shown(o));
        EXPECT_EQ(rig.Shown(other), "c1@0,0");
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"b1@0,0", "c1@0,0", "d1@0,0", "d1@0,0", "d1@0,0", "-", "gone",
                                               "gone"}));
    EXPECT_EQ(rig.player.GetCelCount(), 1);  // only the endless one is left
}

TEST(XAppScenePlayerTest, LimitsAndInvalidRequests) {
    Rig rig;
    EXPECT_THROW(rig.player.AddSegment(-2, rig.b.get(), 2, 1, 0, 0, 0, xPoint{}, xPoint{}, -1, -1, -1), int);
    EXPECT_THROW(rig.player.AddSegment(-2, nullptr, 0, 1, 0, 0, 0, xPoint{}, xPoint{}, -1, -1, -1), int);
    const int o = rig.player.AddCel(-2, rig.b.get(), 2, 1, 0, 0, 0, xPoint{});
    EXPECT_TRUE(rig.player.HasObject(o));
    EXPECT_TRUE(rig.player.IsEmpty(o));
    EXPECT_EQ(rig.player.GetCurrentCel(499), -1);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(rig.player.AllocCel(), i);
    }
    xErrorCode = 0;
    EXPECT_EQ(rig.player.AllocCel(), xScenePlayer::kNone);
    EXPECT_EQ(xErrorCode, kErrMemory);
    rig.player.RemoveCel(600);
    rig.player.RemoveCel(7);
    EXPECT_EQ(rig.player.AllocCel(), 7);
    EXPECT_TRUE(rig.player.IsStripUsed(nullptr) == false);
}

}  // namespace
