#include "net/RoomMsgStream.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <utility>

namespace {

constexpr char kQuote = '\x02';
constexpr char kQuoteStandIn = '\x04';

bool IsSpaceLike(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Sign and magnitude of the leading number of the text, in the given base (0:
// decided by the prefix as "%i" does). The magnitude is capped just above 2^32 so
// it never overflows; no digits gives false.
bool ParseMagnitude(std::string_view text, int base, bool& negative, std::uint64_t& magnitude) {
    std::size_t i = 0;
    while (i < text.size() && IsSpaceLike(text[i])) ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (base == 0) {
        if (i < text.size() && text[i] == '0') {
            const bool hex = i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
                             std::isxdigit(static_cast<unsigned char>(text[i + 2])) != 0;
            if (hex) {
                base = 16;
                i += 2;
            } else {
                base = 8;
            }
        } else {
            base = 10;
        }
    }
    constexpr std::uint64_t kCap = 0x100000001ull;
    magnitude = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= base) break;
        ++digits;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > kCap) magnitude = kCap;
    }
    return digits > 0;
}

template <class T>
std::string FormatNumber(T value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

bool ParseRoomMsgInt(std::string_view text, std::int32_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ParseMagnitude(text, 0, negative, magnitude)) return false;
    if (negative ? magnitude > 0x80000000ull : magnitude > 0x7FFFFFFFull) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

bool ParseRoomMsgUInt(std::string_view text, std::uint32_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ParseMagnitude(text, 10, negative, magnitude)) return false;
    if (magnitude > 0xFFFFFFFFull) return false;
    const auto low = static_cast<std::uint32_t>(magnitude);
    value = negative ? static_cast<std::uint32_t>(0u - low) : low;
    return true;
}

bool ParseRoomMsgShort(std::string_view text, std::int16_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ParseMagnitude(text, 10, negative, magnitude)) return false;
    if (negative ? magnitude > 0x8000u : magnitude > 0x7FFFu) return false;
    value = static_cast<std::int16_t>(negative ? -static_cast<std::int32_t>(magnitude)
                                               : static_cast<std::int32_t>(magnitude));
    return true;
}

void RoomMsgTokenizer::Tokenize(std::string_view text) {
    std::size_t size = text.size() < kMaxText ? text.size() : kMaxText;
    const void* zero = std::memchr(text.data(), 0, size);
    if (zero != nullptr) size = static_cast<std::size_t>(static_cast<const char*>(zero) - text.data());
    std::memcpy(text_, text.data(), size);
    text_[size] = '\0';
    count_ = 0;

    enum class State { kBetween, kPlain, kQuoted, kAfterQuote };
    State state = State::kBetween;
    std::size_t write = 0;
    std::size_t start = 0;
    const auto open = [&](std::size_t at) { start = at; };
    // A token that would pass the table's end is left out: 512 bytes cannot hold
    // more than 256, but the bound is kept here rather than trusted.
    const auto close = [&](std::size_t end) {
        if (count_ < kMaxTokens) {
            start_[count_] = static_cast<std::uint16_t>(start);
            length_[count_] = static_cast<std::uint16_t>(end - start);
            ++count_;
        }
        text_[end] = '\0';
    };
    std::size_t read = 0;
    while (read < size) {
        const char c = text_[read];
        switch (state) {
            case State::kBetween:
                ++read;
                if (c == ' ') break;
                if (c == kQuote) {
                    // Quoted tokens shrink when a doubled 2 is folded, so everything
                    // from here on is written back at `write`.
                    open(write);
                    state = State::kQuoted;
                } else {
                    open(write);
                    text_[write++] = c;
                    state = State::kPlain;
                }
                break;
            case State::kPlain:
                ++read;
                if (c == ' ') {
                    close(write);
                    ++write;
                    state = State::kBetween;
                } else {
                    text_[write++] = c;
                }
                break;
            case State::kQuoted:
                ++read;
                if (c == kQuote) {
                    state = State::kAfterQuote;
                } else {
                    text_[write++] = c;
                }
                break;
            case State::kAfterQuote:
                if (c == kQuote) {
                    ++read;
                    text_[write++] = kQuote;
                    state = State::kQuoted;
                } else {
                    close(write);
                    ++write;
                    state = State::kBetween;
                }
                break;
        }
    }
    if (state != State::kBetween) close(write);
}

