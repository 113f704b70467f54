#include "controls/ButtonControl.h"

#include "ControlsFixture.h"
#include "controls/PushButtonControl.h"
#include "controls/RadioButtonControl.h"
#include "controls/RadioContainer.h"
#include "controls/ToggleButtonControl.h"
#include "framework/MouseReceiverThing.h"
#include "framework/Timer.h"
#include "media/Animation.h"
#include "media/OffsetStripResource.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kArt = 700;
// Animations of strip 700 in tests/fixtures/controls/controls-art.json: the up
// image has two cels, the others one.
constexpr std::int32_t kUp = 1;
constexpr std::int32_t kDown = 4;
constexpr std::int32_t kHitArea = 6;
// Cel 0 of the down image: the button covers (100, 50) to (160, 70), edges
// included.
constexpr xRect kDownCel{100, 50, 160, 70};

class ButtonControlTest : public ControlsFixture {
  protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        journal_.shortNames = {{"ButtonDownMsg", "Down"},           {"ButtonUpMsg", "Up"},
                               {"ButtonClickedMsg", "Click"},       {"ButtonDoubleClickedMsg", "Double"},
                               {"LeftButtonDownMouseMsg", "Below"}, {"LeftButtonUpMouseMsg", "Below"}};
    }

    // Runs a script of window mouse events and waits, one pass after each
    // event: "press X Y", "release X Y", "move X Y", "double X Y" (window
    // points), "wait MS", and the switches "repeat", "doubleclicks", "disable".
    void Play(ButtonControl& button, const std::string& script) {
        std::istringstream steps(script);
        std::string step;
        while (std::getline(steps, step, ';')) {
            std::istringstream words(step);
            std::string op;
            int a = 0;
            int b = 0;
            words >> op >> a >> b;
            const auto x = static_cast<std::int16_t>(a);
            const auto y = static_cast<std::int16_t>(b);
            if (op == "press") {
                Mouse().OnLeftButtonDown(x, y);
            } else if (op == "release") {
                Mouse().OnLeftButtonUp(x, y);
            } else if (op == "move") {
                Mouse().OnMouseMove(x, y);
            } else if (op == "double") {
                Mouse().OnLeftButtonDoubleClick(x, y);
            } else if (op == "wait") {
                RunFor(static_cast<std::uint32_t>(a));
                continue;
            } else if (op == "repeat") {
                button.EnableAutoRepeat();
            } else if (op == "doubleclicks") {
                button.EnableDoubleClick();
            } else if (op == "disable") {
                button.Disable();
            } else {
                ADD_FAILURE() << "unknown step " << step;
            }
            Run();
        }
    }

    Journal journal_;
};

