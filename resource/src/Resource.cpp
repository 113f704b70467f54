#include "resource/Resource.h"

#include "resource/ResourceMsgs.h"

Resource::~Resource() {
    if (lockCount_ > 0) {
        Send(ResourceUnlockedMsg());
    }
}

void Resource::Lock() {
    if (++lockCount_ == 1) {
        Send(ResourceLockedMsg());
    }
}

void Resource::Unlock() {
    if (lockCount_ < 1) return;
    if (--lockCount_ == 0) {
        Send(ResourceUnlockedMsg());
    }
}

bool Resource::IsLocked() const {
    return lockCount_ > 0;
}

void Resource::Subscribe(Resource* dependent) {
    if (dependent == nullptr) return;
    AddReceiver(dependent);
    if (IsLocked()) dependent->Lock();
}

void Resource::Unsubscribe(Resource* dependent) {
    if (dependent == nullptr) return;
    RemoveReceiver(dependent);
    if (IsLocked()) dependent->Unlock();
}

bool Resource::IsSubscribed(Resource* dependent) const {
    return HasReceiver(dependent);
}

std::int32_t Resource::SubscriberCount() const {
    return GetReceiverCount();
}

std::int32_t Resource::Receive(const Msg& msg, MsgSender* /*from*/) {
    if (msg.Is<ResourceLockedMsg>()) {
        Lock();
    } else if (msg.Is<ResourceUnlockedMsg>()) {
        Unlock();
    }
    return 0;
}