std::string_view RoomMsgTokenizer::GetToken(std::size_t index) const {
    if (index >= count_) return {};
    return std::string_view(text_ + start_[index], length_[index]);
}

std::string QuoteRoomMsgString(std::string_view text) {
    const bool hasQuote = text.find(kQuote) != std::string_view::npos;
    if (!hasQuote && !text.empty() && text.find(' ') == std::string_view::npos) return std::string(text);
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += kQuote;
    for (const char c : text) quoted += c == kQuote ? kQuoteStandIn : c;
    quoted += kQuote;
    return quoted;
}

RoomMsgStream::RoomMsgStream(std::string_view text) : index_(0) {
    tokens_.Tokenize(text);
}

RoomMsgStream& RoomMsgStream::Append(const RoomMsgStream& other) {
    output_ += other.output_;
    return *this;
}

RoomMsgStream& RoomMsgStream::WriteToken(std::string_view text) {
    output_ += text;
    output_ += ' ';
    return *this;
}

RoomMsgStream& RoomMsgStream::WriteInt(std::int32_t value) {
    return WriteToken(FormatNumber(value));
}
RoomMsgStream& RoomMsgStream::WriteUInt(std::uint32_t value) {
    return WriteToken(FormatNumber(value));
}
RoomMsgStream& RoomMsgStream::WriteULong(std::uint32_t value) {
    return WriteToken(FormatNumber(value));
}
RoomMsgStream& RoomMsgStream::WriteShort(std::int16_t value) {
    return WriteToken(FormatNumber(value));
}
RoomMsgStream& RoomMsgStream::WriteBool(bool value) {
    return WriteToken(value ? "1" : "-1");
}

RoomMsgStream& RoomMsgStream::WriteChar(char value) {
    // A space goes quoted in byte 2, the one form this stream's reader keeps as a
    // single token.
    if (value == ' ') return WriteToken("\x02 \x02");
    return WriteToken(std::string_view(&value, 1));
}

RoomMsgStream& RoomMsgStream::WriteString(std::string_view value) {
    return WriteToken(QuoteRoomMsgString(value));
}

std::string_view RoomMsgStream::NextOrEmpty() {
    if (index_ < 0) return {};
    const std::string_view token = tokens_.GetToken(static_cast<std::uint16_t>(index_));
    ++index_;
    return token;
}

std::string_view RoomMsgStream::Next() {
    if (index_ < 0 || static_cast<std::uint16_t>(index_) >= tokens_.GetCount() || index_ > 0xFFFF) {
        if (index_ >= 0) ++index_;
        throw InvalidRoomMsg{};
    }
    return NextOrEmpty();
}

RoomMsgStream& RoomMsgStream::ReadInt(std::int32_t& value) {
    if (!ParseRoomMsgInt(NextOrEmpty(), value)) throw InvalidRoomMsg{};
    return *this;
}

RoomMsgStream& RoomMsgStream::ReadUInt(std::uint32_t& value) {
    if (!ParseRoomMsgUInt(NextOrEmpty(), value)) throw InvalidRoomMsg{};
    return *this;
}

RoomMsgStream& RoomMsgStream::ReadULong(std::uint32_t& value) {
    return ReadUInt(value);
}

RoomMsgStream& RoomMsgStream::ReadShort(std::int16_t& value) {
    if (!ParseRoomMsgShort(NextOrEmpty(), value)) throw InvalidRoomMsg{};
    return *this;
}

RoomMsgStream& RoomMsgStream::ReadChar(char& value) {
    const std::string_view token = NextOrEmpty();
    if (token.empty()) throw InvalidRoomMsg{};
    value = token.front();
    return *this;
}

RoomMsgStream& RoomMsgStream::ReadBool(bool& value) {
    std::int32_t number = 0;
    ReadInt(number);
    if (number == 1)
        value = true;
    else if (number == -1)
        value = false;
    else
        throw InvalidRoomMsg{};
    return *this;
}

RoomMsgStream& RoomMsgStream::ReadString(std::string& value) {
    value.assign(Next());
    return *this;
}

