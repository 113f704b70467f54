// The records of the room messages (player, room, version, ad and ad list, fat
// chance entry and list, picture), the first byte picking which, each read by
// its reader through the generic factories and written back.

#include "FuzzSupport.h"
#include "RoomTextFuzz.h"
#include "framework/SingletonDefaults.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = [] {
        PlayerFactory::Provide();
        RoomFactory::Provide();
        SingletonDefaults::Register(PlayerFactory::kName);
        SingletonDefaults::Register(RoomFactory::kName);
        return true;
    }();
    (void)started;
    fuzz::Input input(data, size);
    const int kind = static_cast<int>(input.Small(fuzz::kRecordKinds));
    fuzz::RecordRoundTrip(kind, input.RestText());
    return 0;
}
