#pragma once

#include <cstdint>
#include <vector>

#include "framework/MsgSender.h"

// The sending role's implementation: receivers in subscription order, without
// duplicates, not owned. Every delivered message names `sender` as its sender: the
// owner given to the constructor, or the support itself when built without one.
class MsgSenderSupport : public virtual MsgSender {
  public:
    MsgSenderSupport();
    // Throws the integer 0 for a null owner.
    explicit MsgSenderSupport(MsgSender* owner);
    MsgSenderSupport(const MsgSenderSupport&) = delete;
    MsgSenderSupport& operator=(const MsgSenderSupport&) = delete;
    ~MsgSenderSupport() override = default;

    void AddReceiver(MsgReceiver* receiver) override;
    void RemoveReceiver(MsgReceiver* receiver) override;
    bool HasReceiver(MsgReceiver* receiver) const override;
    std::int32_t GetReceiverCount() const override;
    // Delivers to a copy of the list taken first: a receiver added during the send
    // waits for the next message, one removed during it still gets this one
    // while it lives.
    void Send(const Msg& msg) override;

  private:
    MsgSender* sender_ = nullptr;
    std::vector<MsgReceiver*> receivers_;
};
