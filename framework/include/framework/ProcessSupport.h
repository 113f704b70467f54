#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/ExecutableSupport.h"
#include "framework/MsgSenderSupport.h"
#include "framework/Process.h"

// The life cycle's implementation, created by a process with itself as owner.
// Guards use the owner's state tests and state messages go out through the
// owner's Send, so an owner that overrides either changes what happens here; the
// state itself moves only through this object's own setters. Its Execute (the
// state handler) calls the owner's handler for the state that holds.
class ProcessSupport : public virtual Process, public ExecutableSupport {
  public:
    enum State : std::int32_t {
        kStopped = 0,
        kStarting = 1,
        kStarted = 2,
        kPausing = 3,
        kPaused = 4,
        kResuming = 5,
        kStopping = 6,
        kErred = 7,
    };

    // Throws the integer 0 for a null owner.
    explicit ProcessSupport(Process* owner);
    ProcessSupport(const ProcessSupport&) = delete;
    ProcessSupport& operator=(const ProcessSupport&) = delete;
    ~ProcessSupport() override;

    // The receivers, kept in a sender support that names the owner as sender.
    void AddReceiver(MsgReceiver* receiver) override;
    void RemoveReceiver(MsgReceiver* receiver) override;
    bool HasReceiver(MsgReceiver* receiver) const override;
    std::int32_t GetReceiverCount() const override;
    void Send(const Msg& msg) override;

    void Start() override;
    void Pause() override;
    void Resume() override;
    void Stop() override;
    void Started() override;
    void Paused() override;
    void Resumed() override;
    void Stopped() override;
    void Fail() override;
    bool IsPausable() const override { return false; }

    bool IsStopped() const override { return state_ == kStopped; }
    bool IsStarting() const override { return state_ == kStarting; }
    bool IsStarted() const override { return state_ == kStarted; }
    bool IsPausing() const override { return state_ == kPausing; }
    bool IsPaused() const override { return state_ == kPaused; }
    bool IsResuming() const override { return state_ == kResuming; }
    bool IsStopping() const override { return state_ == kStopping; }
    bool IsErred() const override { return state_ == kErred; }

    bool HasBeenStopped() const override { return hasBeenStopped_; }
    bool HasBeenStarting() const override { return hasBeenStarting_; }
    bool HasBeenStarted() const override { return hasBeenStarted_; }
    bool HasBeenPausing() const override { return hasBeenPausing_; }
    bool HasBeenPaused() const override { return hasBeenPaused_; }
    bool HasBeenResuming() const override { return hasBeenResuming_; }
    bool HasBeenResumed() const override { return hasBeenResumed_; }
    bool HasBeenStopping() const override { return hasBeenStopping_; }

    bool ErredWhileStarting() const override { return erredWhileStarting_; }
    bool ErredWhileStarted() const override { return erredWhileStarted_; }
    bool ErredWhilePausing() const override { return erredWhilePausing_; }
    bool ErredWhilePaused() const override { return erredWhilePaused_; }
    bool ErredWhileResuming() const override { return erredWhileResuming_; }
    bool ErredWhileStopping() const override { return erredWhileStopping_; }
    bool HasErred() const override;

    std::string GetStateName() const override;

    void OnStarting() override;
    void OnStarted() override {}
    void OnPausing() override;
    void OnPaused() override {}
    void OnResuming() override;
    void OnStopping() override;
    void OnStopped() override {}
    void OnErred() override;

    void ClearHistory() override;
    void SetStarting() override;
    void SetStarted() override;
    void SetPausing() override;
    void SetPaused() override;
    void SetResuming() override;
    void SetResumed() override;
    void SetStopping() override;
    void SetStopped() override;
    void SetErred() override;

    // The state handler.
    void Execute() override;

    // The raw state, for tests of values the setters never produce.
    std::int32_t GetState() const { return state_; }
    void SetStateForTest(std::int32_t state) { state_ = state; }

  private:
    Process* owner_ = nullptr;
    std::unique_ptr<MsgSenderSupport> sender_;
    std::int32_t state_ = kStopped;

    bool hasBeenStopped_ = false;
    bool hasBeenStarting_ = false;
    bool hasBeenStarted_ = false;
    bool hasBeenPausing_ = false;
    bool hasBeenPaused_ = false;
    bool hasBeenResuming_ = false;
    bool hasBeenResumed_ = false;
    bool hasBeenStopping_ = false;

    bool erredWhileStarting_ = false;
    bool erredWhileStarted_ = false;
    bool erredWhilePausing_ = false;
    bool erredWhilePaused_ = false;
    bool erredWhileResuming_ = false;
    bool erredWhileStopping_ = false;
};
