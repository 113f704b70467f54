#include "resource/Resource.h"

#include "resource/ResourceMsgs.h"

Resource::~Resource() {
    if (destroyedFlag_ != nullptr) *destroyedFlag_ = true;
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
    UnlockAndSurvive();
}

bool Resource::UnlockAndSurvive() {
    if (lockCount_ < 1 || --lockCount_ > 0) return true;
    bool destroyed = false;
    bool* const outer = destroyedFlag_;
    destroyedFlag_ = &destroyed;
    Send(ResourceUnlockedMsg());
    if (destroyed) {
        if (outer != nullptr) *outer = true;
        return false;
    }
    destroyedFlag_ = outer;
    return true;
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
