#pragma once

#include "sequencers/Sequencer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Runs its children one after another and ends after the last. It reacts to a
// child's state message at once, inside the child's send. Where two steps can
// join without a gap it prepares the next one while the current one runs: a
// sound takes over the previous sound's channel, an animation continues where
// the previous one ends, and a nested serial sequence does the same through its
// first child (the nested sequence then starts with that child, and this one
// follows the nested sequence). A broken sequence (a message from a child that
// cannot send it now) throws the integer 0.
class SerialSequencer : public Sequencer {
  public:
    explicit SerialSequencer(MsgReceiver* receiver) : Sequencer(receiver) {}

    void Add(Process* child) override { Add(child, false); }
    // With the pause-ends flag, the child's pause counts as its end.
    void Add(Process* child, bool pauseEnds);
    void Clear() override;

    // Null when there are no children or the sequence has run past the last.
    virtual Process* GetCurrentChild();
    // While stopped: follow the first child, and start when someone else
    // starts it. Renewed for every run.
    virtual void WatchFirstChild();
    virtual bool SupportsWatchFirstChild() { return true; }
    virtual void OnFirstChildStarting(Process* child);
    virtual void OnChildStarted(Process* child);
    virtual void OnChildPaused(Process* child);
    virtual void OnChildStopped(Process* child);
    virtual void OnChildQueueAborted(Process* child);
    virtual void PrepareNext();
    // Whether `next` was told to follow on from `previous` by itself.
    virtual bool PrepareHandOver(Process* previous, bool previousPauseEnds, Process* next);

    void Stop() override;
    void Stopped() override;
    void OnStarting() override;
    void OnStarted() override;
    void OnStopping() override {}

    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    // Tells `next` (or a nested sequence's first child) to follow on.
    static bool FollowOn(Process* previous, bool previousPauseEnds, Process* next);
    static bool FollowOnIntoNested(Process* previous, bool previousPauseEnds, Process* next);
    void OnChildResumed(Process* child);
    bool IsCurrent(const Process* child) const;
    bool IsNext(const Process* child) const;

    std::vector<bool> pauseEnds_;
    std::size_t current_ = 0;
    bool firstStartedElsewhere_ = false;
    bool nextPrepared_ = false;
    bool firstWatched_ = false;
};
