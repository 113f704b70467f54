#include "net/PlayerFactory.h"

#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "net/RoomMsgStream.h"

std::unique_ptr<Player> PlayerFactory::CreatePlayer(RoomMsgStream& stream) {
    if (PeekTag(stream) != "P") throw InvalidRoomMsg{};
    return std::make_unique<Player>(stream);
}

std::string PlayerFactory::PeekTag(RoomMsgStream& stream) {
    std::string tag;
    stream.ReadString(tag).StepBack();
    return tag;
}

void PlayerFactory::Provide() {
    SingletonDefaults::Provide(kName, &ObjectRegistry::CreateInstance<PlayerFactory>,
                               &ObjectRegistry::DeleteInstance);
}
