#pragma once

// The game view as the program makes it (its own factory table, the real
// progress and logon screens) on the screen canvas, over the program's pump and
// a scripted queue that really waits on the sockets: loopback peers are served
// without sleeping. The queue's clock (window timers) and the application clock
// (rates, times) move together when the test says so; each pass of the pump runs
// the execution service. Dialogs sit over the view's window and are worked
// through the dialog layer's own input routing, as a player's keys and clicks.

#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MouseService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "framework/UIRoot.h"
#include "media/AnimationService.h"
#include "media/ScreenRootCanvas.h"
#include "media/WinScreenCanvas.h"
#include "net/PumpFixture.h"
#include "platform/CaptureAudioOut.h"
#include "platform/DialogWindow.h"
#include "platform/RecordingMessageBoxSink.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"
#include "support/DialogDriver.h"

class RealViewFixture : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        ASSERT_EQ(::chdir(VIEW_PACK), 0);
        xErrorCode = 0;
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        if (withFileRegistry_) registry_ = std::make_unique<FileRegistry>();
        ScreenRootCanvas::Install();
        AnimationService::Install();
        DummyUIRoot::Register();
        xMixerSetAudioOut(&audio_);
        SoundService::Install();
        set_ = true;
    }
    void TearDown() override {
        if (!set_) {
            PumpFixture::TearDown();
            return;
        }
        SetStep({});
        for (platform::WindowHandle h : platform::DialogWindows()) platform::DestroyDialogWindow(h);
        BeforeTearDown();
        ObjectRegistry::DestroyAll();
        UIRoot::SetSoundServiceMaker(nullptr);
        xMixerSetAudioOut(nullptr);
        xPendingExitCode = 0;
        AnimationService::Uninstall();
        UIRoot::SetCanvasMaker(nullptr);
        WinScreenCanvas::SetMouseTargetLookup(nullptr);
        registry_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
        xErrorCode = 0;
        PumpFixture::TearDown();
    }

    // What goes before the singletons: the view and whatever holds it.
    virtual void BeforeTearDown() {}

    // The pump in the foreground until nothing is pending, then one pass.
    void Serve() {
        SetBackground(false);
        platform::WinMessage m;
        for (int guard = 0; guard < 1000 && queue_.Peek(m, 0, 0, false); ++guard) PumpOnce();
        PumpOnce();
        SetBackground(true);
    }

    // Both clocks move on, then the pump serves what fell due.
    void Advance(std::uint32_t ms) {
        queue_.Advance(ms);
        AdvanceAppTime(ms);
        Serve();
    }

    // The dialog driver over a window (the view's, once it has one).
    DialogDriver Driver(platform::WindowHandle owner) {
        return DialogDriver(queue_, owner, [this] { Serve(); });
    }

    platform::RecordingMessageBoxSink boxes_;

  protected:
    // Cleared before SetUp where the program's own file-update service makes the
    // file registry.
    bool withFileRegistry_ = true;

  private:
    bool set_ = false;
    platform::CaptureAudioOut audio_;
    std::unique_ptr<FileRegistry> registry_;
};

// Writes down the messages it gets, by a name the test gives.
class HeardMsgs : public MsgReceiver {
  public:
    using Namer = std::function<std::string(const Msg&)>;
    explicit HeardMsgs(Namer namer) : namer_(std::move(namer)) {}
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        const std::string name = namer_(msg);
        if (!name.empty()) names.push_back(name);
        return 0;
    }
    std::vector<std::string> names;

  private:
    Namer namer_;
};
