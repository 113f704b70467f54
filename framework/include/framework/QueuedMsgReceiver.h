#pragma once

#include <cstdint>

#include "framework/MsgReceiver.h"

// Receiving role that acts on its messages later, when its queue is drained.
//
// Every class of a receiver's chain overrides HandleMsg the same way: for each
// message class it wants (of that class or derived, from the watched sender), an
// arriving message (fromQueue false) is queued unless `queued` is already true and
// `queued` then becomes true; a message back from the queue (fromQueue true) is
// acted on. At the end the four values go on to the base class's HandleMsg. So a
// message is queued at most once per receiver and every class that wants it acts.
class QueuedMsgReceiver : public virtual MsgReceiver {
  public:
    virtual std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) = 0;
    virtual void QueueMsg(const Msg& msg, MsgSender* from) = 0;
};
