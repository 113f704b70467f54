#include "net/RoomFactory.h"

#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "net/RoomMsgStream.h"

std::unique_ptr<Room> RoomFactory::CreateRoom(RoomMsgStream& stream) {
    if (PeekTag(stream) != "R") throw InvalidRoomMsg{};
    return std::make_unique<Room>(stream);
}

std::string RoomFactory::PeekTag(RoomMsgStream& stream) {
    std::string tag;
    stream.ReadString(tag).StepBack();
    return tag;
}

void RoomFactory::Provide() {
    SingletonDefaults::Provide(kName, &ObjectRegistry::CreateInstance<RoomFactory>,
                               &ObjectRegistry::DeleteInstance);
}
