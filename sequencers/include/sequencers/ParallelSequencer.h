#pragma once

#include "sequencers/Sequencer.h"

#include <cstdint>
#include <vector>

// Runs its children together: it starts them all, reports started once every
// child has started, stops itself once every child has ended (stopped, or
// paused when added with the pause-ends flag), and when asked to stop stops the
// running children and reports stopped once all have stopped. Children that
// lead with a stopped sound (directly or as the first step of a nested
// sequence) are started first, the others one pass later, so the sounds are not
// held up. It reacts to its children one pass after their state messages, from
// its queue. Without children it starts, and ends, at once.
class ParallelSequencer : public Sequencer {
  public:
    explicit ParallelSequencer(MsgReceiver* receiver) : Sequencer(receiver) {}

    void Add(Process* child) override { Add(child, false); }
    void Add(Process* child, bool pauseEnds);
    void Clear() override;

    // Looks at the children's states and moves the sequencer on.
    virtual void Update();

    void OnStarting() override;
    void OnStopping() override { Update(); }
    void Stopped() override;

    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // A stopped sound, or a sequencer whose first child leads with one.
    static bool LeadsWithStoppedSound(Process* child);

  private:
    void StartAll();
    bool HasEnded(std::size_t i) const;

    std::vector<bool> pauseEnds_;
    bool soundsStartedFirst_ = false;
    // This run's start has begun launching the children.
    bool launching_ = false;
    // Per child: already started (or found running) in this run.
    std::vector<bool> launched_;
};
