// Reading room texts: the tokenizer alone, and whole messages through the factory.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "net/GenericRoomMsgs.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"
#include "net/RoomMsgFactory.h"

namespace {

void RegisterFactories() {
    RoomMsgFactory::Provide();
    PlayerFactory::Provide();
    RoomFactory::Provide();
    SingletonDefaults::Register(RoomMsgFactory::kName);
    SingletonDefaults::Register(PlayerFactory::kName);
    SingletonDefaults::Register(RoomFactory::kName);
}

const std::string kChat =
    PublicChatRoomMsg("a chat line of ordinary length, with words", "SomePlayer").Write(nullptr);
const std::string kRoom = RoomListItemRoomMsg(3, std::make_unique<Room>("Room Three", "irc.example", 6667,
                                                                        "room3", "open", 9, false, 12))
                              .Write(nullptr);

void BM_Tokenize(benchmark::State& state) {
    RoomMsgTokenizer tokenizer;
    for (auto _ : state) {
        tokenizer.Tokenize(kRoom);
        benchmark::DoNotOptimize(tokenizer.GetCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kRoom.size()));
}
BENCHMARK(BM_Tokenize);

void BM_ReadMessage(benchmark::State& state, const std::string& text) {
    RegisterFactories();
    RoomMsgFactory& factory = GetRoomMsgFactory();
    for (auto _ : state) {
        RoomMsgStream stream(text);
        benchmark::DoNotOptimize(factory.CreateRoomMsg(stream));
    }
    ObjectRegistry::DestroyAll();
}
BENCHMARK_CAPTURE(BM_ReadMessage, chat, kChat);
BENCHMARK_CAPTURE(BM_ReadMessage, room_item, kRoom);

}  // namespace
