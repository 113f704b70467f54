#pragma once

#include "framework/xEvent.h"

#include <cstdint>
#include <memory>

// The ring-buffer queue of event records behind an event handler: the count
// records from head onward, the last at tail, indices wrapping at the capacity.
// It grows by a factor of 3 up to a hard cap of 180 records, keeping the queued
// events and their order.
class EventRing {
  public:
    static constexpr std::int32_t kInitialCapacity = 10;
    static constexpr std::int32_t kMaxCapacity = 180;

    EventRing();

    // Both return false, changing nothing, when the ring is full.
    bool PushBack(const xEvent& event);
    bool PushFront(const xEvent& event);
    // The head record's code (copied into out when given) and removes it; 0 when empty.
    std::int32_t PopFront(xEvent* out);
    void Clear();
    // False when the capacity is already at the cap.
    bool Grow();

    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }
    bool IsFull() const { return count_ >= capacity_; }

  private:
    std::int32_t Next(std::int32_t i) const { return i + 1 >= capacity_ ? 0 : i + 1; }
    std::int32_t Previous(std::int32_t i) const { return i - 1 < 0 ? capacity_ - 1 : i - 1; }

    std::unique_ptr<xEvent[]> events_;
    std::int32_t head_ = 0;
    std::int32_t tail_ = -1;
    std::int32_t capacity_ = kInitialCapacity;
    std::int32_t count_ = 0;
};
