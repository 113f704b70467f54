#include "divir/xKeyQueue.h"

bool xKeyQueue::Push(std::uint16_t key) {
    if (count_ >= kCapacity) return false;
    keys_[count_++] = key;
    return true;
}

std::uint16_t xKeyQueue::Take(bool peek) {
    if (count_ == 0) return 0;
    const std::uint16_t key = keys_[0];
    if (!peek) {
        for (int i = 1; i < count_; ++i) keys_[i - 1] = keys_[i];
        --count_;
    }
    return key;
}

namespace {

xKeyPump& Pump() {
    static xKeyPump pump = nullptr;
    return pump;
}

}  // namespace

xKeyQueue& xGetKeyQueue() {
    static xKeyQueue queue;
    return queue;
}

bool xPushKey(std::uint16_t key) {
    return xGetKeyQueue().Push(key);
}

void xSetKeyPump(xKeyPump pump) {
    Pump() = pump;
}

std::uint16_t xGetKey(std::int16_t flags) {
    xKeyQueue& queue = xGetKeyQueue();
    const xKeyPump pump = Pump();
    if (queue.IsEmpty() && !(flags & kKeyNoPump) && pump != nullptr) {
        pump();
    }
    while (queue.IsEmpty() && !(flags & kKeyNoWait) && pump != nullptr) {
        pump();
    }
    return queue.Take((flags & kKeyPeek) != 0);
}