// The mouse through the real mouse service, and the button messages it gives,
// each with the time since the script began.
TEST_F(ButtonControlTest, MouseScripts) {
    struct Case {
        const char* what;
        const char* script;
        const char* messages;
    };
    const Case cases[] = {
        {"a click", "press 110 60; release 110 60", "Down@0 Click@0 Up@0"},
        {"out and back in", "press 110 60; move 10 10; move 120 60; release 120 60",
         "Down@0 Up@0 Down@0 Click@0 Up@0"},
        {"release outside", "press 110 60; move 10 10; release 10 10", "Down@0 Up@0"},
        {"moves inside change nothing", "press 110 60; move 111 61; move 159 69; release 130 55",
         "Down@0 Click@0 Up@0"},
        {"release on the bottom right edge", "press 110 60; release 160 70", "Down@0 Click@0 Up@0"},
        {"release on the top left edge", "press 110 60; release 100 50", "Down@0 Click@0 Up@0"},
        {"release just past the edge", "press 110 60; release 161 70", "Down@0 Up@0"},
        {"auto-repeat held 1.2 s", "repeat; press 110 60; wait 1200; release 110 60",
         "Down@0 Click@500 Click@800 Click@1100 Up@1200"},
        {"auto-repeat released early", "repeat; press 110 60; wait 300; release 110 60",
         "Down@0 Click@300 Up@300"},
        {"auto-repeat pauses while the pointer is out",
         "repeat; press 110 60; wait 600; move 10 10; wait 400; move 110 60; wait 200; release 110 60",
         "Down@0 Click@500 Up@600 Down@1000 Click@1100 Up@1200"},
        {"double click with double clicks on",
         "doubleclicks; press 110 60; release 110 60; double 110 60; release 110 60",
         "Down@0 Click@0 Up@0 Double@0"},
        {"double click with double clicks off", "press 110 60; release 110 60; double 110 60; release 110 60",
         "Down@0 Click@0 Up@0 Down@0 Click@0 Up@0"},
        {"a disabled button swallows the press", "disable; press 110 60; release 110 60", ""},
        {"beside the button the node beneath gets the press", "press 99 60; release 99 60",
         "Below@0 Below@0"},
        {"disabled during the press: no click, the look stays", "press 110 60; disable; release 110 60",
         "Down@0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MouseReceiverThing beneath(view_.get(), 1, true, {0, 0, 640, 480}, true);
        beneath.AddReceiver(&journal_);
        PushButtonControl button(view_.get(), &journal_, 10, kArt, 0, 0, kUp, kDown, 0);
        ASSERT_GT(StartAndSettle(button), 0);
        journal_.Mark();
        Play(button, c.script);
        EXPECT_EQ(journal_.text, c.messages);
        EXPECT_EQ(Mouse().GetCapture(), nullptr);
        RunFor(1000);  // nothing more comes
        EXPECT_EQ(journal_.text, c.messages);
    }
}

TEST_F(ButtonControlTest, CoversCelZeroOfItsDownImageOrItsHitArea) {
    PushButtonControl plain(view_.get(), nullptr, 10, kArt, 0, 0, kUp, kDown, 0);
    EXPECT_EQ(plain.GetBounds(), kDownCel);
    EXPECT_EQ(plain.GetLayer(), 10);
    ASSERT_NE(plain.GetUpImage(), nullptr);
    // The images sit where the art places them in the parent's coordinates.
    for (Animation* image : {plain.GetUpImage(), plain.GetDownImage()}) {
        EXPECT_EQ(UITopLeft(UIGetBoundsOnScreen(image)), (xPoint{0, 0}));
        EXPECT_EQ(image->GetLayer(), 11);
        EXPECT_TRUE(image->IsHoldAtEnd());
        EXPECT_EQ(image->GetParent(), &plain);
    }
    EXPECT_TRUE(plain.GetUpImage()->IsVisible());
    EXPECT_FALSE(plain.GetDownImage()->IsVisible());
    EXPECT_TRUE(Mouse().HasReceiver(&plain));

    PushButtonControl hit(view_.get(), nullptr, 10, kArt, 0, 0, 0, kDown, kHitArea);
    EXPECT_EQ(hit.GetBounds(), (xRect{90, 40, 170, 80}));
    EXPECT_EQ(hit.GetUpImage(), nullptr);
    EXPECT_EQ(UITopLeft(UIGetBoundsOnScreen(hit.GetDownImage())), (xPoint{0, 0}));
    EXPECT_EQ(hit.GetChildCount(), 1);  // the temporary hit-area animation is gone
}

// The program registers its strips without reading them; a strip is read when
// an animation first plays. A button made before any of its art has played
// still covers cel 0 of its down image, and takes clicks there; the strip is
// read only for the measure.
TEST_F(ButtonControlTest, AButtonMadeBeforeItsArtIsReadStillCoversItsDownImage) {
    auto* strip = dynamic_cast<OffsetStripResource*>(
        stage_->Resources().GetEntryResource(stage_->Resources().FindById(kArt, "off4")));
    ASSERT_NE(strip, nullptr);
    strip->Unload();
    ASSERT_FALSE(strip->GetLoadedFlag());
    {
        PushButtonControl button(view_.get(), &journal_, 10, kArt, 0, 0, kUp, kDown, 0);
        EXPECT_EQ(button.GetBounds(), kDownCel);
        ASSERT_GT(StartAndSettle(button), 0);
        journal_.Mark();
        Play(button, "press 130 60; release 130 60");
        EXPECT_EQ(journal_.text, "Down@0 Click@0 Up@0");
        button.Stop();
        Run();
    }
    EXPECT_FALSE(strip->GetLoadedFlag()) << "the strip is read only while something plays it";
    strip->Load();  // as the fixture holds it
}

// The images follow the state: up shows the up image, down the down image.
TEST_F(ButtonControlTest, ShowsItsDownImageWhilePressed) {
    PushButtonControl button(view_.get(), nullptr, 10, kArt, 0, 0, kUp, kDown, 0);
    StartAndSettle(button);
    Animation& up = *button.GetUpImage();
    Animation& down = *button.GetDownImage();
    EXPECT_TRUE(up.IsVisible());
    EXPECT_FALSE(down.IsVisible());
    Mouse().OnLeftButtonDown(110, 60);
    EXPECT_TRUE(button.IsDown());
    EXPECT_FALSE(up.IsVisible());
    EXPECT_TRUE(down.IsVisible());
    Mouse().OnMouseMove(10, 10);
    EXPECT_TRUE(up.IsVisible());
    EXPECT_FALSE(down.IsVisible());
    Mouse().OnLeftButtonUp(10, 10);
    EXPECT_TRUE(button.IsUp());
}

// Start: the images' sequencer, then the repeat timer's, then the button;
// stop the same way. The state goes from none to up at the first start.
TEST_F(ButtonControlTest, StartsAndStopsInTwoSteps) {
    MsgLog log;
    PushButtonControl button(view_.get(), &log, 10, kArt, 0, 0, kUp, kDown, 0);
    EXPECT_FALSE(button.IsUp());
    EXPECT_FALSE(button.IsDown());
    EXPECT_TRUE(button.GetUpImage()->IsVisible());
    EXPECT_FALSE(button.GetDownImage()->IsVisible());
    // The state turns up when the images have started, which also starts the
    // timer's sequencer; the button completes its start after that.
    button.Start();
    int upAt = -1;
    int passes = 0;
    while (!button.IsStarted() && passes < 20) {
        Run();
        ++passes;
        if (upAt < 0 && button.IsUp()) {
            upAt = passes;
            // Both images hold their last frame, which pauses them.
            EXPECT_TRUE(button.GetDownImage()->HasBeenStarted());
            EXPECT_TRUE(button.GetUpImage()->HasBeenStarted());
            EXPECT_FALSE(button.IsStarted());
        }
    }
    EXPECT_GT(upAt, 0);
    ASSERT_TRUE(button.IsStarted());
    EXPECT_TRUE(button.IsUp());
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"StartingMsg", "StartedMsg"}));

    button.Stop();
    passes = 0;
    while (!button.IsStopped() && passes++ < 20) {
        Run();
        if (!button.GetDownImage()->IsStopped()) {
            EXPECT_FALSE(button.IsStopped());
        }
    }
    ASSERT_TRUE(button.IsStopped());
    EXPECT_TRUE(button.GetUpImage()->IsStopped());
    EXPECT_TRUE(button.GetDownImage()->IsStopped());
    EXPECT_TRUE(button.IsUp());
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
    // And again.
    StartAndSettle(button);
    EXPECT_TRUE(button.IsStarted());
}

