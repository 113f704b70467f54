// Speed of the IRC client's reading: lines per second through ReadMessage,
// ParseLine and ParseIrcEvent on a recorded ngircd stream; and 1000 batched
// lines from a peer through ngircd to the client's receiver, against a plain
// python reader on the same server.

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "IrcTestPeers.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MessagePump.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "net/IRCMsg.h"
#include "net/IrcEventText.h"
#include "net/xIrcClient.h"
#include "net/xIrcClientQueue.h"
#include "platform/AsyncSockets.h"
#include "platform/FakeMessageQueue.h"

namespace {

std::string ReadFixture(const char* name) {
    std::ifstream in(std::string(VIZUZOR_FIXTURES) + "/net/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Fed : xIrcClientQueue {
    Fed() { Init(); }
    void Receive(const std::string& bytes) { AppendReceived(bytes.data(), bytes.size()); }
    using xIRCQueue::PendingReceivedBytes;
};

void BM_ReadRecordedStream(benchmark::State& state) {
    const std::string stream = ReadFixture("ngircd-batched.irc");
    if (stream.empty()) {
        state.SkipWithError("tests/fixtures/net/ngircd-batched.irc is missing");
        return;
    }
    std::size_t lines = 0;
    for (char c : stream) lines += c == '\n';
    Fed queue;
    std::int64_t events = 0;
    char text[513];
    xEvent event;
    for (auto _ : state) {
        queue.Receive(stream);
        for (;;) {
            if (queue.ReadMessage(text, sizeof text) == 1) {
                events += ParseIrcEventText(text, event) == 88;
            } else if (queue.PendingReceivedBytes() == 0) {
                break;
            }
        }
    }
    xIRCQueue::SetPendingError(0);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines),
                                                   benchmark::Counter::kIsRate);
    state.counters["events"] = static_cast<double>(events) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadRecordedStream);

struct Counting : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (dynamic_cast<const IRCPrivateMsg*>(&msg) != nullptr) {
            if (count++ == 0) first = std::chrono::steady_clock::now();
            last = std::chrono::steady_clock::now();
        }
        return 0;
    }
    int count = 0;
    std::chrono::steady_clock::time_point first, last;
};

// The program's pump over a queue whose wait watches the sockets, with the real
// application clock; the step runs the executables.
struct Loop {
    Loop() {
        platform::MessageQueue::Install(&queue);
        queue.SetForeground(false);
        queue.StartThreadTimer(33);
        queue.SetWaitHook([this](std::uint32_t maxMs) {
            std::vector<platform::WaitDescriptor> descriptors;
            queue.GatherWaitDescriptors(descriptors);
            platform::WaitForDescriptors(descriptors, maxMs);
        });
        ExecutionService::Register();
        DummyUIRoot::Register();
    }
    ~Loop() {
        ObjectRegistry::DestroyAll();
        queue.SetWaitHook({});
        platform::MessageQueue::Install(nullptr);
    }
    template <class Done>
    bool Until(Done done, std::chrono::seconds patience = std::chrono::seconds(60)) {
        const auto end = std::chrono::steady_clock::now() + patience;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            xAppInBackground = 1;
            PumpMessages();
            xAppInBackground = 0;
            ExecutionService::GetInstance().RunExecutables();
        }
        return true;
    }
    platform::FakeMessageQueue queue;
};

constexpr int kLines = 1000;
constexpr int kPerLine = 4;
const char* kBatch = "PUC \2hello there\2 player1 \3\4PUC \2hi\2 player2 \3\4MC \2waves\2 player3 \3\4PUC x player4 ";

void BM_PeerThroughNgircd(benchmark::State& state) {
    using namespace irctest;
    if (!Ngircd::Available()) {
        state.SkipWithError("ngircd is not installed (tools/deps.sh installs it)");
        return;
    }
    Ngircd server;
    for (auto _ : state) {
        Loop loop;
        Counting heard;
        auto client = std::make_unique<xIrcClient>();
        client->AddReceiver(&heard);
        PeerUser bot(server.Port(), "bot", "room");
        PeerUser reader(server.Port(), "reader", "");
        client->SetServerAndChannel("127.0.0.1", server.Port(), "room");
        client->Start();
        if (!loop.Until([&] { return client->IsStarted(); }) || !bot.Ready() || !reader.Ready()) {
            state.SkipWithError("the client did not join");
            return;
        }
        bot.Send(std::string("FLOOD ") + std::to_string(kLines) + " " + client->GetNick(nullptr, 0) + " " + kBatch);
        if (!loop.Until([&] { return heard.count >= kLines * kPerLine; })) {
            state.SkipWithError("the client did not hear every message");
            return;
        }
        const double clientSeconds = std::chrono::duration<double>(heard.last - heard.first).count();

        reader.Send(std::string("COUNT ") + std::to_string(kLines) + " bot");
        reader.Heard().WaitFor("COUNTING");
        bot.Send(std::string("FLOOD ") + std::to_string(kLines) + " reader " + kBatch);
        const auto counted = reader.Heard().WaitFor("COUNTED", 0, std::chrono::seconds(60));
        double pythonSeconds = 0;
        if (counted) {
            const std::string& line = reader.Heard().Lines()[*counted];
            pythonSeconds = std::stod(line.substr(line.rfind(' ') + 1));
        }
        state.SetIterationTime(clientSeconds);
        state.counters["client lines/s"] = kLines / clientSeconds;
        state.counters["client messages/s"] = kLines * kPerLine / clientSeconds;
        state.counters["python lines/s"] = pythonSeconds > 0 ? kLines / pythonSeconds : 0;
        client.reset();
    }
}
BENCHMARK(BM_PeerThroughNgircd)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
