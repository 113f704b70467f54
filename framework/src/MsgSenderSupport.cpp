#include "framework/MsgSenderSupport.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "framework/EventBridge.h"
#include "framework/Msg.h"
#include "framework/MsgReceiver.h"
#include "framework/xEventHandler.h"

MsgSenderSupport::MsgSenderSupport() : sender_(this) {}

MsgSenderSupport::MsgSenderSupport(MsgSender* owner) : sender_(owner) {
    if (owner == nullptr) {
        throw 0;
    }
}

void MsgSenderSupport::AddReceiver(MsgReceiver* receiver) {
    if (receiver == nullptr || HasReceiver(receiver)) {
        return;
    }
    receivers_.push_back(receiver);
}

void MsgSenderSupport::RemoveReceiver(MsgReceiver* receiver) {
    if (receiver == nullptr) {
        return;
    }
    auto it = std::find(receivers_.begin(), receivers_.end(), receiver);
    if (it != receivers_.end()) {
        receivers_.erase(it);
    }
}

bool MsgSenderSupport::HasReceiver(MsgReceiver* receiver) const {
    return std::find(receivers_.begin(), receivers_.end(), receiver) != receivers_.end();
}

std::int32_t MsgSenderSupport::GetReceiverCount() const {
    return static_cast<std::int32_t>(receivers_.size());
}

void MsgSenderSupport::Send(const Msg& msg) {
    // Both copied first: a receiver may unsubscribe others, or destroy the sender.
    // A receiver destroyed by an earlier one of this send is skipped.
    const std::vector<MsgReceiver*> receivers = receivers_;
    MsgSender* const sender = sender_;
    std::vector<LifeWatch> lives;
    lives.reserve(receivers.size());
    for (MsgReceiver* receiver : receivers) {
        lives.push_back(receiver->WatchLife());
    }
    for (std::size_t i = 0; i < receivers.size(); ++i) {
        if (!lives[i].IsAlive()) {
            continue;
        }
        MsgReceiver* const receiver = receivers[i];
        // Event handlers take events: the message goes as its event, or not at
        // all when it has none.
        if (auto* handler = dynamic_cast<xEventHandler*>(receiver)) {
            if (std::unique_ptr<xEvent> event = MsgToXEvent(msg, sender)) {
                handler->PostEvent(*event);
            }
            continue;
        }
        receiver->Receive(msg, sender);
    }
}
