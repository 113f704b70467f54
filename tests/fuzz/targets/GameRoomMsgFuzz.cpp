// A room text as the game's room proxy reads it: the game's factories (its own
// messages, "PP" players and "PR" rooms, the rest handed to the generic ones)
// registered as the application registers them. The first byte picks a whole
// message, a player record or a room record; each is written back and read again.

#include "FuzzSupport.h"
#include "RoomTextFuzz.h"
#include "framework/SingletonDefaults.h"
#include "game/model/PicturePlayerFactory.h"
#include "game/model/PictureRoomFactory.h"
#include "game/model/PictureRoomMsgFactory.h"
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
        PictureRoomMsgFactory::Register();
        PicturePlayerFactory::Register();
        PictureRoomFactory::Register();
        return true;
    }();
    (void)started;
    fuzz::Input input(data, size);
    const int kind = static_cast<int>(input.Small(4));
    // Mostly whole messages; else a player (0) or a room (1) record.
    if (kind < 2) {
        fuzz::RoomMsgRoundTrip(input.RestText());
    } else {
        fuzz::RecordRoundTrip(kind - 2, input.RestText());
    }
    return 0;
}
