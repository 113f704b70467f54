#include "divir/xDEQList.h"

#include <cassert>
#include <new>

#include "divir/xError.h"

void xDEQList::IDEQList(std::int16_t grow) {
    assert(grow >= 1 && "a list must grow by at least one item");
    items_.reset();
    inUseCount_ = 0;
    inUseHead_ = 0;
    inUseTail_ = 0;
    freeHead_ = 0;
    capacity_ = 0;
    growStep_ = grow >= 1 ? static_cast<std::uint16_t>(grow) : 1;
    Expand();
}

void xDEQList::Expand() {
    const std::uint32_t oldCapacity = capacity_;
    const std::uint32_t newCapacity = oldCapacity + growStep_;
    if (growStep_ == 0 || newCapacity > kMaxCapacity) {
        xThrow(kErrMemory);
        return;
    }
    std::unique_ptr<xDEQItem[]> grown(new (std::nothrow) xDEQItem[newCapacity]);
    if (!grown) {
        xThrow(kErrMemory);
        return;
    }
    for (std::uint32_t i = 0; i < oldCapacity; ++i) {
        grown[i] = items_[i];
    }
    for (std::uint32_t h = oldCapacity + 1; h <= newCapacity; ++h) {
        xDEQItem& item = grown[h - 1];
        item.next = h == newCapacity ? 0 : static_cast<std::int16_t>(h + 1);
        item.prev = static_cast<std::int16_t>(h - 1);
        item.data = 0;
        item.inUse = false;
    }
    items_ = std::move(grown);
    freeHead_ = static_cast<std::int16_t>(oldCapacity + 1);
    capacity_ = static_cast<std::uint16_t>(newCapacity);
}

xDEQItem* xDEQList::xlat(std::int16_t handle) {
    if (handle < 1 || handle > capacity_ || !items_) {
        return nullptr;
    }
    return &items_[handle - 1];
}

std::uintptr_t xDEQList::GetDataItem(std::int16_t handle) {
    const xDEQItem* item = xlat(handle);
    return item ? item->data : 0;
}

std::uintptr_t xDEQList::SetDataItem(std::int16_t handle, std::uintptr_t data) {
    xDEQItem* item = xlat(handle);
    if (item == nullptr) {
        return 0;
    }
    const std::uintptr_t before = item->data;
    item->data = data;
    return before;
}

std::uint32_t xDEQList::GetUserFlags(std::int16_t handle) {
    const xDEQItem* item = xlat(handle);
    return item ? item->flags : 0;
}

void xDEQList::SetUserFlags(std::int16_t handle, std::int16_t flags) {
    if (xDEQItem* item = xlat(handle)) {
        item->flags = static_cast<std::uint32_t>(static_cast<std::int32_t>(flags));
    }
}

std::int16_t xDEQList::GetInUseCount() {
    return inUseCount_;
}
std::int16_t xDEQList::GetInUseHead() {
    return inUseHead_;
}
std::int16_t xDEQList::GetInUseTail() {
    return inUseTail_;
}
std::int16_t xDEQList::GetFreeHead() {
    return freeHead_;
}

std::int16_t xDEQList::GetNext(std::int16_t handle) {
    const xDEQItem* item = xlat(handle);
    return item ? item->next : 0;
}

std::int16_t xDEQList::GetPrev(std::int16_t handle) {
    const xDEQItem* item = xlat(handle);
    return item ? item->prev : 0;
}

std::int16_t xDEQList::IsEmpty() {
    return inUseCount_ == 0 ? 1 : 0;
}
std::int16_t xDEQList::IsFull() {
    return inUseCount_ == capacity_ ? 1 : 0;
}

void xDEQList::PushOne(std::int16_t handle, std::int16_t& chainHead) {
    xDEQItem& item = items_[handle - 1];
    if (chainHead != 0) {
        items_[chainHead - 1].prev = handle;
        item.next = chainHead;
    } else {
        item.next = 0;
    }
    item.prev = 0;
    chainHead = handle;
}

void xDEQList::PopOne(std::int16_t& chainHead) {
    const xDEQItem& item = items_[chainHead - 1];
    if (item.next != 0) {
        items_[item.next - 1].prev = item.prev;
        chainHead = item.next;
    } else {
        chainHead = 0;
    }
}

std::int16_t xDEQList::ReserveRef(std::uintptr_t data, std::uint16_t flags, std::int16_t setData) {
    if (freeHead_ == 0) {
        Expand();
        if (freeHead_ == 0) {
            return 0;
        }
    }
    const std::int16_t handle = freeHead_;
    PopOne(freeHead_);
    PushOne(handle, inUseHead_);
    if (inUseTail_ == 0) {
        inUseTail_ = handle;
    }
    xDEQItem& item = items_[handle - 1];
    item.inUse = true;
    if (setData != 0) {
        item.data = data;
        item.flags = flags;
    }
    ++inUseCount_;
    return handle;
}

std::int16_t xDEQList::ReserveCached(std::uint16_t /*ignored*/) {
    return ReserveRef(0, 0, 0);
}

void xDEQList::ReleaseRef(std::int16_t handle, std::int16_t clearData) {
    xDEQItem* item = xlat(handle);
    assert(item != nullptr && item->inUse && "released a handle that is not in use");
    if (item == nullptr || !item->inUse) {
        return;
    }
    if (clearData != 0) {
        item->data = 0;
    }
    if (handle == inUseTail_) {
        inUseTail_ = item->prev;
    }
    if (handle != inUseHead_) {
        items_[item->prev - 1].next = item->next;
        if (item->next > 0) {
            items_[item->next - 1].prev = item->prev;
        }
    } else {
        PopOne(inUseHead_);
    }
    item->inUse = false;
    PushOne(handle, freeHead_);
    --inUseCount_;
}

void xDEQList::ReleaseCached(std::int16_t handle) {
    ReleaseRef(handle, 0);
}
