#pragma once

#include <string>

#include "framework/MsgSender.h"

// The life cycle role: stopped, starting, started, pausing, paused, resuming,
// stopping, erred. Requests and completions are refused with the integer 0 when
// the process's own state tests do not allow them; each accepted step is announced
// by a state message to the process's receivers and followed, on a later run of
// the execution service, by the state handler of the state that then holds.
class Process : public virtual MsgSender {
  public:
    // Requests.
    virtual void Start() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;
    // Completions.
    virtual void Started() = 0;
    virtual void Paused() = 0;
    virtual void Resumed() = 0;
    virtual void Stopped() = 0;

    virtual void Fail() = 0;
    virtual bool IsPausable() const = 0;

    virtual bool IsStopped() const = 0;
    virtual bool IsStarting() const = 0;
    virtual bool IsStarted() const = 0;
    virtual bool IsPausing() const = 0;
    virtual bool IsPaused() const = 0;
    virtual bool IsResuming() const = 0;
    virtual bool IsStopping() const = 0;
    virtual bool IsErred() const = 0;

    virtual bool HasBeenStopped() const = 0;
    virtual bool HasBeenStarting() const = 0;
    virtual bool HasBeenStarted() const = 0;
    virtual bool HasBeenPausing() const = 0;
    virtual bool HasBeenPaused() const = 0;
    virtual bool HasBeenResuming() const = 0;
    virtual bool HasBeenResumed() const { return false; }
    virtual bool HasBeenStopping() const = 0;

    virtual bool ErredWhileStarting() const = 0;
    virtual bool ErredWhileStarted() const = 0;
    virtual bool ErredWhilePausing() const = 0;
    virtual bool ErredWhilePaused() const = 0;
    virtual bool ErredWhileResuming() const = 0;
    virtual bool ErredWhileStopping() const = 0;
    virtual bool HasErred() const = 0;

    virtual std::string GetStateName() const = 0;

    // State handlers, run by the execution service.
    virtual void OnStarting() = 0;
    virtual void OnStarted() = 0;
    virtual void OnPausing() = 0;
    virtual void OnPaused() = 0;
    virtual void OnResuming() = 0;
    virtual void OnStopping() = 0;
    virtual void OnStopped() = 0;
    virtual void OnErred() = 0;

    // Setters: each sets the state and its sticky history flag, nothing else.
    virtual void ClearHistory() = 0;
    virtual void SetStarting() = 0;
    virtual void SetStarted() = 0;
    virtual void SetPausing() = 0;
    virtual void SetPaused() = 0;
    virtual void SetResuming() = 0;
    virtual void SetResumed() {}
    virtual void SetStopping() = 0;
    virtual void SetStopped() = 0;
    virtual void SetErred() = 0;
};
