#pragma once

#include "framework/ProcessNode.h"

#include <cstdint>

class MsgReceiver;

// The base of every on-screen control: a UI node, a process and a queued
// receiver whose roles are forwarded to support objects it owns. A subclass
// overrides its message handler, its state handlers and its drawing.
//
// A control that owns child processes keeps them in a ParallelSequencer whose
// receiver is the control: its OnStarting starts the sequencer, and when the
// sequencer reports started the control calls DefaultOnStarting, which
// completes the start; stopping goes the same way through OnStopping and
// DefaultOnStopping. So it reports started only when all its parts have
// started, and stopped only when all have stopped.
//
// A control does not stop itself when destroyed, and does not leave the
// receiver lists of the senders it listens to: their owner arranges that.
class Control : public ProcessNode {
  public:
    // The parent must not be null; a null receiver adds nobody. Throws the
    // integer 0 when the control cannot be made.
    Control(UI* parent, MsgReceiver* receiver, std::int32_t layer);
    ~Control() override = default;

    virtual void OnLostKeyboardFocus() {}
    virtual void OnGainedKeyboardFocus() {}
    virtual bool IsKeyboardTarget() { return false; }

  protected:
    // Control's own state handlers, for a subclass that has overridden them and
    // now wants the transition completed (a virtual call would come back to the
    // override).
    void DefaultOnStarting() { ProcessForwarder::OnStarting(); }
    void DefaultOnStopping() { ProcessForwarder::OnStopping(); }
    // Control's own layer setter, for the same reason.
    void DefaultSetLayer(std::int32_t layer) { ProcessNode::SetLayer(layer); }
};
