#pragma once

// A position-weighted checksum: the n-th byte added (counting from 1, taken as a
// signed 8-bit value) contributes byte * n, with 32-bit wrap-around.

#include <cstdint>

#include "divir/xAppObject.h"

class xCheckSum : public xAppObject {
  public:
    void Add(std::int8_t byte) {
        ++count_;
        sum_ += static_cast<std::uint32_t>(static_cast<std::int32_t>(byte)) * count_;
    }
    std::uint32_t GetSum() const { return sum_; }

  private:
    std::uint32_t sum_ = 0;
    std::uint32_t count_ = 0;
};
