#include "app/WinMain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "../framework/FakeRootCanvas.h"
#include "divir/xError.h"
#include "framework/DummyUIRoot.h"
#include "framework/ObjectRegistry.h"
#include "framework/TestApplication.h"
#include "framework/UIRoot.h"
#include "platform/FakeMessageQueue.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/SdlAudioOut.h"
#include "sound/SoundServiceNone.h"
#include "sound/SoundServiceX.h"
#include "sound/xMixer.h"

namespace {

// The program's sound set-up in-process: the real SDL output and the real
// service maker, with the application making its view in its constructor.
class SoundEntryTest : public testing::Test {
  protected:
    void SetUp() override {
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        if (driver != nullptr) savedDriver_ = driver;
        TestApplication::Register();
        xErrorCode = 0;
        xPendingExitCode = 0;
        entry_.instance = this;
        entry_.programPath = "/games/vizuzor/RovodevIdozEzozuz";
        entry_.productName = [](const std::string&) { return std::optional<std::string>("Vizuzor"); };
        entry_.displayMode = [] { return DisplayMode{32, 1024, 768}; };
        entry_.setCurrentFolder = [](const std::string&) {};
        entry_.claimSingleInstance = [](const std::string&) { return true; };
        entry_.queue = &queue_;
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
        });
        SoundService::Install();
    }
    void TearDown() override {
        root_.reset();
        UIRoot::SetSoundServiceMaker(nullptr);
        UIRoot::SetCanvasMaker(nullptr);
        xMixerSetAudioOut(nullptr);
        ObjectRegistry::DestroyAll();
        if (savedDriver_.empty()) {
            unsetenv("SDL_AUDIODRIVER");
        } else {
            setenv("SDL_AUDIODRIVER", savedDriver_.c_str(), 1);
        }
        xErrorCode = 0;
        xPendingExitCode = 0;
    }

    // Runs the entry on SDL's audio driver `driver`; the application makes its
    // root when it is constructed and quits on pass `quitAt`.
    int Run(const char* driver, int quitAt) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        audio_ = std::make_unique<platform::SdlAudioOut>();
        xMixerSetAudioOut(audio_.get());
        TestApplication::script().onConstruct = [this] {
            DummyUIRoot::Register();
            root_ = std::make_unique<UIRoot>("Vizuzor", 8, 640, 480, false);
            mixerService_ = dynamic_cast<SoundServiceX*>(root_->GetSoundService()) != nullptr;
            silentService_ = dynamic_cast<SoundServiceNone*>(root_->GetSoundService()) != nullptr;
        };
        // The view goes with the application, before the registry's objects.
        TestApplication::script().onDestroy = [this] { root_.reset(); };
        TestApplication::script().onPass = [this, quitAt](TestApplication& app) {
            passes_ = app.passes;
            if (app.passes == quitAt) app.Quit();
        };
        const int result = WinMain(entry_);
        root_.reset();
        return result;
    }

    platform::FakeMessageQueue queue_;
    EntryPlatform entry_;
    platform::RecordingMessageBoxSink boxes_;
    std::unique_ptr<platform::SdlAudioOut> audio_;
    std::unique_ptr<UIRoot> root_;
    std::string savedDriver_;
    int passes_ = 0;
    bool mixerService_ = false;
    bool silentService_ = false;
};

TEST_F(SoundEntryTest, AnUnknownAudioDriverEndsTheRunAfterOnePassWithTheNoDriverText) {
    Run("no-such-driver", 1000);
    EXPECT_TRUE(silentService_);
    EXPECT_LE(passes_, 1);  // the code is there before the first pass ends
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(
        boxes_.boxes[0].text,
        "Vizuzor can't find any sound card drivers. You MUST have a properly-installed sound card to play "
        "Vizuzor.  If you have a sound card, make sure you have the appropriate drivers installed.");
}

TEST_F(SoundEntryTest, TheDummyDriverPlaysThroughTheMixerService) {
    Run("dummy", 3);
    EXPECT_TRUE(mixerService_);
    EXPECT_GE(passes_, 3);
    EXPECT_TRUE(boxes_.boxes.empty());
}

}  // namespace
