#include "framework/EventBridge.h"

#include "framework/ButtonDownMouseMsg.h"
#include "framework/ButtonUpMouseMsg.h"
#include "framework/GainedKeyboardFocusMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/LeftButtonUpMouseMsg.h"
#include "framework/LostKeyboardFocusMsg.h"
#include "framework/MoveMouseMsg.h"
#include "framework/MsgListSelectionChanged.h"
#include "framework/MsgMouseEnter.h"
#include "framework/MsgMouseLeave.h"
#include "framework/MsgSenderSupport.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingMsg.h"
#include "framework/TimerMsg.h"
#include "framework/xMsgResourceLockRequest.h"
#include "framework/xMsgResourceUnlockRequest.h"
#include "framework/xMsgResourceUpdateRequest.h"
#include "framework/xMsgTimer.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

Resource* const kResource = reinterpret_cast<Resource*>(0x1234);

struct RoundTrip {
    const char* name;
    std::unique_ptr<Msg> (*make)();
    std::int32_t code;
    // Compares the message made back from the event with the original.
    void (*check)(const Msg& original, const Msg& back);
};

void SameMouse(const Msg& a, const Msg& b) {
    const auto& x = dynamic_cast<const MouseMsg&>(a);
    const auto& y = dynamic_cast<const MouseMsg&>(b);
    EXPECT_EQ(x.GetPoint(), y.GetPoint());
    EXPECT_EQ(x.GetScreenPoint(), y.GetScreenPoint());
}

void SameResource(const Msg& a, const Msg& b) {
    EXPECT_EQ(dynamic_cast<const xMsgResource&>(a).GetResource(),
              dynamic_cast<const xMsgResource&>(b).GetResource());
}

void Nothing(const Msg&, const Msg&) {}

class EventBridgeRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(EventBridgeRoundTrip, MessageToEventAndBack) {
    const RoundTrip& c = GetParam();
    MsgSenderSupport sender;
    const std::unique_ptr<Msg> original = c.make();
    const std::unique_ptr<xEvent> event = MsgToXEvent(*original, &sender);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->GetCode(), c.code);
    EXPECT_EQ(event->GetSender(), &sender);
    MsgSenderPair back = XEventToMsg(*event);
    ASSERT_NE(back.msg, nullptr);
    EXPECT_EQ(typeid(*back.msg), typeid(*original));
    EXPECT_EQ(back.sender, &sender);
    c.check(*original, *back.msg);
}

const xPoint kA{-3, 7};
const xPoint kB{600, -32768};

const RoundTrip kRoundTrips[] = {
    RoundTrip{"Started", []() -> std::unique_ptr<Msg> { return std::make_unique<StartedMsg>(); }, 3, Nothing},
    RoundTrip{"Stopped", []() -> std::unique_ptr<Msg> { return std::make_unique<StoppedMsg>(); }, 6, Nothing},
    RoundTrip{"Paused", []() -> std::unique_ptr<Msg> { return std::make_unique<PausedMsg>(); }, 7, Nothing},
    RoundTrip{"Unlock",
              []() -> std::unique_ptr<Msg> { return std::make_unique<xMsgResourceUnlockRequest>(kResource); },
              18, SameResource},
    RoundTrip{"Lock",
              []() -> std::unique_ptr<Msg> { return std::make_unique<xMsgResourceLockRequest>(kResource); },
              19, SameResource},
    RoundTrip{"Update",
              []() -> std::unique_ptr<Msg> { return std::make_unique<xMsgResourceUpdateRequest>(kResource); },
              20, SameResource},
    RoundTrip{"Timer", []() -> std::unique_ptr<Msg> { return std::make_unique<xMsgTimer>(); }, 32, Nothing},
    RoundTrip{"ButtonDown",
              []() -> std::unique_ptr<Msg> { return std::make_unique<ButtonDownMouseMsg>(kA, kB); }, 35,
              SameMouse},
    RoundTrip{"ButtonUp", []() -> std::unique_ptr<Msg> { return std::make_unique<ButtonUpMouseMsg>(kA, kB); },
              36, SameMouse},
    RoundTrip{"Move", []() -> std::unique_ptr<Msg> { return std::make_unique<MoveMouseMsg>(kB, kA); }, 37,
              SameMouse},
    RoundTrip{"Key", []() -> std::unique_ptr<Msg> { return std::make_unique<KeyboardCharMsg>(-1); }, 38,
              [](const Msg& a, const Msg& b) {
                  EXPECT_EQ(dynamic_cast<const KeyboardCharMsg&>(a).GetKey(),
                            dynamic_cast<const KeyboardCharMsg&>(b).GetKey());
              }},
    RoundTrip{"Gained", []() -> std::unique_ptr<Msg> { return std::make_unique<GainedKeyboardFocusMsg>(); },
              40, Nothing},
    RoundTrip{"Lost", []() -> std::unique_ptr<Msg> { return std::make_unique<LostKeyboardFocusMsg>(); }, 41,
              Nothing},
};

