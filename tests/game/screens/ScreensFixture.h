#pragma once

// The screens over the program's own pump and a scripted queue, in a view whose
// window is a fixed handle (the dialogs sit over it). The queue's clock (window
// timers) and the application clock (rates, times) move together when the test
// says so; each pass of the pump runs the execution service, as the main loop's
// per-pass step does.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/RootCanvas.h"
#include "framework/View.h"
#include "net/PumpFixture.h"
#include "platform/DialogWindow.h"
#include "support/DialogDriver.h"

inline const platform::WindowHandle kGameWindow =
    reinterpret_cast<platform::WindowHandle>(std::uintptr_t{0x3000});

class GameWindowCanvas : public RootCanvas {
  public:
    xRect GetFrameRect() override { return {0, 0, 640, 480}; }
    xPalette* GetPaletteMember() override { return nullptr; }
    void FillFrame(const xRGB&) override {}
    void SetPalette(const xPalette&) override {}
    platform::WindowHandle GetWindow() override { return kGameWindow; }
    bool IsForeground() override { return true; }
    void SetClassCursor(platform::SystemCursor c) override { cursor_ = c; }
    platform::SystemCursor GetClassCursor() override { return cursor_; }

  private:
    platform::SystemCursor cursor_ = platform::SystemCursor::Arrow;
};

// Writes down the class of every message it gets, by a name the test gives.
class MsgJournal : public MsgReceiver {
  public:
    using Namer = std::function<std::string(const Msg&)>;
    explicit MsgJournal(Namer namer) : namer_(std::move(namer)) {}
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        const std::string name = namer_(msg);
        if (!name.empty()) names.push_back(name);
        return 0;
    }
    std::vector<std::string> names;

  private:
    Namer namer_;
};

class ScreensFixture : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        ExecutionService::Register();
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<GameWindowCanvas>();
        });
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        SetStep([] { ExecutionService::GetInstance().RunExecutables(); });
    }
    void TearDown() override {
        SetStep({});
        for (platform::WindowHandle h : platform::DialogWindows()) platform::DestroyDialogWindow(h);
        view_.reset();
        UIRoot::SetCanvasMaker(nullptr);
        ObjectRegistry::DestroyAll();
        PumpFixture::TearDown();
    }

    // The pump in the foreground until nothing is pending.
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

    std::unique_ptr<View> view_;
    DialogDriver driver_{queue_, kGameWindow, [this] { Serve(); }};
};
