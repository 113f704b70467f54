#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Process.h"
#include "framework/ProcessSupport.h"

// A reusable base for a class that is a process: it creates the ProcessSupport
// with the class as owner and forwards every Process and MsgSender operation to
// it. A derived class overrides any single operation (a state handler, a state
// test) and the support follows the override, because it calls back through the
// owner.
class ProcessForwarder : public virtual Process {
  public:
    ProcessForwarder() : processSupport_(std::make_unique<ProcessSupport>(this)) {}
    ProcessForwarder(const ProcessForwarder&) = delete;
    ProcessForwarder& operator=(const ProcessForwarder&) = delete;
    ~ProcessForwarder() override = default;

    void AddReceiver(MsgReceiver* receiver) override { processSupport_->AddReceiver(receiver); }
    void RemoveReceiver(MsgReceiver* receiver) override { processSupport_->RemoveReceiver(receiver); }
    bool HasReceiver(MsgReceiver* receiver) const override { return processSupport_->HasReceiver(receiver); }
    std::int32_t GetReceiverCount() const override { return processSupport_->GetReceiverCount(); }
    void Send(const Msg& msg) override { processSupport_->Send(msg); }

    void Start() override { processSupport_->Start(); }
    void Pause() override { processSupport_->Pause(); }
    void Resume() override { processSupport_->Resume(); }
    void Stop() override { processSupport_->Stop(); }
    void Started() override { processSupport_->Started(); }
    void Paused() override { processSupport_->Paused(); }
    void Resumed() override { processSupport_->Resumed(); }
    void Stopped() override { processSupport_->Stopped(); }
    void Fail() override { processSupport_->Fail(); }
    bool IsPausable() const override { return processSupport_->IsPausable(); }

    bool IsStopped() const override { return processSupport_->IsStopped(); }
    bool IsStarting() const override { return processSupport_->IsStarting(); }
    bool IsStarted() const override { return processSupport_->IsStarted(); }
    bool IsPausing() const override { return processSupport_->IsPausing(); }
    bool IsPaused() const override { return processSupport_->IsPaused(); }
    bool IsResuming() const override { return processSupport_->IsResuming(); }
    bool IsStopping() const override { return processSupport_->IsStopping(); }
    bool IsErred() const override { return processSupport_->IsErred(); }

    bool HasBeenStopped() const override { return processSupport_->HasBeenStopped(); }
    bool HasBeenStarting() const override { return processSupport_->HasBeenStarting(); }
    bool HasBeenStarted() const override { return processSupport_->HasBeenStarted(); }
    bool HasBeenPausing() const override { return processSupport_->HasBeenPausing(); }
    bool HasBeenPaused() const override { return processSupport_->HasBeenPaused(); }
    bool HasBeenResuming() const override { return processSupport_->HasBeenResuming(); }
    bool HasBeenResumed() const override { return processSupport_->HasBeenResumed(); }
    bool HasBeenStopping() const override { return processSupport_->HasBeenStopping(); }

    bool ErredWhileStarting() const override { return processSupport_->ErredWhileStarting(); }
    bool ErredWhileStarted() const override { return processSupport_->ErredWhileStarted(); }
    bool ErredWhilePausing() const override { return processSupport_->ErredWhilePausing(); }
    bool ErredWhilePaused() const override { return processSupport_->ErredWhilePaused(); }
    bool ErredWhileResuming() const override { return processSupport_->ErredWhileResuming(); }
    bool ErredWhileStopping() const override { return processSupport_->ErredWhileStopping(); }
    bool HasErred() const override { return processSupport_->HasErred(); }

    std::string GetStateName() const override { return processSupport_->GetStateName(); }

    void OnStarting() override { processSupport_->OnStarting(); }
    void OnStarted() override { processSupport_->OnStarted(); }
    void OnPausing() override { processSupport_->OnPausing(); }
    void OnPaused() override { processSupport_->OnPaused(); }
    void OnResuming() override { processSupport_->OnResuming(); }
    void OnStopping() override { processSupport_->OnStopping(); }
    void OnStopped() override { processSupport_->OnStopped(); }
    void OnErred() override { processSupport_->OnErred(); }

    void ClearHistory() override { processSupport_->ClearHistory(); }
    void SetStarting() override { processSupport_->SetStarting(); }
    void SetStarted() override { processSupport_->SetStarted(); }
    void SetPausing() override { processSupport_->SetPausing(); }
    void SetPaused() override { processSupport_->SetPaused(); }
    void SetResuming() override { processSupport_->SetResuming(); }
    void SetResumed() override { processSupport_->SetResumed(); }
    void SetStopping() override { processSupport_->SetStopping(); }
    void SetStopped() override { processSupport_->SetStopped(); }
    void SetErred() override { processSupport_->SetErred(); }

  protected:
    ProcessSupport& GetProcessSupport() { return *processSupport_; }
    const ProcessSupport& GetProcessSupport() const { return *processSupport_; }

  private:
    std::unique_ptr<ProcessSupport> processSupport_;
};
