#pragma once

// The program's pump over a scripted queue that really waits on the sockets:
// the queue's clock is manual, but a blocking wait watches the sockets layer's
// descriptors (limited by the 33 ms thread timer), so loopback peers are served
// without sleeping. The application clock is a manual one too.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/AppTime.h"
#include "framework/MessagePump.h"
#include "platform/AsyncSockets.h"
#include "platform/FakeMessageQueue.h"

class PumpFixture : public ::testing::Test {
  public:
    void SetUp() override {
        platform::MessageQueue::Install(&queue_);
        queue_.SetForeground(false);
        queue_.StartThreadTimer(33);
        queue_.SetWaitHook([this](std::uint32_t maxMs) {
            std::vector<platform::WaitDescriptor> descriptors;
            queue_.GatherWaitDescriptors(descriptors);
            platform::WaitForDescriptors(descriptors, maxMs);
        });
        SetAppTickSource([this] { return appNow_; });
    }

    void TearDown() override {
        SetAppTickSource({});
        queue_.SetWaitHook({});
        platform::MessageQueue::Install(nullptr);
    }

    // One pass of the main loop in the background: serves one message, waiting
    // for one when none is pending.
    void PumpOnce() {
        xAppInBackground = background_ ? 1 : 0;
        PumpMessages();
        xAppInBackground = 0;
        if (step_) step_();
    }

    // Pumps until done() holds; false after `passes` passes without it.
    bool PumpUntil(const std::function<bool()>& done, int passes = 3000) {
        for (int i = 0; i < passes; ++i) {
            if (done()) return true;
            PumpOnce();
        }
        return done();
    }

    void PumpPasses(int passes) {
        for (int i = 0; i < passes; ++i) PumpOnce();
    }

    // Runs after each pass (the per-pass step of the program's main loop).
    void SetStep(std::function<void()> step) { step_ = std::move(step); }
    // In the foreground the pump never waits: for long runs that need no peer.
    void SetBackground(bool background) { background_ = background; }
    void AdvanceAppTime(std::uint32_t ms) { appNow_ += ms; }
    std::uint32_t AppNow() const { return appNow_; }

    platform::FakeMessageQueue queue_;

  private:
    std::uint32_t appNow_ = 1;
    bool background_ = true;
    std::function<void()> step_;
};
