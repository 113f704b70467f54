#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

#include "framework/ExecutableSupport.h"
#include "framework/Msg.h"
#include "framework/QueuedMsgReceiver.h"

// The queued receiving role's implementation. Receive hands each arriving message
// to the owner's HandleMsg; QueueMsg keeps a clone with its sender and schedules
// this object, whose Execute drains the queue through the owner's HandleMsg. A
// drain stops once 200 ms of application time have passed and goes on at the next
// run.
class QueuedMsgReceiverSupport : public virtual QueuedMsgReceiver, public ExecutableSupport {
  public:
    static constexpr std::uint32_t kDrainBudgetMs = 200;

    // Built without an owner it is its own owner (and handles nothing).
    QueuedMsgReceiverSupport();
    // Throws the integer 0 for a null owner.
    explicit QueuedMsgReceiverSupport(QueuedMsgReceiver* owner);
    QueuedMsgReceiverSupport(const QueuedMsgReceiverSupport&) = delete;
    QueuedMsgReceiverSupport& operator=(const QueuedMsgReceiverSupport&) = delete;
    // Discards what is still queued, unhandled, and unschedules.
    ~QueuedMsgReceiverSupport() override;

    // A null sender is ignored (returns 0).
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;
    // The end of every owner's chain of handlers: does nothing.
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;
    void QueueMsg(const Msg& msg, MsgSender* from) override;

    void DrainQueue();
    void Execute() override { DrainQueue(); }

    std::size_t GetQueuedCount() const { return queue_.size(); }

  private:
    struct Entry {
        std::unique_ptr<Msg> msg;
        MsgSender* from = nullptr;
    };

    QueuedMsgReceiver* owner_ = nullptr;
    std::deque<Entry> queue_;
};
