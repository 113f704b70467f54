#pragma once

#include "framework/Msg.h"
#include "framework/MsgSender.h"
#include "framework/QueuedMsgReceiver.h"

// A queued receiver acts on the messages it wants on their pass from its queue:
// one that comes directly is queued once (and `queued` set) and not acted on
// yet. True when a wanted message is to be acted on now.
inline bool ActOnDrain(QueuedMsgReceiver& receiver, bool wanted, const Msg& msg, MsgSender* from, bool fromQueue,
                       bool& queued) {
    if (!wanted) return false;
    if (!fromQueue) {
        if (!queued) {
            receiver.QueueMsg(msg, from);
            queued = true;
        }
        return false;
    }
    return true;
}
