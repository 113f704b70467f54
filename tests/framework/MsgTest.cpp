#include "framework/Msg.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/ButtonDownMouseMsg.h"
#include "framework/ButtonUpMouseMsg.h"
#include "framework/GainedKeyboardFocusMsg.h"
#include "framework/LostKeyboardFocusMsg.h"
#include "framework/MoveMouseMsg.h"
#include "framework/PausedErrorMsg.h"
#include "framework/PausedMsg.h"
#include "framework/PausingErrorMsg.h"
#include "framework/PausingMsg.h"
#include "framework/ReadyToPlayNextScreenMsg.h"
#include "framework/ResumedMsg.h"
#include "framework/ResumingErrorMsg.h"
#include "framework/ResumingMsg.h"
#include "framework/StartedErrorMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingErrorMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingErrorMsg.h"
#include "framework/StoppingMsg.h"
#include "framework/TimerMsg.h"
#include "framework/xMsgResourceLockRequest.h"
#include "framework/xMsgResourceUnlockRequest.h"
#include "framework/xMsgResourceUpdateRequest.h"
#include "framework/xMsgTimer.h"

namespace {

template <class T>
class MsgCloneTypedTest : public ::testing::Test {};

using MsgClasses =
    ::testing::Types<StartingMsg, StartedMsg, PausingMsg, PausedMsg, ResumingMsg, ResumedMsg, StoppingMsg,
                     StoppedMsg, StartingErrorMsg, StartedErrorMsg, PausingErrorMsg, PausedErrorMsg,
                     ResumingErrorMsg, StoppingErrorMsg, GainedKeyboardFocusMsg, LostKeyboardFocusMsg,
                     MoveMouseMsg, ButtonDownMouseMsg, ButtonUpMouseMsg, xMsgTimer, xMsgResourceUnlockRequest,
                     xMsgResourceLockRequest, xMsgResourceUpdateRequest, TimerMsg, ReadyToPlayNextScreenMsg>;
TYPED_TEST_SUITE(MsgCloneTypedTest, MsgClasses);

TYPED_TEST(MsgCloneTypedTest, CloneIsOfTheSameClass) {
    const TypeParam original{};
    std::unique_ptr<Msg> copy = static_cast<const Msg&>(original).Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(typeid(*copy), typeid(TypeParam));
}

TEST(MsgTest, ClassTestsFollowTheHierarchy) {
    const StartedErrorMsg startedError;
    EXPECT_TRUE(startedError.Is<ErrorMsg>());
    EXPECT_TRUE(startedError.GetText().empty());
    EXPECT_FALSE(startedError.Is<StartedMsg>());

    const MoveMouseMsg move(xPoint{3, -4}, xPoint{10, 20});
    EXPECT_TRUE(move.Is<MouseMsg>());
    std::unique_ptr<Msg> copy = move.Clone();
    const auto& mouse = dynamic_cast<const MouseMsg&>(*copy);
    EXPECT_EQ(mouse.GetPoint(), (xPoint{3, -4}));
    EXPECT_EQ(mouse.GetScreenPoint(), (xPoint{10, 20}));

    Resource* resource = reinterpret_cast<Resource*>(&copy);
    const xMsgResourceLockRequest lock(resource);
    std::unique_ptr<Msg> lockCopy = lock.Clone();
    EXPECT_TRUE(lockCopy->Is<xMsgResource>());
    EXPECT_EQ(dynamic_cast<const xMsgResource&>(*lockCopy).GetResource(), resource);
}

}  // namespace
