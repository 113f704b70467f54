#include "game/model/PictureRoomFactory.h"

#include <new>

#include "framework/ObjectRegistry.h"
#include "game/model/PictureRoom.h"
#include "net/RoomMsgStream.h"

std::unique_ptr<Room> PictureRoomFactory::CreateRoom(RoomMsgStream& stream) {
    try {
        if (PeekTag(stream) == "PR") return std::make_unique<PictureRoom>(stream);
        return RoomFactory::CreateRoom(stream);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void PictureRoomFactory::Register() {
    ObjectRegistry::RegisterSingleton(kName, &ObjectRegistry::CreateInstance<PictureRoomFactory>,
                                      &ObjectRegistry::DeleteInstance);
}
