#pragma once

#include <cstdint>

#include "framework/XAppObject.h"

class Msg;
class MsgSender;

// Receiving role. Destroying a receiver does not tell its senders: whoever
// subscribed it removes it before it goes.
class MsgReceiver : public virtual XAppObject {
  public:
    MsgReceiver() = default;
    MsgReceiver(const MsgReceiver&) = default;
    MsgReceiver& operator=(const MsgReceiver&) = default;
    // Strikes the receiver from the sends now running, so that a receiver that is
    // removed and destroyed during a send is not called by it.
    ~MsgReceiver() override;

    // Senders ignore the result.
    virtual std::int32_t Receive(const Msg& msg, MsgSender* from) = 0;
};
