#pragma once

#include "sequencers/Sequencer.h"

#include <cstdint>

// A one-shot composition: starts every child and reports started once all
// have started, then stops itself, leaving the children running. It reacts to
// its children one pass after their StartedMsg, from its queue.
class StartSequencer : public Sequencer {
  public:
    explicit StartSequencer(MsgReceiver* receiver) : Sequencer(receiver) {}

    // Only while stopped; a null or listed child, or one that is not stopped, is ignored.
    void Add(Process* child) override;
    void Clear() override;

    // Looks at the children's states and moves the sequencer on.
    virtual void Update();

    void OnStarting() override;
    void OnStarted() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;
};
