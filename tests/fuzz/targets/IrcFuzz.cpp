// Received IRC bytes as the client reads them: appended to the line connection
// in pieces of the sizes the input picks, every line pulled through ReadMessage
// (line reader, room-message batch split, event text) and each event text read
// into an event. Cutting the bytes differently never changes what comes out.

#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "framework/xEvent.h"
#include "net/IrcEventText.h"
#include "net/xIrcClientQueue.h"
#include "net/xSock.h"

namespace {

class FedQueue : public xIrcClientQueue {
  public:
    FedQueue() { Init(); }
    void Receive(const char* bytes, std::size_t length) { AppendReceived(bytes, length); }
    std::size_t Pending() const { return PendingReceivedBytes(); }
};

// What the client takes out over its passes until the bytes received so far
// are used up: the event texts and their events. A pass ends at the first
// read that yields nothing (a line with no event text, say), so reading goes
// on until no byte is waiting and a few more reads yield nothing (the
// messages of one batch share their line's command, so they all yield text).
void Drain(FedQueue& queue, std::vector<std::string>& out) {
    char text[xIRCQueue::kLineMax + 1];
    std::size_t idle = 0;
    for (int guard = 0; guard < 1000000; ++guard) {
        std::memset(text, 0x7f, sizeof text);
        if (queue.ReadMessage(text, sizeof text) != 1) {
            if (queue.Pending() > 0) continue;
            if (++idle > 4) return;
            continue;
        }
        idle = 0;
        if (std::memchr(text, 0, sizeof text) == nullptr) __builtin_trap();
        xEvent event;
        const std::int32_t code = ParseIrcEventText(text, event);
        if (code != 0 && code != 88) __builtin_trap();
        std::string seen = text;
        if (code == 88) {
            seen += '|';
            seen += event.GetTextParam(0);
            seen += '|';
            seen += std::to_string(event.GetShortParam(1));
        }
        out.push_back(std::move(seen));
    }
    __builtin_trap();
}

// pieces: the sizes of the reads in turn, over again; none for one read.
std::vector<std::string> Run(std::string_view bytes, const std::vector<std::size_t>& pieces) {
    xIRCQueue::SetPendingError(0);
    FedQueue queue;
    std::vector<std::string> out;
    std::size_t at = 0;
    for (std::size_t read = 0; at < bytes.size(); ++read) {
        const std::size_t piece = pieces.empty() ? bytes.size() : pieces[read % pieces.size()];
        const std::size_t take = std::min(piece, bytes.size() - at);
        queue.Receive(bytes.data() + at, take);
        at += take;
        Drain(queue, out);
    }
    xIRCQueue::SetPendingError(0);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The socket layer stays up between inputs, as it does in the program while
    // the client lives; each queue only counts its start.
    static const bool started = xTry([] { xSockStartup(nullptr, 0x0101, nullptr, 12); }) == 0;
    (void)started;
    fuzz::Input input(data, size);
    // The first byte counts the read sizes that follow (two bytes each, 1 to
    // 700); the rest is what the server sent.
    std::vector<std::size_t> pieces(1 + input.Small(8));
    for (std::size_t& piece : pieces) piece = 1 + input.Small(700);
    const std::string_view received = input.RestText();
    const std::vector<std::string> cut = Run(received, pieces);
    const std::vector<std::string> whole = Run(received, {});
    if (cut != whole) __builtin_trap();
    xErrorCode = 0;
    return 0;
}
