#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class MsgSender;

// The lower layer's event record: a code, the sender and six typed parameters
// with a small text area for the text parameters. Records are fixed-size values
// copied whole into event queues, so a queue needs no allocation per event.
//
// Text parameters come from IRC lines, so every copy into and out of the text
// area is bounded by the room that is really there.
class xEvent {
  public:
    // Parameter types.
    static constexpr std::int32_t kNone = -1;
    static constexpr std::int32_t kInt = 0;
    static constexpr std::int32_t kShort = 2;
    static constexpr std::int32_t kUShort = 3;
    static constexpr std::int32_t kPointer = 4;
    static constexpr std::int32_t kText = 6;

    static constexpr int kParamCount = 6;
    static constexpr std::size_t kTextAreaSize = 1539;

    explicit xEvent(std::int32_t code = 0);
    xEvent(const xEvent& other);
    xEvent& operator=(const xEvent& other);
    virtual ~xEvent() = default;

    // The record of code 0 that users assign to clear a record.
    static const xEvent& Empty();

    std::int32_t GetCode() const { return code_; }
    void SetCode(std::int32_t code) { code_ = code; }
    MsgSender* GetSender() const { return sender_; }
    void SetSender(MsgSender* sender) { sender_ = sender; }

    // Index 0..5; any other index is ignored by the setters and reads as none.
    void SetIntParam(int index, std::int32_t value);
    void SetShortParam(int index, std::int16_t value);
    void SetUShortParam(int index, std::uint16_t value);
    void SetPointerParam(int index, const void* value);
    // Stores length bytes of text (0: the text and its terminating zero), cut to
    // the room left in the text area, always zero-terminated. Without room the
    // parameter becomes an empty text.
    void SetStringParam(int index, const char* text, std::size_t length = 0);

    std::int32_t GetParamType(int index) const;
    // The number or pointer; for a text parameter the address of its text.
    std::intptr_t GetParam(int index) const;
    std::int16_t GetShortParam(int index) const;
    const void* GetPointerParam(int index) const;
    // Text of a text parameter (never null; empty for any other type).
    const char* GetTextParam(int index) const;
    // Copies at most size - 1 characters of the text and a terminating zero into
    // the buffer; a parameter that is not text gives an empty text; size 0 does nothing.
    void GetStringParam(int index, char* buffer, std::size_t size) const;

    std::uint16_t GetTextUsed() const { return textUsed_; }

  private:
    struct Param {
        std::int32_t type = kNone;
        std::intptr_t value = 0;
        std::uint16_t length = 0;
    };

    static bool ValidIndex(int index) { return index >= 0 && index < kParamCount; }
    void Reset();

    std::int32_t code_ = 0;
    MsgSender* sender_ = nullptr;
    std::array<Param, kParamCount> params_{};
    std::uint16_t textUsed_ = 0;
    // Bytes past text used are never read, so they are left uninitialised:
    // queues make records by the hundred.
    std::array<char, kTextAreaSize> text_;
};
