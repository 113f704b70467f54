#include "framework/EventRing.h"

#include <algorithm>

EventRing::EventRing() : events_(std::make_unique<xEvent[]>(kInitialCapacity)) {}

bool EventRing::PushBack(const xEvent& event) {
    if (IsFull()) {
        return false;
    }
    tail_ = Next(tail_);
    events_[tail_] = event;
    ++count_;
    return true;
}

bool EventRing::PushFront(const xEvent& event) {
    if (IsFull()) {
        return false;
    }
    head_ = Previous(head_);
    events_[head_] = event;
    if (count_ == 0) {
        tail_ = head_;
    }
    ++count_;
    return true;
}

std::int32_t EventRing::PopFront(xEvent* out) {
    if (count_ < 1) {
        return 0;
    }
    const std::int32_t code = events_[head_].GetCode();
    if (out != nullptr) {
        *out = events_[head_];
    }
    --count_;
    head_ = Next(head_);
    return code;
}

void EventRing::Clear() {
    count_ = 0;
    head_ = 0;
    tail_ = -1;
}

bool EventRing::Grow() {
    const std::int32_t grown = std::min(capacity_ * 3, kMaxCapacity);
    if (grown <= capacity_) {
        return false;
    }
    auto events = std::make_unique<xEvent[]>(grown);
    // Copy in queue order without consuming the count: the queue keeps every event.
    std::int32_t from = head_;
    for (std::int32_t i = 0; i < count_; ++i) {
        events[i] = events_[from];
        from = Next(from);
    }
    events_ = std::move(events);
    capacity_ = grown;
    head_ = 0;
    tail_ = count_ - 1;
    return true;
}
