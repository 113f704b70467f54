#include "divir/xTryFrame.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "divir/xError.h"
#include "platform/RecordingMessageBoxSink.h"

namespace {

class xTryFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xPendingExitCode = 0;
        xErrorSetDetail(nullptr);
    }
    void TearDown() override { EXPECT_EQ(xTryTop(), nullptr) << "a frame was left open"; }
};

// Counts live instances so a test can see that unwinding released them.
struct Guard {
    explicit Guard(int& live) : live_(live) { ++live_; }
    ~Guard() { --live_; }
    int& live_;
};

void RaiseDeep(int depth, std::int16_t code, int& live) {
    Guard guard(live);
    if (depth == 0) {
        xThrow(code);
        ADD_FAILURE() << "xThrow returned inside a frame";
        return;
    }
    RaiseDeep(depth - 1, code, live);
}

TEST_F(xTryFrameTest, NestedFramesCatchInnermostAndPassCodesOutward) {
    bool outerResumed = false;
    const xTryFrame* outer = nullptr;
    std::int16_t innerCode = -1;
    const std::int16_t outerCode = xTry([&] {
        outer = xTryTop();
        ASSERT_NE(outer, nullptr);
        EXPECT_EQ(outer->Enclosing(), nullptr);
        innerCode = xTry([&] {
            EXPECT_EQ(xTryTop()->Enclosing(), outer);
            xThrow(7);
        });
        EXPECT_EQ(xErrorCode, 7);
        EXPECT_EQ(xTryTop(), outer) << "the enclosing frame is innermost again";
        outerResumed = true;
        xThrow(innerCode);  // pass it on
        ADD_FAILURE() << "the outer frame should have been unwound to";
    });
    EXPECT_EQ(innerCode, 7);
    EXPECT_TRUE(outerResumed);
    EXPECT_EQ(outerCode, 7);
    EXPECT_EQ(xErrorCode, 7);
}

TEST_F(xTryFrameTest, RaiseAtDepthReleasesEverythingBetween) {
    int live = 0;
    const std::int16_t code = xTry([&] { RaiseDeep(5, 12003, live); });
    EXPECT_EQ(code, 12003);
    EXPECT_EQ(live, 0);
}

TEST_F(xTryFrameTest, CompletedBodyClearsAnEarlierUnframedCode) {
    xThrow(5);
    ASSERT_EQ(xErrorCode, 5);
    EXPECT_EQ(xTry([] {}), 0);
    EXPECT_EQ(xErrorCode, 0);
}

TEST_F(xTryFrameTest, UnframedRaiseReturnsZeroAndKeepsTheCode) {
    bool wentOn = false;
    EXPECT_EQ(xThrow(5), 0);
    wentOn = true;
    EXPECT_TRUE(wentOn);
    EXPECT_EQ(xErrorCode, 5);
    // A later raise of 0 only clears it.
    EXPECT_EQ(xThrow(0), 0);
    EXPECT_EQ(xErrorCode, 0);
}

TEST_F(xTryFrameTest, RaiseOfZeroInsideAFrameDoesNotUnwind) {
    bool reachedEnd = false;
    EXPECT_EQ(xTry([&] {
                  xThrow(0);
                  reachedEnd = true;
              }),
              0);
    EXPECT_TRUE(reachedEnd);
}

TEST_F(xTryFrameTest, AllocationFailureBecomesCodeOne) {
    EXPECT_EQ(xTry([] { throw std::bad_alloc(); }), kErrMemory);
    EXPECT_EQ(xErrorCode, kErrMemory);
}

TEST_F(xTryFrameTest, UpperLayerExceptionsPassThroughAndCloseTheFrame) {
    xErrorCode = 3;
    try {
        xTry([] { throw 0; });
        ADD_FAILURE() << "the refusal should pass through";
    } catch (int refusal) {
        EXPECT_EQ(refusal, 0);
    }
    EXPECT_EQ(xTryTop(), nullptr);
    EXPECT_EQ(xErrorCode, 0) << "opening a frame stores the first result, 0";
}

TEST_F(xTryFrameTest, DetailIsBracketedAndCut) {
    struct Case {
        const char* name;
        std::string text;
        bool null;
        std::string expected;
    };
    const std::string long300(300, 'x');
    const std::string exact251(251, 'y');
    const Case cases[] = {
        {"null clears", "", true, ""},
        {"empty text", "", false, " ()"},
        {"short path", "Resources\\Music\\a.srf", false, " (Resources\\Music\\a.srf)"},
        {"exactly 251", exact251, false, " (" + exact251 + ")"},
        {"300 cut to 251", long300, false, " (" + long300.substr(0, 251) + ")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        xErrorSetDetail("previous");
        xErrorSetDetail(c.null ? nullptr : c.text.c_str());
        EXPECT_EQ(xErrorGetDetail(), c.expected);
        EXPECT_LE(xErrorGetDetail().size(), 254u);
    }
}

TEST_F(xTryFrameTest, AlertShowsAStopBoxAfterTheBeep) {
    platform::RecordingMessageBoxSink boxes;
    xAlert("Vizuzor - Error", "code %d in %s", 12003, "xFileOpen");
    xAlert("Plain", "%s", "100% sure");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    using platform::BoxStyle;
    const std::uint32_t style = platform::Num(BoxStyle::IconStop) | platform::Num(BoxStyle::TaskModal) |
                                platform::Num(BoxStyle::TopMost);
    EXPECT_EQ(boxes.boxes[0].title, "Vizuzor - Error");
    EXPECT_EQ(boxes.boxes[0].text, "code 12003 in xFileOpen");
    EXPECT_EQ(boxes.boxes[0].style, style);
    EXPECT_EQ(boxes.boxes[1].text, "100% sure");
    ASSERT_EQ(boxes.beeps.size(), 2u);
    EXPECT_EQ(boxes.beeps[0], platform::Num(BoxStyle::IconStop));
}

}  // namespace
