#pragma once

// The lower layer's handle table: a growable array of items addressed by 1-based
// 16-bit handles, threaded by an in-use chain (newest reservation at the head)
// and a last-in first-out free chain. The handles are the identities that the
// file, socket and HTTP lists give out, so they stay stable while the table grows.

#include <cstdint>
#include <memory>

struct xDEQItem {
    std::uintptr_t data = 0;  // the user's value; an object pointer in every user list
    std::uint32_t flags = 0;
    std::int16_t prev = 0;  // toward the chain's head; 0 = none
    std::int16_t next = 0;  // toward the chain's tail; 0 = none
    bool inUse = false;     // guards against releasing a free handle
};

class xDEQList {
  public:
    // Handles are signed 16-bit, so the table never holds more than this.
    static constexpr std::uint16_t kMaxCapacity = 32767;

    xDEQList() = default;
    virtual ~xDEQList() = default;
    // Nothing copies a list; a copy sharing the items would free them twice.
    xDEQList(const xDEQList&) = delete;
    xDEQList& operator=(const xDEQList&) = delete;

    // Empties the list and expands it once: it starts with `grow` free items.
    // A grow step below 1 would corrupt the chains: it asserts, and counts as 1.
    void IDEQList(std::int16_t grow);

    // Grows the array by the grow step; raises 1 when memory or handles run out.
    virtual void Expand();
    // The data word; 0 for a handle outside 1..capacity.
    virtual std::uintptr_t GetDataItem(std::int16_t handle);
    virtual std::uint32_t GetUserFlags(std::int16_t handle);
    virtual std::int16_t GetInUseCount();
    virtual std::int16_t GetInUseHead();
    virtual std::int16_t GetInUseTail();
    virtual std::int16_t GetFreeHead();
    // Toward the tail (older) / toward the head (newer); 0 at the ends.
    virtual std::int16_t GetNext(std::int16_t handle);
    virtual std::int16_t GetPrev(std::int16_t handle);
    virtual std::int16_t IsEmpty();
    // Every item reserved: the next reservation expands.
    virtual std::int16_t IsFull();
    // ReleaseRef keeping the data word, so ReserveCached can hand it back.
    virtual void ReleaseCached(std::int16_t handle);
    virtual void ReleaseRef(std::int16_t handle, std::int16_t clearData);
    // ReserveRef without setting data: the item keeps what it held.
    virtual std::int16_t ReserveCached(std::uint16_t ignored);
    // Takes a free item and makes it the in-use head; 0 when the table cannot grow
    // and no error frame caught the raise.
    virtual std::int16_t ReserveRef(std::uintptr_t data, std::uint16_t flags, std::int16_t setData);
    // Stores the data word and returns the previous one.
    virtual std::uintptr_t SetDataItem(std::int16_t handle, std::uintptr_t data);
    // Stores the flags sign-extended to 32 bits.
    virtual void SetUserFlags(std::int16_t handle, std::int16_t flags);

    // The item, or null unless 1 <= handle <= capacity. Invalid after an expansion.
    xDEQItem* xlat(std::int16_t handle);

    std::uint16_t GetCapacity() const { return capacity_; }

  protected:
    void PopOne(std::int16_t& chainHead);
    void PushOne(std::int16_t handle, std::int16_t& chainHead);

  private:
    std::uint16_t capacity_ = 0;
    std::uint16_t growStep_ = 0;
    std::int16_t inUseCount_ = 0;
    std::int16_t inUseHead_ = 0;
    std::int16_t inUseTail_ = 0;
    std::int16_t freeHead_ = 0;
    std::unique_ptr<xDEQItem[]> items_;
};
