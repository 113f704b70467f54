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
    MsgReceiver& operator=(const MsgReceiver&) = delete;  // as every framework object
    ~MsgReceiver() override = default;

    // Senders ignore the result.
    virtual std::int32_t Receive(const Msg& msg, MsgSender* from) = 0;
};
