#pragma once

// Non-blocking sockets whose readiness the program learns as posted window
// messages, with the notification rules of asynchronous sockets:
// - Connect once, with its error; Write right after a successful connect, and
//   then only after a send that would block.
// - Read when data is waiting, re-armed only by a receive call.
// - Close once, only after every received byte has been read; a reset gives
//   ConnectionReset.
// A notification is posted as (window, message, wParam = descriptor,
// lParam = event bits in the low word, error in the high word).
//
// Host look-ups run on a worker thread that only resolves and wakes the pump;
// their results are handed over on the pump's thread, inside Poll.
//
// Nothing here blocks but Wait. The pump reaches Poll through the queue's poll
// hook and the descriptors through its wait-descriptor source; see Attach.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/WinTypes.h"

namespace platform {

// An internet endpoint: family, then port and address in network byte order.
struct SocketAddress {
    std::uint16_t family = 0;
    std::uint16_t port = 0;
    std::uint32_t address = 0;
};

// What a host look-up found: IPv4 addresses in network byte order and the
// official name, or the error (HostNotFound, TryAgain, NoRecovery, NoData).
struct HostLookupResult {
    SocketError error = SocketError::None;
    std::string name;
    std::vector<std::uint32_t> addresses;
};
// Runs on the pump's thread, once, unless the look-up was cancelled first.
using HostLookupDone = std::function<void(const HostLookupResult& result)>;

class AsyncSockets {
  public:
    // Notifications go to the queue, which must outlive this object. Creating the
    // wake-up descriptor can fail: Valid() tells.
    explicit AsyncSockets(MessageQueue& queue);
    // Closes every socket still open and drops their queued notifications;
    // look-ups still running are forgotten (their threads end on their own).
    ~AsyncSockets();
    AsyncSockets(const AsyncSockets&) = delete;
    AsyncSockets& operator=(const AsyncSockets&) = delete;

    bool Valid() const;

    // Installs this object's poll hook and wait-descriptor source on its queue;
    // Detach removes them.
    void Attach();
    void Detach();

    // A new non-blocking socket (signals on a broken connection suppressed):
    // its descriptor, or -1 with the error.
    int Create(int family, int type, int protocol, SocketError& error);
    // Asks for the events (SocketEvent bits) as messages to window; 0 stops them.
    SocketError Select(int socket, WindowHandle window, std::uint32_t message, std::uint32_t events);
    // WouldBlock while the connection is under way; the Connect event ends it.
    SocketError Connect(int socket, const SocketAddress& to);
    // Bytes sent, or -1 with the error; `to` (may be null) for a datagram socket.
    long Send(int socket, std::span<const std::uint8_t> data, int flags, const SocketAddress* to,
              SocketError& error);
    // Bytes read (0 at the end of the stream), or -1 with the error; re-arms Read.
    long Receive(int socket, std::span<std::uint8_t> data, int flags, SocketAddress* from,
                 SocketError& error);
    // Level and option in the historic numbering: level 0xFFFF with keep-alive
    // (8), reuse-address (4), send buffer (0x1001), receive buffer (0x1002); level
    // 6 with no-delay (1). Others are NoProtocolOption.
    SocketError SetOption(int socket, int level, int option, std::span<const std::uint8_t> value);
    SocketError LocalName(int socket, SocketAddress& out);
    // Closes the socket and drops its queued notifications.
    SocketError Close(int socket);

    // Starts resolving name (IPv4); returns the task number (never 0), 0 when no
    // worker could be started.
    std::uint32_t StartLookup(const std::string& name, HostLookupDone done);
    // The look-up is never reported; false when the task is not running.
    bool CancelLookup(std::uint32_t task);

    // Posts what is ready now and hands over finished look-ups. Never blocks.
    void Poll();
    // The descriptors that can wake the program.
    void WaitDescriptors(std::vector<WaitDescriptor>& out) const;
    // Blocks until one of them is ready or maxMs has passed (for queues whose
    // backend does no waiting of its own, such as the tests').
    void Wait(std::uint32_t maxMs) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Blocks until one of the descriptors is ready or maxMs has passed; a signal
// ends the wait early. The backends' single blocking wait.
void WaitForDescriptors(std::span<const WaitDescriptor> descriptors, std::uint32_t maxMs);

}  // namespace platform
