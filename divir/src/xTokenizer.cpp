#include "divir/xTokenizer.h"

#include <cstring>

namespace {

void CopyOut(const char* text, char* buffer, std::int16_t size) {
    if (buffer == nullptr || size <= 0) return;
    std::strncpy(buffer, text, static_cast<std::size_t>(size));
    buffer[size - 1] = '\0';
}

}  // namespace

const char* xTokenizer::TokenizeLine(const char* line, std::int16_t length) {
    count_ = 0;
    std::size_t n = 0;
    if (line != nullptr && length > 0) {
        n = ::strnlen(line, static_cast<std::size_t>(length < kMaxLine ? length : kMaxLine));
        std::memcpy(work_, line, n);
        std::memcpy(line_, line, n);
    }
    work_[n] = '\0';
    line_[n] = '\0';

    enum class State { Between, Plain, Quoted } state = State::Between;
    auto record = [this](std::size_t start) {
        if (count_ < kMaxTokens) starts_[count_++] = static_cast<std::int16_t>(start);
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char c = work_[i];
        switch (state) {
            case State::Between:
                if (c == ' ') break;
                if (c == '"') {
                    record(i + 1);
                    state = State::Quoted;
                } else {
                    record(i);
                    state = State::Plain;
                }
                break;
            case State::Plain:
                if (c == ' ') {
                    work_[i] = '\0';
                    state = State::Between;
                }
                break;
            case State::Quoted:
                // Characters after the closing quote up to the next blank belong to no token.
                if (c == '"') {
                    work_[i] = '\0';
                    state = State::Plain;
                }
                break;
        }
    }
    return work_ + n;
}

const char* xTokenizer::GetToken(std::int16_t index) const {
    return index >= 0 && index < count_ ? work_ + starts_[index] : "";
}

const char* xTokenizer::GetRestOfLine(std::int16_t index) const {
    return index >= 0 && index < count_ ? line_ + starts_[index] : "";
}

void xTokenizer::CopyToken(std::int16_t index, char* buffer, std::int16_t size) const {
    CopyOut(GetToken(index), buffer, size);
}

void xTokenizer::CopyRestOfLine(std::int16_t index, char* buffer, std::int16_t size) const {
    CopyOut(GetRestOfLine(index), buffer, size);
}
