#include "game/screens/ProgressDialog.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "ScreensFixture.h"
#include "framework/MessagePump.h"

namespace {

namespace ids = progress_dialog;

TEST(FormatByteCountTest, DecimalFactorsByRow) {
    const struct {
        std::int32_t n;
        const char* text;
    } cases[] = {
        {999, "999"},        {1000, "1.00K"},   {9999, "10.00K"},   {10000, "10.0K"},
        {123456, "123K"},    {999999, "1000K"}, {1000000, "1.00M"}, {12345678, "12.3M"},
        {100000000, "100M"}, {-5, "-5"},        {0, "0"},           {2147483647, "2147M"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(FormatByteCount(c.n), c.text);
    }
}

TEST(FormatDurationTest, SecondsThenRoundedMinutesThenRoundedHours) {
    const struct {
        std::int32_t s;
        const char* text;
    } cases[] = {
        {0, "0 seconds"}, {1, "1 second"},   {2, "2 seconds"},   {59, "59 seconds"},   {60, "1 minute"},
        {89, "1 minute"}, {90, "2 minutes"}, {150, "3 minutes"}, {3540, "59 minutes"}, {3570, "1 hour"},
        {5369, "1 hour"}, {5370, "2 hours"}, {7200, "2 hours"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        EXPECT_EQ(FormatDuration(c.s), c.text);
    }
}

class ProgressDialogTest : public ScreensFixture {
  public:
    void SetUp() override {
        ScreensFixture::SetUp();
        codes_.clear();
    }
    void TearDown() override {
        ProgressDialogDestroy();
        ScreensFixture::TearDown();
    }

    static void Record(int code, int unused, std::intptr_t context) {
        EXPECT_EQ(unused, 0);
        EXPECT_EQ(context, 42);
        codes_.push_back(code);
    }

    platform::WindowHandle Create() {
        const platform::WindowHandle w = ProgressDialogCreate(kGameWindow, &Record, 42);
        EXPECT_NE(w, nullptr);
        return w;
    }
    platform::DialogState& State() {
        platform::DialogState* s = platform::GetDialogState(ProgressDialogWindow());
        EXPECT_NE(s, nullptr);
        static platform::DialogState none;
        return s != nullptr ? *s : none;
    }
    std::string Text(int id) { return State().texts[id]; }

    static std::vector<int> codes_;
};
std::vector<int> ProgressDialogTest::codes_;

TEST_F(ProgressDialogTest, MadeHiddenAndShownByItsFirstTimerAfterFourSeconds) {
    const platform::WindowHandle w = Create();
    EXPECT_EQ(platform::GetDialogTemplate(w)->id, 2001);
    EXPECT_EQ(platform::GetDialogTemplate(w)->title, "Progress");
    EXPECT_FALSE(State().visible);
    EXPECT_EQ(xModelessDialog, nullptr) << "a hidden dialog takes no keys";
    Advance(3999);
    EXPECT_FALSE(State().visible);
    Advance(1);
    EXPECT_TRUE(State().visible);
    EXPECT_EQ(xModelessDialog, w);
    Advance(10000);
    EXPECT_TRUE(State().visible) << "shown once";
    ProgressDialogDestroy();
    EXPECT_FALSE(platform::IsDialogWindow(w));
    EXPECT_EQ(ProgressDialogWindow(), nullptr);
    EXPECT_EQ(xModelessDialog, nullptr);
    EXPECT_EQ(codes_, std::vector<int>{2});
    ProgressDialogDestroy();
    EXPECT_EQ(codes_, std::vector<int>{2}) << "the maker is called back once";
}

TEST_F(ProgressDialogTest, AStepUnderFourSecondsNeverShows) {
    const platform::WindowHandle w = Create();
    Advance(3990);
    ProgressDialogDestroy();
    Advance(5000);
    EXPECT_FALSE(platform::IsDialogWindow(w));
    EXPECT_EQ(codes_, std::vector<int>{2});
}

TEST_F(ProgressDialogTest, NothingHappensWithoutADialog) {
    ProgressDialogSetTitle("x");
    ProgressDialogStartTimeout(1000);
    ProgressDialogSetTotal(100);
    ProgressDialogAddReceived(50);
    ProgressDialogDone();
    ProgressDialogTimeoutTick();
    EXPECT_EQ(ProgressDialogWindow(), nullptr);
    EXPECT_TRUE(codes_.empty());
}

TEST_F(ProgressDialogTest, AddReceivedTimeline) {
    Create();
    ProgressDialogSetTotal(10000);
    EXPECT_EQ(Text(ids::kBytes), "0 of 10.0K bytes received");
    EXPECT_EQ(Text(ids::kRate), "");
    EXPECT_EQ(Text(ids::kTimeLeft), "");
    struct Step {
        std::uint32_t after;  // ms since the last step
        std::int32_t bytes;
        int bar;
        const char* bytesText;  // 1005, 1004, 1003 as they read afterwards
        const char* rateText;
        const char* timeText;
    };
    const Step steps[] = {
        // At once: no time has passed, so no rate and no time left; the first
        // call after the total writes the texts.
        {0, 1000, 10, "1.00K of 10.0K bytes received", "", ""},
        // Within the second: the bar moves, the texts wait.
        {500, 1000, 20, "1.00K of 10.0K bytes received", "", ""},
        {500, 2000, 40, "4.00K of 10.0K bytes received", "4.00K bytes/sec.", "1 second remaining"},
        {999, 1000, 50, "4.00K of 10.0K bytes received", "4.00K bytes/sec.", "1 second remaining"},
        // 5000 bytes in 2000 ms: 2500 a second, 5000 left: 2 s.
        {1, 0, 50, "5.00K of 10.0K bytes received", "2.50K bytes/sec.", "2 seconds remaining"},
        // All in: no time text, the last one stays.
        {1000, 5000, 100, "10.0K of 10.0K bytes received", "3.33K bytes/sec.", "2 seconds remaining"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.bytesText);
        Advance(s.after);
        ProgressDialogAddReceived(s.bytes);
        EXPECT_EQ(State().progress, s.bar);
        EXPECT_EQ(State().progressEnd, 100);
        EXPECT_EQ(Text(ids::kBytes), s.bytesText);
        EXPECT_EQ(Text(ids::kRate), s.rateText);
        EXPECT_EQ(Text(ids::kTimeLeft), s.timeText);
    }
    ProgressDialogDone();
    EXPECT_EQ(State().progress, 100);
    EXPECT_EQ(Text(ids::kTimeLeft), "Done");
    EXPECT_EQ(Text(ids::kBytes), "10.0K of 10.0K bytes received");
}

TEST_F(ProgressDialogTest, RateAndTimeLeftFollowTheFormulas) {
    Create();
    ProgressDialogSetTotal(1000000);
    Advance(2000);
    ProgressDialogAddReceived(20000);  // 10000 a second, 980000 left: 98 s
    EXPECT_EQ(Text(ids::kRate), "10.0K bytes/sec.");
    EXPECT_EQ(Text(ids::kTimeLeft), "2 minutes remaining");
    EXPECT_EQ(State().progress, 2);
    Advance(1000);
    ProgressDialogAddReceived(1);  // 6667 a second, 979999 left: 146 s
    EXPECT_EQ(Text(ids::kRate), "6.67K bytes/sec.");
    EXPECT_EQ(Text(ids::kTimeLeft), "2 minutes remaining");
    Advance(1000);
    ProgressDialogSetTotal(7200);
    Advance(7200000);
    ProgressDialogAddReceived(1);  // 0 a second: no time text
    EXPECT_EQ(Text(ids::kRate), "0 bytes/sec.");
    EXPECT_EQ(Text(ids::kTimeLeft), "");
}

TEST_F(ProgressDialogTest, ATotalOfZeroStandsFullWithoutTimeLeft) {
    for (const std::int32_t total : {0, -10}) {
        SCOPED_TRACE(total);
        Create();
        ProgressDialogSetTotal(total);
        Advance(1000);
        ProgressDialogAddReceived(500);
        EXPECT_EQ(State().progress, 100);
        EXPECT_EQ(Text(ids::kTimeLeft), "");
        ProgressDialogAddReceived(-2000);  // below the total: still no division by 0
        EXPECT_EQ(State().progress, 100);
        ProgressDialogDestroy();
    }
}

TEST_F(ProgressDialogTest, ExtremeCountsAndTimesStayInRange) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    Create();
    ProgressDialogSetTotal(kMax);
    Advance(1);
    ProgressDialogAddReceived(kMax);
    ProgressDialogAddReceived(kMax);  // held at the largest count
    EXPECT_EQ(State().progress, 100);
    EXPECT_EQ(Text(ids::kBytes), "2147M of 2147M bytes received");
    ProgressDialogSetTotal(kMin);
    Advance(1000);
    ProgressDialogAddReceived(kMin);
    ProgressDialogAddReceived(kMin);
    EXPECT_EQ(State().progress, 100);
    ProgressDialogStartTimeout(kMax);
    EXPECT_EQ(State().progressEnd, 2147484);
    ProgressDialogStartTimeout(kMin);
    Advance(1000);
    EXPECT_EQ(codes_, std::vector<int>{0}) << "a time-out of no seconds ends at the first tick";
    EXPECT_EQ(FormatDuration(kMax), "596523 hours");
    EXPECT_EQ(FormatDuration(-5), "-5 seconds");
    EXPECT_EQ(FormatByteCount(kMin), "-2147483648");
}

TEST_F(ProgressDialogTest, TimeOutsCountWholeSecondsOnTheBar) {
    const struct {
        std::int32_t ms;
        int seconds;
    } cases[] = {{1, 1}, {1000, 1}, {1001, 2}, {5000, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        codes_.clear();
        Create();
        ProgressDialogStartTimeout(c.ms);
        EXPECT_EQ(State().progressEnd, c.seconds);
        EXPECT_EQ(State().progress, 0);
        for (int s = 1; s < c.seconds; ++s) {
            Advance(1000);
            EXPECT_EQ(State().progress, s);
        }
        Advance(999);
        EXPECT_TRUE(codes_.empty());
        Advance(1);
        EXPECT_EQ(codes_, std::vector<int>{0});
        EXPECT_EQ(State().progress, c.seconds);
        Advance(5000);
        EXPECT_EQ(codes_, std::vector<int>{0}) << "once";
        EXPECT_TRUE(platform::IsDialogWindow(ProgressDialogWindow())) << "the dialog stays up";
        ProgressDialogDestroy();
    }
}

TEST_F(ProgressDialogTest, AStoppedTimeOutFillsTheBarAndNeverFires) {
    Create();
    ProgressDialogStartTimeout(5000);
    Advance(1000);
    Advance(1000);
    EXPECT_EQ(State().progress, 2);
    ProgressDialogStopTimeout();
    EXPECT_EQ(State().progress, 5);
    Advance(10000);
    EXPECT_TRUE(codes_.empty());
    ProgressDialogStartTimeout(3000);
    Advance(2000);
    ProgressDialogDestroy();
    Advance(5000);
    EXPECT_EQ(codes_, std::vector<int>{2}) << "a destroyed dialog's time-out ends silently";
}

TEST_F(ProgressDialogTest, ResetEmptiesTheTextsAndTheBar) {
    Create();
    ProgressDialogSetTitle("Contacting Dispatch Server");
    ProgressDialogSetStatus("Downloading dispatch information...");
    ProgressDialogSetTotal(5000);
    ProgressDialogAddReceived(2500);
    ProgressDialogStartTimeout(9000);
    EXPECT_EQ(Text(ids::kTitle), "Contacting Dispatch Server");
    EXPECT_EQ(Text(ids::kStatus), "Downloading dispatch information...");
    ProgressDialogResetBar();
    EXPECT_EQ(State().progress, 0);
    EXPECT_EQ(State().progressEnd, 100);
    EXPECT_EQ(Text(ids::kBytes), "");
    EXPECT_EQ(Text(ids::kTitle), "Contacting Dispatch Server");
    ProgressDialogReset();
    for (int id : {ids::kTitle, ids::kStatus, ids::kTimeLeft, ids::kRate, ids::kBytes})
        EXPECT_EQ(Text(id), "");
}

}  // namespace

namespace {

std::uint32_t PixelAt(const platform::Surface& s, int x, int y) {
    const std::uint8_t* p = s.Row(y) + x * 4;
    return static_cast<std::uint32_t>(p[2]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[0]) << 16);
}

TEST(ProgressDialogLayoutTest, TheControlsTheirAlignmentAndTheBar) {
    using K = platform::DialogControlKind;
    const platform::DialogTemplate& t = ProgressDialogTemplate();
    EXPECT_EQ(t.id, 2001);
    const struct {
        int id;
        K kind;
    } expected[] = {
        {ids::kTitle, K::CentredStatic}, {ids::kStatus, K::CentredStatic}, {ids::kBar, K::ProgressBar},
        {ids::kTimeLeft, K::Static},     {ids::kRate, K::RightStatic},     {ids::kBytes, K::RightStatic},
        {ids::kCancel, K::Button},
    };
    ASSERT_EQ(t.controls.size(), std::size(expected));
    for (const auto& e : expected) {
        const platform::DialogControl* c = platform::FindDialogControl(t, e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->kind, e.kind) << e.id;
        EXPECT_LE(c->x + c->width, t.width) << e.id;
        EXPECT_LE(c->y + c->height, t.height) << e.id;
    }
    EXPECT_FALSE(platform::IsTabStop(*platform::FindDialogControl(t, ids::kRate)));
    EXPECT_TRUE(platform::IsTabStop(*platform::FindDialogControl(t, ids::kCancel)));

    // A bar of range 0..4 at 2 is half filled.
    platform::DialogState state;
    state.progressEnd = 4;
    state.progress = 2;
    platform::Surface surface(t.width, platform::DialogSurfaceHeight(t), 32, false);
    platform::PaintDialog(surface, t, nullptr,
                          [&](const platform::DialogControl& c) { return platform::DialogViewOf(state, c); });
    const platform::DialogControl& bar = *platform::FindDialogControl(t, ids::kBar);
    const int y = bar.y + platform::kDialogTitleHeight + bar.height / 2;
    EXPECT_NE(PixelAt(surface, bar.x + 4, y), platform::kDialogField);
    EXPECT_NE(PixelAt(surface, bar.x + bar.width / 2 - 2, y), platform::kDialogField);
    EXPECT_EQ(PixelAt(surface, bar.x + bar.width / 2 + 4, y), platform::kDialogField);
    EXPECT_EQ(PixelAt(surface, bar.x + bar.width - 4, y), platform::kDialogField);
}

}  // namespace
