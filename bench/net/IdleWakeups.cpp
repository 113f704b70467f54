// How often the program wakes while idle in the background: the main loop's
// pump over the SDL queue with the 33 ms thread timer and the socket layer
// started, for a number of seconds (10 unless given), then the voluntary
// context switches of the main thread per second.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "framework/MessagePump.h"
#include "net/xSock.h"
#include "platform/SdlMessageQueue.h"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    platform::SdlMessageQueue queue;
    platform::MessageQueue::Install(&queue);
    queue.StartThreadTimer(33);
    xSockStartup(nullptr, 0x0101, nullptr, 12);

    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    long passes = 0;
    while (std::chrono::steady_clock::now() < end) {
        xAppInBackground = 1;
        PumpMessages();
        xAppInBackground = 0;
        ++passes;
    }
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);

    xSockCleanup();
    platform::MessageQueue::Install(nullptr);
    const long switches = after.ru_nvcsw - before.ru_nvcsw;
    std::printf("%d s idle in the background: %ld voluntary context switches (%.1f per second), %ld passes\n",
                seconds, switches, static_cast<double>(switches) / seconds, passes);
    return 0;
}
