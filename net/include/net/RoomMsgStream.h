#pragma once

// The text form of the room protocol. Values are written each followed by one
// space; strings are wrapped in byte 2 when empty or holding a space (byte 2 inside
// becomes byte 4). A received text is cut into tokens in a fixed area and read back
// value by value; a read that fails throws InvalidRoomMsg.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/FatChanceEntry.h"
#include "net/PictureInfo.h"
#include "resource/AdInfo.h"
#include "resource/Version.h"

// Thrown by every read of a received room text that fails: the text is not a valid
// message (a missing or malformed field, a wrong record tag).
struct InvalidRoomMsg {};

// The token table of one received text: at most 512 bytes are copied, cut in place
// and indexed; nothing is allocated.
class RoomMsgTokenizer {
  public:
    static constexpr std::size_t kMaxText = 512;
    static constexpr std::size_t kMaxTokens = 256;

    RoomMsgTokenizer() = default;

    // Copies at most kMaxText bytes of the text (up to its first zero byte) and
    // splits them.
    void Tokenize(std::string_view text);

    std::uint16_t GetCount() const { return count_; }
    // The token, or an empty text for a number at or beyond the count.
    std::string_view GetToken(std::size_t index) const;

  private:
    char text_[kMaxText + 1] = {};
    // Start offset and length of each token in text_ (offsets, not pointers, so a
    // copied tokenizer stays whole).
    std::uint16_t start_[kMaxTokens] = {};
    std::uint16_t length_[kMaxTokens] = {};
    std::uint16_t count_ = 0;
};

// The wire form of a string (without the space that follows it).
std::string QuoteRoomMsgString(std::string_view text);

class RoomMsgStream {
  public:
    // A stream for writing.
    RoomMsgStream() = default;
    // A stream reading the text (its first 512 bytes).
    explicit RoomMsgStream(std::string_view text);

    const std::string& GetText() const { return output_; }
    RoomMsgStream& Append(const RoomMsgStream& other);

    RoomMsgStream& WriteInt(std::int32_t value);
    RoomMsgStream& WriteUInt(std::uint32_t value);
    RoomMsgStream& WriteULong(std::uint32_t value);
    RoomMsgStream& WriteShort(std::int16_t value);
    RoomMsgStream& WriteBool(bool value);
    RoomMsgStream& WriteChar(char value);
    RoomMsgStream& WriteString(std::string_view value);

    // Numbers: "%i" takes decimal, 0x hexadecimal and 0 octal with an optional
    // sign; "%u" and "%hd" decimal with an optional sign (a negative unsigned
    // wraps, so "-1" is 4294967295). Characters after the digits are ignored. A
    // number whose magnitude does not fit the field fails the read.
    RoomMsgStream& ReadInt(std::int32_t& value);
    RoomMsgStream& ReadUInt(std::uint32_t& value);
    RoomMsgStream& ReadULong(std::uint32_t& value);
    RoomMsgStream& ReadShort(std::int16_t& value);
    RoomMsgStream& ReadChar(char& value);
    // Only "1" (true) and "-1" (false) are bools.
    RoomMsgStream& ReadBool(bool& value);
    RoomMsgStream& ReadString(std::string& value);
    RoomMsgStream& ExpectTag(std::string_view tag);
    RoomMsgStream& StepBack();

    // -1 for a writing stream.
    std::int32_t GetIndex() const { return index_; }
    bool IsReading() const { return index_ >= 0; }

  private:
    // The next token; throws when none is left.
    std::string_view Next();
    std::string_view NextOrEmpty();
    RoomMsgStream& WriteToken(std::string_view text);

    std::int32_t index_ = -1;
    RoomMsgTokenizer tokens_;
    std::string output_;
};

// The parsers behind the number reads; no value when the text holds no number or
// one out of range.
bool ParseRoomMsgInt(std::string_view text, std::int32_t& value);
bool ParseRoomMsgUInt(std::string_view text, std::uint32_t& value);
bool ParseRoomMsgShort(std::string_view text, std::int16_t& value);

// The payload records. Each writes its own record tag first; each reader expects
// it. A list reader empties its list first; a count below 1 reads no records. The
// count bounds the reading loop only: each record must really be in the text.
void WriteVersionField(RoomMsgStream& stream, const Version& version);
void ReadVersionField(RoomMsgStream& stream, Version& version);
void WriteAdField(RoomMsgStream& stream, const AdInfo& ad);
void ReadAdField(RoomMsgStream& stream, AdInfo& ad);
void WriteAdListField(RoomMsgStream& stream, const std::vector<AdInfo>& ads);
void ReadAdListField(RoomMsgStream& stream, std::vector<AdInfo>& ads);
void WriteFatChanceEntry(RoomMsgStream& stream, const FatChanceEntry& entry);
void ReadFatChanceEntry(RoomMsgStream& stream, FatChanceEntry& entry);
void WriteFatChanceEntryList(RoomMsgStream& stream, const std::vector<FatChanceEntry>& entries);
void ReadFatChanceEntryList(RoomMsgStream& stream, std::vector<FatChanceEntry>& entries);
void WritePictureInfo(RoomMsgStream& stream, const PictureInfo& picture);
void ReadPictureInfo(RoomMsgStream& stream, PictureInfo& picture);

// The length of an ad break in ms: the sum of the ads' play times (wrapping).
std::int32_t SumAdListInts(const std::vector<AdInfo>& ads);
