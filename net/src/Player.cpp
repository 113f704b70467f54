#include "net/Player.h"

#include <utility>

#include "framework/ObjectRegistry.h"
#include "net/PlayerFactory.h"
#include "net/RoomMsgStream.h"

Player::Player(std::string name) : name_(std::move(name)) {}

Player::Player(RoomMsgStream& stream) : name_("Unknown") {
    ReadPlayerFields(stream);
}

void Player::ReadPlayerFields(RoomMsgStream& stream) {
    stream.ExpectTag("P").ReadString(name_);
}

std::unique_ptr<Player> Player::Clone() const {
    return std::make_unique<Player>(*this);
}

std::string Player::Write(RoomMsgStream* extra) const {
    RoomMsgStream stream;
    WritePlayerFields(stream);
    if (extra != nullptr) extra->Append(stream);
    return stream.GetText();
}

void Player::WritePlayerFields(RoomMsgStream& stream) const {
    stream.WriteString("P").WriteString(name_);
}

void WritePlayer(RoomMsgStream& stream, const Player* player) {
    if (player != nullptr) {
        player->Write(&stream);
    } else {
        Player().Write(&stream);
    }
}

void ReadPlayer(RoomMsgStream& stream, std::unique_ptr<Player>& out) {
    out = ObjectRegistry::GetAs<PlayerFactory>(PlayerFactory::kName).CreatePlayer(stream);
}
