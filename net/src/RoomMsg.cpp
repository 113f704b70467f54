#include "net/RoomMsg.h"

void SegmentRoomMsg::AdjustToTime(std::uint32_t now) {
    auto delay = static_cast<std::uint32_t>(startDelay_);
    if (now >= timeStamp_) {
        delay -= now - timeStamp_;
    } else {
        delay += timeStamp_ - now + 1u;
    }
    startDelay_ = static_cast<std::int32_t>(delay);
    timeStamp_ = now;
}

std::string SegmentRoomMsg::Write(RoomMsgStream* extra) const {
    RoomMsgStream stream;
    WriteSegmentFields(stream);
    if (extra != nullptr) extra->Append(stream);
    return stream.GetText();
}

const std::string& SegmentRoomMsg::GetTag() const {
    static const std::string tag = "S";
    return tag;
}

void SegmentRoomMsg::WriteSegmentFields(RoomMsgStream& stream) const {
    stream.WriteString("S")
        .WriteULong(timeStamp_)
        .WriteInt(startDelay_)
        .WriteInt(arg3_)
        .WriteInt(arg4_)
        .WriteInt(length_);
}

void SegmentRoomMsg::ReadSegmentFields(RoomMsgStream& stream) {
    stream.ExpectTag("S")
        .ReadULong(timeStamp_)
        .ReadInt(startDelay_)
        .ReadInt(arg3_)
        .ReadInt(arg4_)
        .ReadInt(length_);
}

bool SegmentRoomMsg::SegmentEquals(const SegmentRoomMsg& other) const {
    return timeStamp_ == other.timeStamp_ && startDelay_ == other.startDelay_ && arg3_ == other.arg3_ &&
           arg4_ == other.arg4_ && length_ == other.length_;
}