RoomMsgStream& RoomMsgStream::ExpectTag(std::string_view tag) {
    if (Next() != tag) throw InvalidRoomMsg{};
    return *this;
}

RoomMsgStream& RoomMsgStream::StepBack() {
    if (index_ > 0) --index_;
    return *this;
}

void WriteVersionField(RoomMsgStream& stream, const Version& version) {
    stream.WriteString("Version")
        .WriteInt(version.GetMajor())
        .WriteInt(version.GetMinor())
        .WriteInt(version.GetRelease())
        .WriteInt(version.GetBuild());
}

void ReadVersionField(RoomMsgStream& stream, Version& version) {
    std::int32_t parts[4] = {};
    stream.ExpectTag("Version").ReadInt(parts[0]).ReadInt(parts[1]).ReadInt(parts[2]).ReadInt(parts[3]);
    version = Version(parts[0], parts[1], parts[2], parts[3]);
}

void WriteAdField(RoomMsgStream& stream, const AdInfo& ad) {
    stream.WriteString("Ad").WriteString(ad.GetName()).WriteString(ad.GetText()).WriteInt(ad.GetPlayTime());
}

void ReadAdField(RoomMsgStream& stream, AdInfo& ad) {
    std::string name;
    std::string text;
    std::int32_t playTime = 0;
    stream.ExpectTag("Ad").ReadString(name).ReadString(text).ReadInt(playTime);
    ad = AdInfo(std::move(name), std::move(text), playTime);
}

void WriteAdListField(RoomMsgStream& stream, const std::vector<AdInfo>& ads) {
    stream.WriteString("AL").WriteULong(static_cast<std::uint32_t>(ads.size()));
    for (const AdInfo& ad : ads) WriteAdField(stream, ad);
}

void ReadAdListField(RoomMsgStream& stream, std::vector<AdInfo>& ads) {
    ads.clear();
    std::int32_t count = 0;
    stream.ExpectTag("AL").ReadInt(count);
    for (std::int32_t i = 0; i < count; ++i) {
        AdInfo ad;
        ReadAdField(stream, ad);
        ads.push_back(std::move(ad));
    }
}

void WriteFatChanceEntry(RoomMsgStream& stream, const FatChanceEntry& entry) {
    stream.WriteString("B").WriteInt(entry.number).WriteBool(entry.flag);
}

void ReadFatChanceEntry(RoomMsgStream& stream, FatChanceEntry& entry) {
    stream.ExpectTag("B").ReadInt(entry.number).ReadBool(entry.flag);
}

void WriteFatChanceEntryList(RoomMsgStream& stream, const std::vector<FatChanceEntry>& entries) {
    stream.WriteString("BL").WriteULong(static_cast<std::uint32_t>(entries.size()));
    for (const FatChanceEntry& entry : entries) WriteFatChanceEntry(stream, entry);
}

void ReadFatChanceEntryList(RoomMsgStream& stream, std::vector<FatChanceEntry>& entries) {
    entries.clear();
    std::int32_t count = 0;
    stream.ExpectTag("BL").ReadInt(count);
    for (std::int32_t i = 0; i < count; ++i) {
        FatChanceEntry entry;
        ReadFatChanceEntry(stream, entry);
        entries.push_back(entry);
    }
}

void WritePictureInfo(RoomMsgStream& stream, const PictureInfo& picture) {
    stream.WriteString("Zuv")
        .WriteString(picture.text1)
        .WriteString(picture.text2)
        .WriteUInt(picture.number1)
        .WriteInt(picture.number2)
        .WriteString(picture.text3)
        .WriteUInt(picture.number3);
}

void ReadPictureInfo(RoomMsgStream& stream, PictureInfo& picture) {
    stream.ExpectTag("Zuv")
        .ReadString(picture.text1)
        .ReadString(picture.text2)
        .ReadUInt(picture.number1)
        .ReadInt(picture.number2)
        .ReadString(picture.text3)
        .ReadUInt(picture.number3);
}

std::int32_t SumAdListInts(const std::vector<AdInfo>& ads) {
    std::uint32_t sum = 0;
    for (const AdInfo& ad : ads) sum += static_cast<std::uint32_t>(ad.GetPlayTime());
    return static_cast<std::int32_t>(sum);
}
