#pragma once

#include <cstdint>
#include <memory>

#include "framework/QueuedMsgReceiver.h"
#include "framework/QueuedMsgReceiverSupport.h"

// A reusable base for a class that receives by queue: it creates the
// QueuedMsgReceiverSupport with the class as owner and forwards the role's
// operations to it. A derived class overrides HandleMsg (and passes what it does
// not act on to its base class's HandleMsg); the support's drain calls back into
// that override.
class QueuedMsgReceiverForwarder : public virtual QueuedMsgReceiver {
  public:
    QueuedMsgReceiverForwarder() : queueSupport_(std::make_unique<QueuedMsgReceiverSupport>(this)) {}
    QueuedMsgReceiverForwarder(const QueuedMsgReceiverForwarder&) = delete;
    QueuedMsgReceiverForwarder& operator=(const QueuedMsgReceiverForwarder&) = delete;
    ~QueuedMsgReceiverForwarder() override = default;

    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        return queueSupport_->Receive(msg, from);
    }
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        return queueSupport_->HandleMsg(msg, from, fromQueue, queued);
    }
    void QueueMsg(const Msg& msg, MsgSender* from) override { queueSupport_->QueueMsg(msg, from); }

  protected:
    QueuedMsgReceiverSupport& GetQueueSupport() { return *queueSupport_; }
    const QueuedMsgReceiverSupport& GetQueueSupport() const { return *queueSupport_; }

  private:
    std::unique_ptr<QueuedMsgReceiverSupport> queueSupport_;
};
