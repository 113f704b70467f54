#pragma once

#include <string>

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"

// Base of the program's application object: a process and a queued receiver,
// made by the object registry under the name "XApplication". Its constructor
// registers the framework's singletons (none is created there); its per-pass step
// runs the execution service; Quit is what the close command does; the control
// panel operations are what Escape toggles. The game derives its own application
// object, overriding the state handlers, the handler of messages, the per-pass
// step and the control-panel operations.
class XApplication : public ProcessForwarder, public QueuedMsgReceiverForwarder {
  public:
    static constexpr const char* kName = "XApplication";

    // Registers, in this order, "ExecutionService", "MouseService", "DummyUIRoot",
    // "RoomMsgFactory", "RoomFactory", "PlayerFactory" and "FileResourceFactory".
    // A derived constructor may register any of these names again to put its own
    // class in place, as long as nothing has looked the name up.
    XApplication();
    // Discards what is still queued, then the life cycle.
    ~XApplication() override;

    // The registered application object, created on first use.
    static XApplication& GetInstance();

    // The application can pause; it keeps the interface's defaults for resumed.
    bool IsPausable() const override { return true; }
    bool HasBeenResumed() const override { return Process::HasBeenResumed(); }
    void SetResumed() override { Process::SetResumed(); }

    virtual const std::string& GetName() const { return name_; }
    // Stops the application when it is started; in any other state the request
    // is dropped.
    virtual void Quit();
    virtual void ShowControlPanel() {}
    virtual void HideControlPanel() {}
    virtual bool IsControlPanelUp() const { return false; }
    // The per-pass step: one run of the execution service.
    virtual void RunExecutables();

  private:
    std::string name_ = kName;
};
