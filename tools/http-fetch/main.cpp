// http-fetch HOST:PORT URLPATH OUT
//
// Fetches URLPATH from the server through the client's own stack (sockets, the
// request queue, the HTTP client with its inflation of compressed bodies) and
// writes the body to OUT. Prints the failure and exits with 1 when there is one.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "divir/xFile.h"
#include "framework/MessagePump.h"
#include "net/HttpClient.h"
#include "platform/AsyncSockets.h"
#include "platform/MessageQueue.h"

namespace {

// A message queue with no display: it waits on the sockets layer's descriptors.
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

struct Result {
    std::int32_t code = -1;
    std::intptr_t a = 0;
};

void OnResponse(std::int32_t result, std::int32_t, std::uint32_t, std::intptr_t user, std::intptr_t a,
                std::intptr_t) {
    if (result < HttpClient::kDone) return;
    auto* r = reinterpret_cast<Result*>(user);
    r->code = result;
    r->a = a;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: http-fetch HOST:PORT URLPATH OUT\n");
        return 2;
    }
    const std::string server = argv[1];
    const std::size_t colon = server.rfind(':');
    const std::string host = server.substr(0, colon);
    const int port = colon == std::string::npos ? 80 : std::atoi(server.c_str() + colon + 1);
    std::string path = argv[2];
    if (!path.empty() && path.front() == '/') path.erase(0, 1);

    SocketOnlyQueue queue;
    platform::MessageQueue::Install(&queue);
    queue.StartThreadTimer(33);
    xFileStartup(8);
    Result result;
    {
        HttpClient client;
        client.SetUserAgent("http-fetch");
        client.SetResponseCallback(&OnResponse, reinterpret_cast<std::intptr_t>(&result));
        client.AddServer(host, port);
        client.Get(path, argv[3]);
        while (result.code < 0) {
            xAppInBackground = 1;
            PumpMessages();
            xAppInBackground = 0;
            client.Execute();
        }
    }
    xFileCleanup();
    platform::MessageQueue::Install(nullptr);

    switch (result.code) {
        case HttpClient::kDone:
            return 0;
        case HttpClient::kTimedOut:
            std::fprintf(stderr, "http-fetch: timed out after %ld ms\n", static_cast<long>(result.a));
            return 1;
        case HttpClient::kCanceled:
            std::fprintf(stderr, "http-fetch: canceled\n");
            return 1;
        case HttpClient::kFailed:
            std::fprintf(stderr,
                         "http-fetch: the download failed (no answer, a bad response, or a bad stream)\n");
            return 1;
        default:
            std::fprintf(stderr, "http-fetch: internal error\n");
            return 1;
    }
}
