#include "game/model/PicturePlayer.h"

#include "net/RoomMsgStream.h"

PicturePlayer::PicturePlayer(RoomMsgStream& stream) {
    stream.ExpectTag("PP").ReadInt(score_);
    ReadPlayerFields(stream);
}

std::unique_ptr<Player> PicturePlayer::Clone() const {
    return std::make_unique<PicturePlayer>(*this);
}

void PicturePlayer::WritePlayerFields(RoomMsgStream& stream) const {
    stream.WriteString("PP").WriteInt(score_);
    Player::WritePlayerFields(stream);
}
