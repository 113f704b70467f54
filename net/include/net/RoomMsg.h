#pragma once

// Room messages: a wire tag and fields, written as text through RoomMsgStream and
// read back through the registered RoomMsgFactory.

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "framework/Msg.h"
#include "net/Player.h"
#include "net/Room.h"
#include "net/RoomMsgStream.h"

class RoomMsg : public Msg {
  public:
    std::unique_ptr<Msg> Clone() const override = 0;
    // Writes the tag and the fields into a stream of its own, appends that text to
    // `extra` when given, and returns it; the text ends with a space.
    virtual std::string Write(RoomMsgStream* extra) const = 0;
    virtual const std::string& GetTag() const = 0;
    // Same class and same fields (records compared by their written text).
    virtual bool Equals(const RoomMsg& other) const = 0;
};

// Starts a timed segment on the client: the server time stamp and the start delay,
// then the first, middle and last phase times, all in ms. Its own record ("S" and
// the five numbers) is written after the fields of the class that derives from it.
class SegmentRoomMsg : public RoomMsg {
  public:
    SegmentRoomMsg() = default;
    SegmentRoomMsg(std::uint32_t timeStamp, std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4,
                   std::int32_t length)
        : timeStamp_(timeStamp), startDelay_(startDelay), arg3_(arg3), arg4_(arg4), length_(length) {}

    std::uint32_t GetTimeStamp() const { return timeStamp_; }
    std::int32_t GetStartDelay() const { return startDelay_; }
    std::int32_t GetArg3() const { return arg3_; }
    std::int32_t GetArg4() const { return arg4_; }
    std::int32_t GetLength() const { return length_; }

    // Rebases the segment to the server time `now` (unsigned 32-bit, wrapping):
    // the start delay then counts from now.
    void AdjustToTime(std::uint32_t now);

    std::string Write(RoomMsgStream* extra) const override;
    const std::string& GetTag() const override;

    void WriteSegmentFields(RoomMsgStream& stream) const;
    void ReadSegmentFields(RoomMsgStream& stream);

  protected:
    bool SegmentEquals(const SegmentRoomMsg& other) const;

  private:
    std::uint32_t timeStamp_ = 0;
    std::int32_t startDelay_ = 0;
    std::int32_t arg3_ = 0;
    std::int32_t arg4_ = 0;
    std::int32_t length_ = 0;
};

// An owned player or room record: copying the message clones it.
template <class T>
class RecordPtr {
  public:
    RecordPtr() = default;
    explicit RecordPtr(std::unique_ptr<T> record) : record_(std::move(record)) {}
    RecordPtr(const RecordPtr& other) : record_(other.record_ ? other.record_->Clone() : nullptr) {}
    RecordPtr& operator=(const RecordPtr& other) {
        if (this != &other) record_ = other.record_ ? other.record_->Clone() : nullptr;
        return *this;
    }
    RecordPtr(RecordPtr&&) noexcept = default;
    RecordPtr& operator=(RecordPtr&&) noexcept = default;

    const T* get() const { return record_.get(); }
    std::unique_ptr<T>& owned() { return record_; }

  private:
    std::unique_ptr<T> record_;
};

