#pragma once

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"

#include <cstdint>
#include <vector>

// A process that runs its child processes together: it starts them all, reports
// started once every child has started, stops itself once every child has ended
// (stopped, or paused when added with the pause-ends flag), and when asked to
// stop stops the running children and reports stopped once all have stopped.
// It reacts to its children one pass after their state messages, from its
// queue. The children are borrowed; it listens to them only while it runs, and
// leaves any that still list it when destroyed. It cannot be paused.
//
// Built for the controls, whose parts are animations and timers: children that
// lead with a sound get no head start here.
class ParallelSequencer : public ProcessForwarder, public QueuedMsgReceiverForwarder {
  public:
    // The receiver (may be null) hears the sequencer's own state messages.
    explicit ParallelSequencer(MsgReceiver* receiver);
    ~ParallelSequencer() override;

    ParallelSequencer(const ParallelSequencer&) = delete;
    ParallelSequencer& operator=(const ParallelSequencer&) = delete;

    // Only while stopped; a null or listed child is ignored.
    virtual void Add(Process* child) { Add(child, false); }
    void Add(Process* child, bool pauseEnds);
    // Only while stopped.
    virtual void Clear();
    // Throws the integer 0 for an index out of range.
    virtual Process* GetChild(std::int32_t index);
    virtual std::int32_t GetChildCount() { return static_cast<std::int32_t>(children_.size()); }

    // Looks at the children's states and moves the sequencer on.
    virtual void Update();

    bool IsPausable() const override { return false; }
    // Starts the children; with none it starts, and ends, at once.
    void OnStarting() override;
    void OnStopping() override { Update(); }
    void Stopped() override;

    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    void StartAll();
    void LeaveChildren();
    bool HasEnded(std::size_t i) const;

    std::vector<Process*> children_;
    std::vector<bool> pauseEnds_;
};
