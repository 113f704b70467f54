#include "framework/MsgSenderSupport.h"

#include <algorithm>

#include "framework/EventBridge.h"
#include "framework/Msg.h"
#include "framework/MsgReceiver.h"
#include "framework/xEventHandler.h"

namespace {

// The receiver copy of one running send; sends nest when a receiver sends.
struct SendFrame {
    std::vector<MsgReceiver*>* receivers = nullptr;
    SendFrame* outer = nullptr;
};

// The innermost running send. A plain pointer, so that receivers destroyed
// during the program's static clean-up still find it valid.
constinit SendFrame* gInnermostSend = nullptr;

// Keeps the frame of one send on the chain for the send's duration, however it
// ends.
class SendFrameScope {
  public:
    explicit SendFrameScope(std::vector<MsgReceiver*>& receivers) : frame_{&receivers, gInnermostSend} {
        gInnermostSend = &frame_;
    }
    SendFrameScope(const SendFrameScope&) = delete;
    SendFrameScope& operator=(const SendFrameScope&) = delete;
    ~SendFrameScope() { gInnermostSend = frame_.outer; }

  private:
    SendFrame frame_;
};

}  // namespace

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
    std::vector<MsgReceiver*> receivers = receivers_;
    MsgSender* const sender = sender_;
    const SendFrameScope scope(receivers);
    for (std::size_t i = 0; i < receivers.size(); ++i) {
        MsgReceiver* const receiver = receivers[i];
        if (receiver == nullptr) {
            // Destroyed by an earlier receiver of this send.
            continue;
        }
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

void MsgSenderSupport::ForgetInFlight(const MsgReceiver* receiver) noexcept {
    for (SendFrame* frame = gInnermostSend; frame != nullptr; frame = frame->outer) {
        for (MsgReceiver*& entry : *frame->receivers) {
            if (entry == receiver) {
                entry = nullptr;
            }
        }
    }
}
