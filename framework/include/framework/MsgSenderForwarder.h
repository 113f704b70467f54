#pragma once

#include <cstdint>
#include <memory>

#include "framework/MsgSender.h"
#include "framework/MsgSenderSupport.h"

// A reusable base for a class that is a sender (and not a process, which brings
// its own): it creates the MsgSenderSupport with the class as the sender its
// receivers see and forwards the role's operations to it.
class MsgSenderForwarder : public virtual MsgSender {
  public:
    MsgSenderForwarder() : senderSupport_(std::make_unique<MsgSenderSupport>(this)) {}
    MsgSenderForwarder(const MsgSenderForwarder&) = delete;
    MsgSenderForwarder& operator=(const MsgSenderForwarder&) = delete;
    ~MsgSenderForwarder() override = default;

    void AddReceiver(MsgReceiver* receiver) override { senderSupport_->AddReceiver(receiver); }
    void RemoveReceiver(MsgReceiver* receiver) override { senderSupport_->RemoveReceiver(receiver); }
    bool HasReceiver(MsgReceiver* receiver) const override { return senderSupport_->HasReceiver(receiver); }
    std::int32_t GetReceiverCount() const override { return senderSupport_->GetReceiverCount(); }
    void Send(const Msg& msg) override { senderSupport_->Send(msg); }

  private:
    std::unique_ptr<MsgSenderSupport> senderSupport_;
};