INSTANTIATE_TEST_SUITE_P(Table, EventBridgeRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EventBridgeTest, MouseParametersAreTheTwoPoints) {
    const auto event = MsgToXEvent(ButtonUpMouseMsg(kA, kB), nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->GetShortParam(0), -3);
    EXPECT_EQ(event->GetShortParam(1), 7);
    EXPECT_EQ(event->GetShortParam(2), 600);
    EXPECT_EQ(event->GetShortParam(3), -32768);
    EXPECT_EQ(event->GetParamType(0), xEvent::kShort);
}

TEST(EventBridgeTest, ClassesOutsideTheTable) {
    // Matched by exact class: a derived mouse message and an unrelated one have no event.
    EXPECT_EQ(MsgToXEvent(LeftButtonUpMouseMsg(kA, kB), nullptr), nullptr);
    EXPECT_EQ(MsgToXEvent(TimerMsg(), nullptr), nullptr);
    // Classes that go one way only: code 0 (which posting drops) and the list's
    // selection change; none of these codes makes a message again.
    struct OneWay {
        const char* name;
        std::unique_ptr<Msg> msg;
        std::int32_t code;
    };
    OneWay oneWay[] = {
        {"Starting", std::make_unique<StartingMsg>(), 0},
        {"Stopping", std::make_unique<StoppingMsg>(), 0},
        {"MouseEnter", std::make_unique<MsgMouseEnter>(), 0},
        {"MouseLeave", std::make_unique<MsgMouseLeave>(), 0},
        {"ListSelectionChanged", std::make_unique<MsgListSelectionChanged>(), 47},
    };
    MsgSenderSupport sender;
    for (const OneWay& c : oneWay) {
        SCOPED_TRACE(c.name);
        const auto event = MsgToXEvent(*c.msg, &sender);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(event->GetCode(), c.code);
        EXPECT_EQ(event->GetSender(), &sender);
        EXPECT_EQ(XEventToMsg(*event).msg, nullptr);
    }
    // Codes that make no message.
    for (std::int32_t code : {0, 1, 2, 4, 17, 39, 47, 88, 1000}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(XEventToMsg(xEvent(code)).msg, nullptr);
    }
}

TEST(EventBridgeTest, MessagesThatKnowTheirEventForm) {
    struct LineMsg : CloneableMsg<LineMsg>, EventFormMsg {
        void FillXEvent(xEvent& event) const override {
            event.SetCode(xEventCode::kIrc);
            event.SetStringParam(0, "hello");
            event.SetShortParam(1, 5);
        }
    };
    const auto event = MsgToXEvent(LineMsg(), nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->GetCode(), 88);
    EXPECT_STREQ(event->GetTextParam(0), "hello");
    EXPECT_EQ(event->GetShortParam(1), 5);
}

}  // namespace
