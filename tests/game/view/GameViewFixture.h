#pragma once

// A screen canvas of the size a test asks for (SDL's dummy driver), the
// animation service installed, the manual clock, and the game's resources
// registered against the fixture pack that the build lays out under
// Resources\ (the test works in that folder).

#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/DummyUIRoot.h"
#include "framework/SchedulerFixture.h"
#include "framework/View.h"
#include "game/view/ResourceCatalogue.h"
#include "media/AnimationService.h"
#include "media/TextStrip.h"
#include "media/xPalette.h"
#include "platform/CaptureAudioOut.h"
#include "platform/GameWindow.h"
#include "platform/Surface.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"
#include "support/AnimationStage.h"

class GameViewFixture : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        ASSERT_EQ(::chdir(VIEW_PACK), 0);
    }
    void TearDown() override {
        view_.reset();
        if (withSound_) {
            UIRoot::SetSoundServiceMaker(nullptr);
            xMixerSetAudioOut(nullptr);
            xPendingExitCode = 0;
        }
        stage_.reset();
        SchedulerFixture::TearDown();
    }

    // A plain view of that size with the game's resources registered.
    void MakeView(std::int32_t width, std::int32_t height) {
        stage_ = std::make_unique<AnimationStage>();
        if (withSound_) {
            DummyUIRoot::Register();
            xMixerSetAudioOut(&out_);
            SoundService::Install();
        }
        view_ = std::make_unique<View>("Vizuzor", 8, width, height, false);
        RegisterGameResources(view_.get());
        view_->ClearScreen(xPalette::Default());
    }

    static int StartAndSettle(Process& process) {
        process.Start();
        int passes = 0;
        while (!process.IsStarted() && passes < 50) {
            Run();
            ++passes;
        }
        return passes;
    }
    static int StopAndSettle(Process& process) {
        process.Stop();
        int passes = 0;
        while (!process.IsStopped() && passes < 50) {
            Run();
            ++passes;
        }
        return passes;
    }
    void RunFor(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            if (withSound_) out_.Advance(1);
            Run();
        }
    }

    const platform::Surface& Back() { return *platform::GetBackBuffer(view_->GetWindow()); }

    // Pixels of the window's rectangle whose index is not `index`.
    int CountOther(const xRect& area, std::uint8_t index) {
        const platform::Surface& back = Back();
        int other = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint8_t* row = back.Row(y);
            for (int x = area.left; x < area.right; ++x) other += row[x] != index ? 1 : 0;
        }
        return other;
    }

    // The text of a field of the view's text strip.
    std::string FieldText(int field) {
        auto* service = dynamic_cast<AnimationService*>(view_->GetAnimationService());
        if (service == nullptr) return "(no service)";
        TextStripItem* item = service->GetTextStrip()->GetItem(field);
        return item != nullptr ? item->text : "(no field)";
    }

    // Set before MakeView: the real sound service on a captured output.
    bool withSound_ = false;
    platform::CaptureAudioOut out_;
    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
};