// One field's text form, chosen by its type: the writer, the reader and the
// comparison of every message class go through these, so they cannot drift.
namespace room_msg_fields {

inline void Write(RoomMsgStream& s, const std::string& v) {
    s.WriteString(v);
}
inline void Write(RoomMsgStream& s, std::int32_t v) {
    s.WriteInt(v);
}
inline void Write(RoomMsgStream& s, std::uint32_t v) {
    s.WriteUInt(v);
}
inline void Write(RoomMsgStream& s, bool v) {
    s.WriteBool(v);
}
inline void Write(RoomMsgStream& s, const Version& v) {
    WriteVersionField(s, v);
}
inline void Write(RoomMsgStream& s, const AdInfo& v) {
    WriteAdField(s, v);
}
inline void Write(RoomMsgStream& s, const std::vector<AdInfo>& v) {
    WriteAdListField(s, v);
}
inline void Write(RoomMsgStream& s, const RecordPtr<Player>& v) {
    WritePlayer(s, v.get());
}
inline void Write(RoomMsgStream& s, const RecordPtr<Room>& v) {
    WriteRoom(s, v.get());
}

inline void Read(RoomMsgStream& s, std::string& v) {
    s.ReadString(v);
}
inline void Read(RoomMsgStream& s, std::int32_t& v) {
    s.ReadInt(v);
}
inline void Read(RoomMsgStream& s, std::uint32_t& v) {
    s.ReadUInt(v);
}
inline void Read(RoomMsgStream& s, bool& v) {
    s.ReadBool(v);
}
inline void Read(RoomMsgStream& s, Version& v) {
    ReadVersionField(s, v);
}
inline void Read(RoomMsgStream& s, AdInfo& v) {
    ReadAdField(s, v);
}
inline void Read(RoomMsgStream& s, std::vector<AdInfo>& v) {
    ReadAdListField(s, v);
}
inline void Read(RoomMsgStream& s, RecordPtr<Player>& v) {
    ReadPlayer(s, v.owned());
}
inline void Read(RoomMsgStream& s, RecordPtr<Room>& v) {
    ReadRoom(s, v.owned());
}

inline void Write(RoomMsgStream& s, const PictureInfo& v) {
    WritePictureInfo(s, v);
}
inline void Read(RoomMsgStream& s, PictureInfo& v) {
    ReadPictureInfo(s, v);
}
inline void Write(RoomMsgStream& s, const std::vector<FatChanceEntry>& v) {
    WriteFatChanceEntryList(s, v);
}
inline void Read(RoomMsgStream& s, std::vector<FatChanceEntry>& v) {
    ReadFatChanceEntryList(s, v);
}
// A field type of a game's own writes and reads itself.
template <class T>
    requires requires(const T& v, RoomMsgStream& s) { v.WriteField(s); }
void Write(RoomMsgStream& s, const T& v) {
    v.WriteField(s);
}
template <class T>
    requires requires(T& v, RoomMsgStream& s) { v.ReadField(s); }
void Read(RoomMsgStream& s, T& v) {
    v.ReadField(s);
}

template <class T>
bool Same(const T& a, const T& b) {
    return a == b;
}
template <class T>
bool Same(const RecordPtr<T>& a, const RecordPtr<T>& b) {
    if (a.get() == nullptr || b.get() == nullptr) return a.get() == b.get();
    return typeid(*a.get()) == typeid(*b.get()) && a.get()->Write(nullptr) == b.get()->Write(nullptr);
}

}  // namespace room_msg_fields

// The shared body of every message class. Derived lists its fields once, in wire
// order, as
//   template <class F, class... S> static void Fields(F&& f, S&... s) { f(s.a_...); f(s.b_...); }
// (visiting the same field of one or more objects at once) and names its tag in
// `static constexpr const char* kTag`. Base is RoomMsg or SegmentRoomMsg, whose
// record then follows the fields.
template <class Derived, class Base = RoomMsg>
class RoomMsgOf : public Base {
  public:
    using Base::Base;

    std::unique_ptr<Msg> Clone() const override { return std::make_unique<Derived>(Self()); }

    std::string Write(RoomMsgStream* extra) const override {
        RoomMsgStream stream;
        stream.WriteString(Derived::kTag);
        Derived::Fields([&stream](const auto& field) { room_msg_fields::Write(stream, field); }, Self());
        if constexpr (kIsSegment) this->WriteSegmentFields(stream);
        if (extra != nullptr) extra->Append(stream);
        return stream.GetText();
    }

    const std::string& GetTag() const override {
        static const std::string tag = Derived::kTag;
        return tag;
    }

    bool Equals(const RoomMsg& other) const override {
        if (typeid(other) != typeid(Derived)) return false;
        const auto& that = static_cast<const Derived&>(other);
        if constexpr (kIsSegment) {
            if (!this->SegmentEquals(that)) return false;
        }
        bool same = true;
        Derived::Fields([&same](const auto& a, const auto& b) { same = same && room_msg_fields::Same(a, b); },
                        Self(), that);
        return same;
    }

  protected:
    // For the stream constructor of Derived, once its fields have their defaults.
    void ReadAll(RoomMsgStream& stream) {
        stream.ExpectTag(Derived::kTag);
        Derived::Fields([&stream](auto& field) { room_msg_fields::Read(stream, field); },
                        static_cast<Derived&>(*this));
        if constexpr (kIsSegment) this->ReadSegmentFields(stream);
    }

  private:
    static constexpr bool kIsSegment = std::is_base_of_v<SegmentRoomMsg, Base>;

    const Derived& Self() const { return static_cast<const Derived&>(*this); }
};
