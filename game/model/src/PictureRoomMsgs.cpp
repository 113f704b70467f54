#include "game/model/PictureRoomMsgs.h"

#include <typeinfo>

GameStandings::GameStandings(std::vector<std::string> names, std::vector<std::int32_t> scores)
    : names_(std::move(names)), scores_(std::move(scores)) {
    scores_.resize(names_.size(), 0);
}

void GameStandings::WriteField(RoomMsgStream& stream) const {
    stream.WriteInt(static_cast<std::int32_t>(names_.size()));
    for (std::size_t i = 0; i < names_.size(); ++i) stream.WriteString(names_[i]).WriteInt(scores_[i]);
}

void GameStandings::ReadField(RoomMsgStream& stream) {
    names_.clear();
    scores_.clear();
    std::int32_t count = 0;
    stream.ReadInt(count);
    // The count only bounds the loop: every entry must be in the text, so a huge
    // count fails at the end of the tokens instead of allocating.
    for (std::int32_t i = 0; i < count; ++i) {
        std::string name;
        std::int32_t score = 0;
        stream.ReadString(name).ReadInt(score);
        names_.push_back(std::move(name));
        scores_.push_back(score);
    }
}

StartPictureAdsRoomMsg::StartPictureAdsRoomMsg(RoomMsgStream& stream)
    : StartAdsRoomMsg(false, {}, 0, 0, 0, 0, 0) {
    stream.ExpectTag(kTag).ReadInt(number_);
    ReadAll(stream);
}

std::unique_ptr<Msg> StartPictureAdsRoomMsg::Clone() const {
    return std::make_unique<StartPictureAdsRoomMsg>(*this);
}

std::string StartPictureAdsRoomMsg::Write(RoomMsgStream* extra) const {
    RoomMsgStream stream;
    stream.WriteString(kTag).WriteInt(number_);
    StartAdsRoomMsg::Write(&stream);
    if (extra != nullptr) extra->Append(stream);
    return stream.GetText();
}

const std::string& StartPictureAdsRoomMsg::GetTag() const {
    static const std::string tag = kTag;
    return tag;
}

bool StartPictureAdsRoomMsg::Equals(const RoomMsg& other) const {
    return typeid(other) == typeid(StartPictureAdsRoomMsg) && Write(nullptr) == other.Write(nullptr);
}
