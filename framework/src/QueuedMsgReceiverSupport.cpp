#include "framework/QueuedMsgReceiverSupport.h"

#include "framework/AppTime.h"

QueuedMsgReceiverSupport::QueuedMsgReceiverSupport() : owner_(this) {}

QueuedMsgReceiverSupport::QueuedMsgReceiverSupport(QueuedMsgReceiver* owner) : owner_(owner) {
    if (owner == nullptr) {
        throw 0;
    }
}

QueuedMsgReceiverSupport::~QueuedMsgReceiverSupport() = default;

std::int32_t QueuedMsgReceiverSupport::Receive(const Msg& msg, MsgSender* from) {
    if (from == nullptr) {
        return 0;
    }
    return owner_->HandleMsg(msg, from, false, false);
}

std::int32_t QueuedMsgReceiverSupport::HandleMsg(const Msg&, MsgSender*, bool, bool) {
    return 0;
}

void QueuedMsgReceiverSupport::QueueMsg(const Msg& msg, MsgSender* from) {
    queue_.push_back(Entry{msg.Clone(), from});
    Schedule();
}

void QueuedMsgReceiverSupport::DrainQueue() {
    const std::uint32_t deadline = GetAppTime() + kDrainBudgetMs;
    // A handler may destroy the receiver, and with it this support.
    const LifeWatch life = WatchLife();
    while (!queue_.empty()) {
        // Taken out while it is handled, so a handler may queue, or drain, freely;
        // if the handler throws, the entry goes back to the front.
        Entry entry = std::move(queue_.front());
        queue_.pop_front();
        try {
            owner_->HandleMsg(*entry.msg, entry.from, true, true);
        } catch (...) {
            if (life.IsAlive()) {
                queue_.push_front(std::move(entry));
            }
            throw;
        }
        if (!life.IsAlive()) {
            return;
        }
        // Wrap-safe "now has reached the deadline" on the 32-bit clock.
        if (static_cast<std::int32_t>(GetAppTime() - deadline) >= 0) {
            return;
        }
    }
    Unschedule();
}
