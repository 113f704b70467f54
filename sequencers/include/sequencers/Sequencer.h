#pragma once

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"

#include <cstdint>
#include <vector>

// A process composed of child processes: its life cycle follows what the
// children report through their state messages. The children are borrowed and
// never deleted; a sequencer listens to a child only while it needs to, and
// leaves every child that still lists it when destroyed. It cannot be paused.
class Sequencer : public ProcessForwarder, public QueuedMsgReceiverForwarder {
  public:
    // The receiver (may be null) hears the sequencer's own state messages.
    explicit Sequencer(MsgReceiver* receiver);
    ~Sequencer() override;

    Sequencer(const Sequencer&) = delete;
    Sequencer& operator=(const Sequencer&) = delete;

    // Only while stopped; a null or listed child is ignored.
    virtual void Add(Process* child) = 0;
    // Only while stopped.
    virtual void Clear() = 0;
    // Throws the integer 0 for an index out of range.
    virtual Process* GetChild(std::int32_t index);
    virtual std::int32_t GetChildCount() { return static_cast<std::int32_t>(children_.size()); }

    bool IsPausable() const override { return false; }

  protected:
    // Whether the child may be appended now (stopped, not null, not listed).
    bool CanAdd(Process* child) const;
    void Listen(Process* child);
    void Leave(Process* child);
    void LeaveChildren();

    std::vector<Process*> children_;
};
