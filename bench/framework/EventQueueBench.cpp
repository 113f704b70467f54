// Cost of the lower layer's event path: a burst of events with a text posted to
// a handler and pumped (on a new handler, whose queue grows on the way, and on
// one that has grown already), and a message sent to a handler through the
// message/event bridge.

#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MsgSenderSupport.h"
#include "framework/ObjectRegistry.h"
#include "framework/xEventHandler.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

class Counter : public xEventHandler {
  public:
    Counter() : xEventHandler(nullptr) {}
    std::int32_t HandleEvent(const xEvent& event) override {
        benchmark::DoNotOptimize(event.GetTextParam(0));
        return ++handled;
    }
    std::int32_t handled = 0;
};

void BM_PostAndPumpBurst(benchmark::State& state) {
    ExecutionService::Register();
    DummyUIRoot::Register();
    const int burst = static_cast<int>(state.range(0));
    xEvent event(90);
    event.SetStringParam(0, ":nick!user@host PRIVMSG #room :a line of chat of ordinary length");
    for (auto _ : state) {
        Counter handler;
        for (int i = 0; i < burst; ++i) {
            handler.PostEvent(event);
        }
        handler.Idle();
        benchmark::DoNotOptimize(handler.handled);
    }
    state.SetItemsProcessed(state.iterations() * burst);
    ObjectRegistry::DestroyAll();
}
BENCHMARK(BM_PostAndPumpBurst)->Arg(10)->Arg(180);

void BM_PostAndPumpBurstGrown(benchmark::State& state) {
    ExecutionService::Register();
    DummyUIRoot::Register();
    const int burst = static_cast<int>(state.range(0));
    xEvent event(90);
    event.SetStringParam(0, ":nick!user@host PRIVMSG #room :a line of chat of ordinary length");
    {
        Counter handler;
        for (auto _ : state) {
            for (int i = 0; i < burst; ++i) {
                handler.PostEvent(event);
            }
            handler.Idle();
        }
        state.SetItemsProcessed(state.iterations() * burst);
    }
    ObjectRegistry::DestroyAll();
}
BENCHMARK(BM_PostAndPumpBurstGrown)->Arg(180);

void BM_SendMessageToHandler(benchmark::State& state) {
    ExecutionService::Register();
    DummyUIRoot::Register();
    {
        Counter handler;
        MsgSenderSupport sender;
        sender.AddReceiver(&handler);
        const KeyboardCharMsg key('k');
        for (auto _ : state) {
            sender.Send(key);
            handler.Idle();
        }
        state.SetItemsProcessed(state.iterations());
    }
    ObjectRegistry::DestroyAll();
}
BENCHMARK(BM_SendMessageToHandler);

}  // namespace
