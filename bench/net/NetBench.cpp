// A 16 MB body over loopback through the pump, the request queue and the HTTP
// client, plain and compressed, against a blocking read of the same bytes; and
// the decompression slots' driver against zlib's raw inflate alone.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "../../tests/net/TestHttpServer.h"
#include "divir/xFile.h"
#include "framework/MessagePump.h"
#include "net/HttpClient.h"
#include "net/InflateSlots.h"
#include "platform/AsyncSockets.h"
#include "platform/MessageQueue.h"

namespace {

constexpr std::int32_t kBodySize = 16 << 20;

class SocketOnlyQueue : public platform::MessageQueue {
  public:
    bool IsForeground() override { return false; }
    std::uint32_t Now() override {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }

  protected:
    void CollectInput() override {}
    void WaitForInput(std::uint32_t maxMs) override {
        std::vector<platform::WaitDescriptor> descriptors;
        GatherWaitDescriptors(descriptors);
        platform::WaitForDescriptors(descriptors, maxMs);
    }
};

TestHttpServer& Server() {
    static TestHttpServer server;
    return server;
}

struct Final {
    std::int32_t result = -1;
    std::intptr_t length = 0;
};

void OnResponse(std::int32_t result, std::int32_t, std::uint32_t, std::intptr_t user, std::intptr_t,
                std::intptr_t b) {
    if (result < HttpClient::kDone) return;
    auto* f = reinterpret_cast<Final*>(user);
    f->result = result;
    f->length = b;
}

void ClientDownload(benchmark::State& state, const char* path) {
    if (!Server().Running()) {
        state.SkipWithError("python3 is missing: no test HTTP server");
        return;
    }
    SocketOnlyQueue queue;
    platform::MessageQueue::Install(&queue);
    queue.StartThreadTimer(33);
    std::vector<char> buffer(kBodySize + 1024);
    {
        HttpClient client;
        client.AddServer("127.0.0.1", Server().port());
        Final final;
        client.SetResponseCallback(&OnResponse, reinterpret_cast<std::intptr_t>(&final));
        for (auto _ : state) {
            final = Final{};
            client.BufferedGet(path, buffer.data(), static_cast<std::int32_t>(buffer.size()));
            while (final.result < 0) {
                xAppInBackground = 1;
                PumpMessages();
                xAppInBackground = 0;
                client.Execute();
            }
            if (final.result != HttpClient::kDone || final.length != kBodySize) {
                state.SkipWithError("download failed");
                break;
            }
        }
    }
    platform::MessageQueue::Install(nullptr);
    state.SetBytesProcessed(state.iterations() * kBodySize);
}

void BM_ClientPlain16MB(benchmark::State& state) {
    ClientDownload(state, "plain/16777216");
}
BENCHMARK(BM_ClientPlain16MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ClientCompressed16MB(benchmark::State& state) {
    ClientDownload(state, "zip/big16m");
}
BENCHMARK(BM_ClientCompressed16MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same plain body with a blocking socket and nothing else.
void BM_BlockingRead16MB(benchmark::State& state) {
    if (!Server().Running()) {
        state.SkipWithError("python3 is missing: no test HTTP server");
        return;
    }
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(Server().port());
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        const std::string request = "GET /plain/16777216 HTTP/1.0\r\n\r\n";
        ::send(fd, request.data(), request.size(), 0);
        std::size_t total = 0;
        for (ssize_t n; (n = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0;)
            total += static_cast<std::size_t>(n);
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * kBodySize);
}
BENCHMARK(BM_BlockingRead16MB)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::string& Stream() {
    static const std::string stream = [] {
        char name[] = "/tmp/vizuzor-bench-XXXXXX";
        ::close(::mkstemp(name));
        TestHttpServer::RunScript({"--write-stream", "big16m", name});
        std::string bytes = TestHttpServer::ReadFile(name);
        ::unlink(name);
        return bytes;
    }();
    return stream;
}

// Pieces of 16384 bytes into the client's 100000-byte buffer, as a download feeds them.
void BM_SlotDriver(benchmark::State& state) {
    const std::string& stream = Stream();
    if (stream.size() < 16) {
        state.SkipWithError("no stream");
        return;
    }
    InflateSlotsInit();
    std::vector<char> out(100000);
    for (auto _ : state) {
        const std::int16_t slot = InflateSlotOpen();
        std::size_t produced = 0;
        for (std::size_t at = 0; at < stream.size(); at += 16384) {
            const char* in = stream.data() + at;
            std::uint32_t left = static_cast<std::uint32_t>(std::min<std::size_t>(16384, stream.size() - at));
            for (;;) {
                std::uint32_t size = static_cast<std::uint32_t>(out.size()), used = 0;
                InflateSlotFeed(slot, out.data(), size, in, left, &used);
                produced += size;
                in += used;
                left -= used;
                if ((left == 0 && size < out.size()) || (used == 0 && size == 0)) break;
            }
        }
        if (InflateSlotClose(slot, 0) != 1 || produced != static_cast<std::size_t>(kBodySize))
            state.SkipWithError("bad stream");
    }
    state.SetBytesProcessed(state.iterations() * kBodySize);
}
BENCHMARK(BM_SlotDriver)->Unit(benchmark::kMillisecond);

// zlib's raw inflate over the same deflate data, with the same buffers, no checksum.
void BM_ZlibInflateAlone(benchmark::State& state) {
    const std::string& stream = Stream();
    if (stream.size() < 16) {
        state.SkipWithError("no stream");
        return;
    }
    std::vector<char> out(100000);
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, -15);
        std::size_t produced = 0;
        for (std::size_t at = 16; at < stream.size(); at += 16384) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data() + at));
            z.avail_in = static_cast<uInt>(std::min<std::size_t>(16384, stream.size() - at));
            do {
                z.next_out = reinterpret_cast<Bytef*>(out.data());
                z.avail_out = static_cast<uInt>(out.size());
                inflate(&z, Z_NO_FLUSH);
                produced += out.size() - z.avail_out;
            } while (z.avail_out == 0);
        }
        inflateEnd(&z);
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(state.iterations() * kBodySize);
}
BENCHMARK(BM_ZlibInflateAlone)->Unit(benchmark::kMillisecond);

}  // namespace
