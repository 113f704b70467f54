#pragma once

#include "sequencers/Sequencer.h"

#include <cstdint>

// A one-shot composition: once started, stops every running or paused child
// and stops itself when every child is stopped. It reacts to its children one
// pass after their state messages, from its queue.
class StopSequencer : public Sequencer {
  public:
    explicit StopSequencer(MsgReceiver* receiver) : Sequencer(receiver) {}

    // Only while stopped; a null or listed child is ignored.
    void Add(Process* child) override;
    void Clear() override;

    // Looks at the children's states and moves the sequencer on.
    virtual void Update();

    void OnStarted() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;
};
