#include "game/model/PicturePlayerFactory.h"

#include <new>

#include "framework/ObjectRegistry.h"
#include "game/model/PicturePlayer.h"
#include "net/RoomMsgStream.h"

std::unique_ptr<Player> PicturePlayerFactory::CreatePlayer(RoomMsgStream& stream) {
    try {
        if (PeekTag(stream) == "PP") return std::make_unique<PicturePlayer>(stream);
        return PlayerFactory::CreatePlayer(stream);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void PicturePlayerFactory::Register() {
    ObjectRegistry::RegisterSingleton(kName, &ObjectRegistry::CreateInstance<PicturePlayerFactory>,
                                      &ObjectRegistry::DeleteInstance);
}
