#pragma once

// What the room-text targets share: a received text read the way the room
// proxy reads it (a stream over the text, the registered factories), and the
// result written back and read again. A message or record the reader accepted
// writes a text that reads back as the same kind, and once written it reads
// back to the same thing.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "net/Player.h"
#include "net/Room.h"
#include "net/RoomMsg.h"
#include "net/RoomMsgFactory.h"
#include "net/RoomMsgStream.h"

namespace fuzz {

// A written text another reader takes whole: within the tokenizer's bytes and
// without a zero byte (which ends a received text).
inline bool ReadableWhole(const std::string& text) {
    return text.size() <= RoomMsgTokenizer::kMaxText && text.find('\0') == std::string::npos;
}

// The message of a text through the registered "RoomMsgFactory"; null for an
// unknown tag or a text that is not a valid message.
inline std::unique_ptr<RoomMsg> ReadRoomMsg(std::string_view text) {
    try {
        RoomMsgStream stream(text);
        return GetRoomMsgFactory().CreateRoomMsg(stream);
    } catch (const InvalidRoomMsg&) {
        return nullptr;
    }
}

// A received text read as the proxy reads it, then written back. Writing turns
// a byte 2 inside a string into byte 4, so the first text written may differ
// from the one received; from then on writing and reading change nothing.
inline void RoomMsgRoundTrip(std::string_view text) {
    const std::unique_ptr<RoomMsg> msg = ReadRoomMsg(text);
    if (msg == nullptr) return;
    const std::unique_ptr<Msg> copy = msg->Clone();
    const auto* copied = dynamic_cast<const RoomMsg*>(copy.get());
    if (copied == nullptr || !copied->Equals(*msg)) __builtin_trap();
    const std::string first = msg->Write(nullptr);
    if (!ReadableWhole(first)) return;
    const std::unique_ptr<RoomMsg> second = ReadRoomMsg(first);
    if (second == nullptr) __builtin_trap();
    const RoomMsg& a = *msg;
    const RoomMsg& b = *second;
    if (typeid(a) != typeid(b)) __builtin_trap();
    const std::string written = second->Write(nullptr);
    if (!ReadableWhole(written)) return;
    const std::unique_ptr<RoomMsg> third = ReadRoomMsg(written);
    if (third == nullptr) __builtin_trap();
    const RoomMsg& c = *third;
    if (typeid(c) != typeid(b) || !c.Equals(b) || c.Write(nullptr) != written) __builtin_trap();
}

// The records a room message carries, each read by its own reader and written
// back by its writer.
constexpr int kRecordKinds = 8;

inline std::string ReadRecord(int kind, RoomMsgStream& stream) {
    RoomMsgStream out;
    switch (kind) {
        case 0: {
            std::unique_ptr<Player> player;
            ReadPlayer(stream, player);
            WritePlayer(out, player.get());
            break;
        }
        case 1: {
            std::unique_ptr<Room> room;
            ReadRoom(stream, room);
            WriteRoom(out, room.get());
            break;
        }
        case 2: {
            Version version;
            ReadVersionField(stream, version);
            WriteVersionField(out, version);
            break;
        }
        case 3: {
            AdInfo ad;
            ReadAdField(stream, ad);
            WriteAdField(out, ad);
            break;
        }
        case 4: {
            std::vector<AdInfo> ads;
            ReadAdListField(stream, ads);
            WriteAdListField(out, ads);
            break;
        }
        case 5: {
            FatChanceEntry entry;
            ReadFatChanceEntry(stream, entry);
            WriteFatChanceEntry(out, entry);
            break;
        }
        case 6: {
            std::vector<FatChanceEntry> entries;
            ReadFatChanceEntryList(stream, entries);
            WriteFatChanceEntryList(out, entries);
            break;
        }
        default: {
            PictureInfo picture;
            ReadPictureInfo(stream, picture);
            WritePictureInfo(out, picture);
            break;
        }
    }
    return out.GetText();
}

// The record of a text, written back; none when the reader refuses the text.
inline bool RecordText(int kind, std::string_view text, std::string& written) {
    try {
        RoomMsgStream stream(text);
        written = ReadRecord(kind, stream);
        return true;
    } catch (const InvalidRoomMsg&) {
        return false;
    }
}

// As for messages: after the first writing, writing and reading change nothing.
inline void RecordRoundTrip(int kind, std::string_view text) {
    std::string first;
    if (!RecordText(kind, text, first) || !ReadableWhole(first)) return;
    std::string written;
    if (!RecordText(kind, first, written)) __builtin_trap();
    if (!ReadableWhole(written)) return;
    std::string again;
    if (!RecordText(kind, written, again) || again != written) __builtin_trap();
}

}  // namespace fuzz
