#include "framework/xEvent.h"

#include <algorithm>
#include <cstring>

namespace {
const char kEmptyText[] = "";

// Length of the text, reading no further than max bytes.
std::size_t BoundedLength(const char* text, std::size_t max) {
    const void* zero = std::memchr(text, '\0', max);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : max;
}
}  // namespace

xEvent::xEvent(std::int32_t code) : code_(code) {}

xEvent::xEvent(const xEvent& other) {
    *this = other;
}

xEvent& xEvent::operator=(const xEvent& other) {
    if (this == &other) {
        return *this;
    }
    Reset();
    code_ = other.code_;
    sender_ = other.sender_;
    textUsed_ = other.textUsed_;
    params_ = other.params_;
    // Only the used part of the area is ever read back: every text parameter
    // lies inside it.
    std::memcpy(text_.data(), other.text_.data(), other.textUsed_);
    return *this;
}

const xEvent& xEvent::Empty() {
    static const xEvent empty;
    return empty;
}

void xEvent::Reset() {
    code_ = 0;
    sender_ = nullptr;
    params_.fill(Param{});
    textUsed_ = 0;
}

void xEvent::SetIntParam(int index, std::int32_t value) {
    if (ValidIndex(index)) {
        params_[index] = {kInt, value, 0};
    }
}

void xEvent::SetShortParam(int index, std::int16_t value) {
    if (ValidIndex(index)) {
        params_[index] = {kShort, value, 0};
    }
}

void xEvent::SetUShortParam(int index, std::uint16_t value) {
    if (ValidIndex(index)) {
        params_[index] = {kUShort, value, 0};
    }
}

void xEvent::SetPointerParam(int index, const void* value) {
    if (ValidIndex(index)) {
        params_[index] = {kPointer, reinterpret_cast<std::intptr_t>(value), 0};
    }
}

void xEvent::SetStringParam(int index, const char* text, std::size_t length) {
    if (!ValidIndex(index)) {
        return;
    }
    if (text == nullptr) {
        text = kEmptyText;
    }
    const std::size_t room = kTextAreaSize - textUsed_;
    if (room == 0) {
        params_[index] = {kText, static_cast<std::intptr_t>(textUsed_), 0};
        return;
    }
    // The bytes kept, terminating zero included; never beyond the area's room
    // and never reading the text past its own terminator.
    const std::size_t wanted = length == 0 ? BoundedLength(text, room) + 1 : length;
    const std::size_t stored = std::min(wanted, room);
    char* dest = text_.data() + textUsed_;
    const std::size_t chars = BoundedLength(text, stored - 1);
    std::memcpy(dest, text, chars);
    std::fill(dest + chars, dest + stored, '\0');
    params_[index] = {kText, static_cast<std::intptr_t>(textUsed_), static_cast<std::uint16_t>(stored)};
    textUsed_ = static_cast<std::uint16_t>(textUsed_ + stored);
}

std::int32_t xEvent::GetParamType(int index) const {
    return ValidIndex(index) ? params_[index].type : kNone;
}

std::intptr_t xEvent::GetParam(int index) const {
    if (!ValidIndex(index)) {
        return 0;
    }
    const Param& p = params_[index];
    if (p.type < 0) {
        return 0;
    }
    if (p.type <= 5) {
        return p.value;
    }
    if (p.type == kText) {
        return reinterpret_cast<std::intptr_t>(GetTextParam(index));
    }
    return 0;
}

// The stored value's low half: for a text parameter that is its offset in the
// area, not its address.
std::int16_t xEvent::GetShortParam(int index) const {
    if (!ValidIndex(index)) {
        return 0;
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(params_[index].value & 0xFFFF));
}

const void* xEvent::GetPointerParam(int index) const {
    if (!ValidIndex(index) || params_[index].type != kPointer) {
        return nullptr;
    }
    return reinterpret_cast<const void*>(params_[index].value);
}

const char* xEvent::GetTextParam(int index) const {
    if (!ValidIndex(index) || params_[index].type != kText) {
        return kEmptyText;
    }
    const Param& p = params_[index];
    const std::size_t offset = static_cast<std::size_t>(p.value);
    if (p.length == 0 || offset >= textUsed_ || p.length > textUsed_ - offset) {
        return kEmptyText;
    }
    return text_.data() + offset;
}

void xEvent::GetStringParam(int index, char* buffer, std::size_t size) const {
    if (buffer == nullptr || size == 0) {
        return;
    }
    const char* text = GetTextParam(index);
    std::size_t available = 0;
    if (text != kEmptyText) {
        available = params_[index].length;
    }
    const std::size_t chars = std::min(size - 1, available == 0 ? 0 : BoundedLength(text, available));
    std::memcpy(buffer, text, chars);
    buffer[chars] = '\0';
}
