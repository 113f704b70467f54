#pragma once

#include <cstdint>

#include "framework/XAppObject.h"

class Msg;
class MsgReceiver;

// Sending role: a list of subscribed receivers, each handed every message at once.
class MsgSender : public virtual XAppObject {
  public:
    // A null receiver is ignored; a receiver already subscribed stays once.
    virtual void AddReceiver(MsgReceiver* receiver) = 0;
    // A null or absent receiver changes nothing.
    virtual void RemoveReceiver(MsgReceiver* receiver) = 0;
    virtual bool HasReceiver(MsgReceiver* receiver) const = 0;
    virtual std::int32_t GetReceiverCount() const = 0;
    // Delivers synchronously to every receiver subscribed when the send began.
    virtual void Send(const Msg& msg) = 0;
};