// A click on the group's members: the messages they send, and the checked
// states one pass later (no further messages).
TEST_F(ButtonControlTest, RadioAndToggleGroups) {
    struct Case {
        const char* what;
        const char* clicks;    // members clicked in turn: r0 r1 r2 t0 t1
        const char* messages;  // what the members sent
        const char* checked;   // the members checked at the end
    };
    const Case cases[] = {
        {"one radio", "r1", "Down(r1) Click(r1)", "r1"},
        {"another radio unchecks the first quietly", "r1 r2", "Down(r1) Click(r1) Down(r2) Click(r2)", "r2"},
        {"a checked radio stays checked", "r1 r1", "Down(r1) Click(r1) Click(r1)", "r1"},
        {"a toggle checks and unchecks", "t0 t0", "Down(t0) Click(t0) Up(t0) Click(t0)", ""},
        {"a toggle unchecks the radios", "r0 t1", "Down(r0) Click(r0) Down(t1) Click(t1)", "t1"},
        {"a toggle unchecked leaves the others", "t0 r2 t0",
         "Down(t0) Click(t0) Down(r2) Click(r2) Down(t0) Click(t0)", "t0"},
        {"unchecking a toggle changes no one else", "t1 t1", "Down(t1) Click(t1) Up(t1) Click(t1)", ""},
    };
    // Five buttons side by side, each 20 wide.
    const char* names[] = {"r0", "r1", "r2", "t0", "t1"};
    // Their images: animations 10 + 2i and 20 + 2i cover (30i, 0) to (30i + 20, 20).
    journal_.withTimes = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::unique_ptr<PushButtonControl>> members;
        RadioContainer group;
        for (int i = 0; i < 5; ++i) {
            if (i < 3) {
                auto radio = std::make_unique<RadioButtonControl>(view_.get(), &journal_, 10, kArt, 0, 0,
                                                                  10 + 2 * i, 20 + 2 * i, 0, true);
                group.AddButton(radio.get());
                members.push_back(std::move(radio));
            } else {
                auto toggle = std::make_unique<ToggleButtonControl>(view_.get(), &journal_, 10, kArt, 0, 0,
                                                                    10 + 2 * i, 20 + 2 * i, 0, true);
                group.AddButton(toggle.get());
                members.push_back(std::move(toggle));
            }
            journal_.senderNames[members.back().get()] = names[i];
            StartAndSettle(*members.back());
        }
        journal_.Mark();
        std::istringstream clicks(c.clicks);
        std::string name;
        while (clicks >> name) {
            const int i =
                static_cast<int>(std::find(std::begin(names), std::end(names), name) - std::begin(names));
            const auto x = static_cast<std::int16_t>(i * 30 + 10);
            Mouse().OnLeftButtonDown(x, 10);
            Run();
            Mouse().OnLeftButtonUp(x, 10);
            Run(2);
        }
        EXPECT_EQ(journal_.text, c.messages);
        std::string checked;
        for (int i = 0; i < 5; ++i) {
            auto* radio = dynamic_cast<RadioButtonControl*>(members[static_cast<std::size_t>(i)].get());
            auto* toggle = dynamic_cast<ToggleButtonControl*>(members[static_cast<std::size_t>(i)].get());
            const bool isChecked = radio != nullptr ? radio->IsChecked() : toggle->IsChecked();
            EXPECT_EQ(isChecked, members[static_cast<std::size_t>(i)]->IsDown()) << names[i];
            EXPECT_EQ(isChecked, members[static_cast<std::size_t>(i)]->GetDownImage()->IsVisible())
                << names[i];
            if (isChecked) {
                checked += (checked.empty() ? "" : " ") + std::string(names[i]);
            }
        }
        EXPECT_EQ(checked, c.checked);
        journal_.senderNames.clear();
    }
}

