#include "framework/MsgSenderSupport.h"

#include <algorithm>
#include <memory>

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
    // The list is copied first: a receiver may unsubscribe others, or destroy
    // them (they are skipped), or destroy the sender (the rest still get the
    // message, from the sender as it was).
    MsgSender* const sender = sender_;
    ForEachLiving(receivers_, [&msg, sender](MsgReceiver* receiver) {
        // Event handlers take events: the message goes as its event, or not at
        // all when it has none.
        if (auto* handler = dynamic_cast<xEventHandler*>(receiver)) {
            if (std::unique_ptr<xEvent> event = MsgToXEvent(msg, sender)) {
                handler->PostEvent(*event);
            }
            return;
        }
        receiver->Receive(msg, sender);
    });
}
