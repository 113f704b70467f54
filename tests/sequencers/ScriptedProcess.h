#pragma once

#include "framework/ProcessForwarder.h"

// A process whose state changes the test drives by hand: its state handlers do
// nothing, so a request stays pending until the test completes it.
class ScriptedProcess : public ProcessForwarder {
  public:
    explicit ScriptedProcess(bool pausable = true) : pausable_(pausable) {}

    bool IsPausable() const override { return pausable_; }
    void OnStarting() override {}
    void OnPausing() override {}
    void OnResuming() override {}
    void OnStopping() override {}

    // Straight into started, as if someone else had run it.
    void RunUp() {
        Start();
        Started();
    }

  private:
    bool pausable_;
};
