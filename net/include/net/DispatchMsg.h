#pragma once

// The messages of the dispatch proxy.

#include <cstdint>

#include "framework/CloneableMsg.h"
#include "net/DispatchInfo.h"

// The dispatch file's download has begun.
class DispatchStartedMsg : public CloneableMsg<DispatchStartedMsg> {};

class DispatchReceivedDataMsg : public CloneableMsg<DispatchReceivedDataMsg> {
  public:
    DispatchReceivedDataMsg(std::int32_t data, std::int32_t length) : data_(data), length_(length) {}
    // The download's expected total length, -1 when unknown.
    std::int32_t GetData() const { return data_; }
    // The bytes of this piece.
    std::int32_t GetLength() const { return length_; }

  private:
    std::int32_t data_ = -1;
    std::int32_t length_ = 0;
};

// The dispatch file was read: a copy of what it says.
class DispatchSucceededMsg : public CloneableMsg<DispatchSucceededMsg> {
  public:
    explicit DispatchSucceededMsg(const DispatchInfo& info) : info_(info) {}
    const DispatchInfo& GetInfo() const { return info_; }

  private:
    DispatchInfo info_;
};
