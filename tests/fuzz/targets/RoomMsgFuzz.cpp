// A room text from the room bot as the room proxy reads it: through the generic
// message factory, the message written back and read again.

#include "FuzzSupport.h"
#include "RoomTextFuzz.h"
#include "framework/SingletonDefaults.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = [] {
        RoomMsgFactory::Provide();
        PlayerFactory::Provide();
        RoomFactory::Provide();
        SingletonDefaults::Register(RoomMsgFactory::kName);
        SingletonDefaults::Register(PlayerFactory::kName);
        SingletonDefaults::Register(RoomFactory::kName);
        return true;
    }();
    (void)started;
    fuzz::RoomMsgRoundTrip(fuzz::Input(data, size).RestText());
    return 0;
}
