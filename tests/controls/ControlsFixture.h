#pragma once

#include "framework/AppTime.h"
#include "framework/MouseService.h"
#include "framework/MsgLog.h"
#include "framework/Process.h"
#include "framework/SchedulerFixture.h"
#include "framework/View.h"
#include "support/AnimationStage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>

// Controls on a view on the screen canvas (SDL's dummy driver), the mouse
// service registered, the animation service installed and the controls' art
// catalogued from a .srf our writer made, time on the manual clock.
class ControlsFixture : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        MouseService::Register();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        stage_->AddStrips(std::string(CONTROLS_ART) + "/controls_art.srf", {700, 800, 900}, view_.get());
    }
    void TearDown() override {
        view_.reset();
        stage_.reset();
        SchedulerFixture::TearDown();
    }

    static MouseService& Mouse() { return *MouseService::GetInstance(); }

    // One pass per millisecond.
    void RunFor(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            Run();
        }
    }
    // Starts the process and runs passes (without moving the clock) until it
    // has started; the number of passes that took.
    static int StartAndSettle(Process& process) {
        process.Start();
        int passes = 0;
        while (!process.IsStarted() && passes < 50) {
            Run();
            ++passes;
        }
        return passes;
    }

    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
};

// Writes down the messages it gets whose class is named in the table, as
// "Short" or "Short(sender)" with the application time since Mark.
class Journal : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        const auto it = shortNames.find(MsgLog::NameOf(msg));
        if (it == shortNames.end()) {
            return 0;
        }
        std::ostringstream entry;
        entry << it->second;
        const auto sender = senderNames.find(from);
        if (sender != senderNames.end()) {
            entry << "(" << sender->second << ")";
        }
        if (withTimes) {
            entry << "@" << (GetAppTime() - mark);
        }
        text += (text.empty() ? "" : " ") + entry.str();
        return 0;
    }

    void Mark() {
        mark = GetAppTime();
        text.clear();
    }

    std::map<std::string, std::string> shortNames;
    std::map<MsgSender*, std::string> senderNames;
    bool withTimes = true;
    std::uint32_t mark = 0;
    std::string text;
};