TEST_F(ButtonControlTest, AddingAButtonTwiceSubscribesTheGroupOnce) {
    RadioButtonControl radio(view_.get(), nullptr, 10, kArt, 0, 0, kUp, kDown, 0, true);
    ToggleButtonControl toggle(view_.get(), nullptr, 10, kArt, 0, 0, kUp, kDown, 0, true);
    RadioContainer group;
    group.AddButton(&radio);
    group.AddButton(&radio);
    group.AddButton(&toggle);
    group.AddButton(&toggle);
    group.AddButton(static_cast<RadioButtonControl*>(nullptr));
    EXPECT_EQ(radio.GetReceiverCount(), 1);
    EXPECT_EQ(toggle.GetReceiverCount(), 1);
    EXPECT_TRUE(radio.HasReceiver(&group));
}

// Radio and toggle buttons have their state from their constructor.
TEST_F(ButtonControlTest, CheckAndUncheckAreQuiet) {
    RadioButtonControl radio(view_.get(), &journal_, 10, kArt, 0, 0, kUp, kDown, 0, false);
    EXPECT_TRUE(radio.IsChecked());
    EXPECT_TRUE(radio.IsDown());
    EXPECT_TRUE(radio.GetDownImage()->IsVisible());
    radio.Uncheck();
    EXPECT_TRUE(radio.IsUnchecked());
    EXPECT_TRUE(radio.IsUp());
    EXPECT_FALSE(radio.GetDownImage()->IsVisible());
    ToggleButtonControl toggle(view_.get(), &journal_, 10, kArt, 0, 0, kUp, kDown, 0, true);
    EXPECT_TRUE(toggle.IsUnchecked());
    toggle.Check();
    EXPECT_TRUE(toggle.IsDown());
    EXPECT_EQ(journal_.text, "");
}

// A receiver that destroys the button from inside its click leaves the button's
// press handling without touching it again.
TEST_F(ButtonControlTest, AClickMayDestroyTheButton) {
    struct Destroyer : MsgReceiver {
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            if (MsgLog::NameOf(msg) == "ButtonClickedMsg") {
                button.reset();
            }
            return 0;
        }
        std::unique_ptr<PushButtonControl> button;
    } destroyer;
    destroyer.button =
        std::make_unique<PushButtonControl>(view_.get(), &destroyer, 10, kArt, 0, 0, kUp, kDown, 0);
    StartAndSettle(*destroyer.button);
    Mouse().OnLeftButtonDown(110, 60);
    Mouse().OnLeftButtonUp(110, 60);
    EXPECT_EQ(destroyer.button, nullptr);
    EXPECT_EQ(Mouse().GetCapture(), nullptr);
    RunFor(10);
}

}  // namespace
