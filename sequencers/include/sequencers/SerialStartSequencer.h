#pragma once

#include "sequencers/Sequencer.h"

#include <cstdint>

// A one-shot composition: starts its children one at a time in list order,
// each one pass after the previous one reported started; reports started once
// no child is stopped, then stops itself, leaving the children running.
class SerialStartSequencer : public Sequencer {
  public:
    explicit SerialStartSequencer(MsgReceiver* receiver) : Sequencer(receiver) {}

    // Only while stopped; a null or listed child, or one that is not stopped, is ignored.
    void Add(Process* child) override;
    void Clear() override;

    // Looks at the children's states and moves the sequencer on.
    virtual void Update();

    void OnStarting() override;
    void OnStarted() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;
};
