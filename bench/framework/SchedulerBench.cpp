// Cost of the per-pass machinery: one run of the execution service over many
// idle executables, a send to many direct receivers, and queued delivery.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "framework/AnySender.h"
#include "framework/ExecutableForwarder.h"
#include "framework/ExecutionService.h"
#include "framework/MsgSenderSupport.h"
#include "framework/ObjectRegistry.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "framework/StartedMsg.h"

namespace {

class Idle : public ExecutableForwarder {
  public:
    void Execute() override { benchmark::DoNotOptimize(this); }
};

class Sink : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg&, MsgSender*) override { return ++count; }
    std::int32_t count = 0;
};

class QueuedSink : public QueuedMsgReceiverForwarder {
  public:
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (!fromQueue && !queued) {
            QueueMsg(msg, from);
        }
        return 0;
    }
};

void BM_RunExecutables(benchmark::State& state) {
    ExecutionService::Register();
    std::vector<std::unique_ptr<Idle>> executables;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        executables.push_back(std::make_unique<Idle>());
        executables.back()->Schedule();
    }
    for (auto _ : state) {
        ExecutionService::GetInstance().RunExecutables();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    executables.clear();
    ObjectRegistry::DestroyAll();
}
BENCHMARK(BM_RunExecutables)->Arg(10)->Arg(1000);

void BM_SendToDirectReceivers(benchmark::State& state) {
    MsgSenderSupport sender;
    std::vector<Sink> sinks(static_cast<std::size_t>(state.range(0)));
    for (Sink& sink : sinks) {
        sender.AddReceiver(&sink);
    }
    const StartedMsg msg;
    for (auto _ : state) {
        sender.Send(msg);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SendToDirectReceivers)->Arg(1)->Arg(16);

void BM_QueueAndDrain(benchmark::State& state) {
    ExecutionService::Register();
    QueuedSink sink;
    const StartedMsg msg;
    for (auto _ : state) {
        for (std::int64_t i = 0; i < state.range(0); ++i) {
            sink.Receive(msg, AnySender);
        }
        ExecutionService::GetInstance().RunExecutables();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    ObjectRegistry::DestroyAll();
}
BENCHMARK(BM_QueueAndDrain)->Arg(100);

}  // namespace
