#include "platform/AsyncSockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace platform {

namespace {

std::intptr_t Notification(SocketEvent event, SocketError error) {
    return MakeLParam(static_cast<std::int32_t>(Num(event)), static_cast<std::int32_t>(error));
}

SocketError LastError() {
    return SocketErrorFromErrno(errno);
}

sockaddr_in ToSystem(const SocketAddress& a) {
    sockaddr_in s{};
    s.sin_family = a.family;
    s.sin_port = a.port;
    s.sin_addr.s_addr = a.address;
    return s;
}

SocketAddress FromSystem(const sockaddr_in& s) {
    return SocketAddress{static_cast<std::uint16_t>(s.sin_family), s.sin_port, s.sin_addr.s_addr};
}

SocketError LookupError(int eai) {
    switch (eai) {
        case EAI_NONAME:
#ifdef EAI_ADDRFAMILY
        case EAI_ADDRFAMILY:
#endif
            return SocketError::HostNotFound;
        case EAI_AGAIN:
            return SocketError::TryAgain;
#ifdef EAI_NODATA
        case EAI_NODATA:
            return SocketError::NoData;
#endif
        default:
            return SocketError::NoRecovery;
    }
}

// What the look-up threads share with the pump. The last owner closes the
// wake-up descriptor, so a thread that outlives the sockets layer never writes
// to a descriptor that has been reused.
struct LookupChannel {
    std::mutex mutex;
    std::vector<std::pair<std::uint32_t, HostLookupResult>> done;
    int wakeFd = -1;

    LookupChannel() : wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~LookupChannel() {
        if (wakeFd >= 0) ::close(wakeFd);
    }
    LookupChannel(const LookupChannel&) = delete;
    LookupChannel& operator=(const LookupChannel&) = delete;
};

void Resolve(std::shared_ptr<LookupChannel> channel, std::uint32_t task, std::string name) {
    HostLookupResult result;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (rc != 0) {
        result.error = LookupError(rc);
    } else {
        result.name = found->ai_canonname != nullptr ? found->ai_canonname : name;
        for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
            if (a->ai_family != AF_INET || a->ai_addrlen < sizeof(sockaddr_in)) continue;
            sockaddr_in in{};
            std::memcpy(&in, a->ai_addr, sizeof in);
            if (std::find(result.addresses.begin(), result.addresses.end(), in.sin_addr.s_addr) ==
                result.addresses.end())
                result.addresses.push_back(in.sin_addr.s_addr);
        }
        ::freeaddrinfo(found);
        if (result.addresses.empty()) result.error = SocketError::NoData;
    }
    {
        std::lock_guard lock(channel->mutex);
        channel->done.emplace_back(task, std::move(result));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(channel->wakeFd, &one, sizeof one);
}

}  // namespace

struct AsyncSockets::State {
    struct Watch {
        int fd = -1;
        bool stream = true;
        WindowHandle window = nullptr;
        std::uint32_t message = 0;
        std::uint32_t events = 0;
        bool connecting = false;
        bool connected = false;
        bool failed = false;      // the connect failed: nothing more is reported
        bool writeArmed = false;  // Write is due once the socket can take data
        bool readArmed = true;    // Read may be posted; cleared when it is
        bool closeReported = false;
    };

    explicit State(MessageQueue& q) : queue(q), channel(std::make_shared<LookupChannel>()) {}

    Watch* Find(int fd) {
        const auto it =
            std::find_if(watches.begin(), watches.end(), [fd](const Watch& w) { return w.fd == fd; });
        return it == watches.end() ? nullptr : &*it;
    }

    // What the socket waits for now; neither when it can report nothing until
    // its owner acts (a Read not yet answered by a receive), so that a waiting
    // peer's data or hang-up cannot spin the wait.
    static void Interest(const Watch& w, bool& read, bool& write) {
        read = write = false;
        if (w.window == nullptr || w.events == 0 || w.failed) return;
        if (w.connecting) {
            write = true;
            return;
        }
        if (!w.connected && w.stream) return;
        write = w.writeArmed;
        read = w.readArmed && !w.closeReported;
    }

    void Post(const Watch& w, SocketEvent event, SocketError error) {
        if ((w.events & Num(event)) == 0) return;
        queue.Post(w.window, w.message, static_cast<std::uintptr_t>(w.fd), Notification(event, error));
    }

    void Serve(Watch& w, short revents) {
        if (w.connecting) {
            if ((revents & (POLLOUT | POLLERR | POLLHUP)) == 0) return;
            int err = 0;
            socklen_t len = sizeof err;
            if (::getsockopt(w.fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
            w.connecting = false;
            w.connected = err == 0;
            w.failed = err != 0;
            // A refused connection reports as such, not as the system's would-block.
            Post(w, SocketEvent::Connect, err == 0 ? SocketError::None : SocketErrorFromErrno(err));
            if (!w.connected) return;
            w.writeArmed = true;
            revents = POLLOUT;
        }
        if (w.writeArmed && (revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            w.writeArmed = false;
            Post(w, SocketEvent::Write, SocketError::None);
        }
        if (w.readArmed && !w.closeReported && (revents & (POLLIN | POLLERR | POLLHUP | POLLRDHUP)) != 0) {
            std::uint8_t probe = 0;
            const ssize_t n = ::recv(w.fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
            if (n > 0 || (n == 0 && !w.stream)) {
                w.readArmed = false;
                Post(w, SocketEvent::Read, SocketError::None);
            } else if (n == 0) {
                w.closeReported = true;
                Post(w, SocketEvent::Close, SocketError::None);
            } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                w.closeReported = true;
                Post(w, SocketEvent::Close, LastError());
            }
        }
    }

    MessageQueue& queue;
    std::vector<Watch> watches;  // in the order the sockets were made
    std::shared_ptr<LookupChannel> channel;
    std::map<std::uint32_t, HostLookupDone> lookups;
    std::uint32_t nextTask = 1;
    bool attached = false;
};

AsyncSockets::AsyncSockets(MessageQueue& queue) : state_(std::make_unique<State>(queue)) {}

AsyncSockets::~AsyncSockets() {
    Detach();
    while (!state_->watches.empty()) Close(state_->watches.front().fd);
}

bool AsyncSockets::Valid() const {
    return state_->channel->wakeFd >= 0;
}

void AsyncSockets::Attach() {
    state_->queue.SetPollHook([this] { Poll(); });
    state_->queue.SetWaitDescriptorSource([this](std::vector<WaitDescriptor>& out) { WaitDescriptors(out); });
    state_->attached = true;
}

void AsyncSockets::Detach() {
    if (!state_->attached) return;
    state_->queue.SetPollHook({});
    state_->queue.SetWaitDescriptorSource({});
    state_->attached = false;
}

int AsyncSockets::Create(int family, int type, int protocol, SocketError& error) {
    const int fd = ::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        error = LastError();
        return -1;
    }
    State::Watch w;
    w.fd = fd;
    w.stream = type == SOCK_STREAM;
    state_->watches.push_back(w);
    error = SocketError::None;
    return fd;
}

SocketError AsyncSockets::Select(int socket, WindowHandle window, std::uint32_t message,
                                 std::uint32_t events) {
    State::Watch* w = state_->Find(socket);
    if (w == nullptr) return SocketError::NotSocket;
    w->window = window;
    w->message = message;
    w->events = events;
    // A new selection reports the state as it stands: a connected socket can write.
    w->readArmed = true;
    if (w->connected) w->writeArmed = true;
    return SocketError::None;
}

SocketError AsyncSockets::Connect(int socket, const SocketAddress& to) {
    State::Watch* w = state_->Find(socket);
    if (w == nullptr) return SocketError::NotSocket;
    const sockaddr_in addr = ToSystem(to);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
        // Done at once (loopback may be): still reported through the Connect event.
        w->connecting = true;
        return SocketError::None;
    }
    const SocketError error = LastError();
    if (error == SocketError::WouldBlock) w->connecting = true;
    return error;
}

long AsyncSockets::Send(int socket, std::span<const std::uint8_t> data, int flags, const SocketAddress* to,
                        SocketError& error) {
    State::Watch* w = state_->Find(socket);
    if (w == nullptr) {
        error = SocketError::NotSocket;
        return -1;
    }
    ssize_t n;
    if (to != nullptr && !w->stream) {
        const sockaddr_in addr = ToSystem(*to);
        n = ::sendto(socket, data.data(), data.size(), flags | MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } else {
        n = ::send(socket, data.data(), data.size(), flags | MSG_NOSIGNAL);
    }
    if (n < 0) {
        error = LastError();
        if (error == SocketError::WouldBlock) w->writeArmed = true;
        return -1;
    }
    error = SocketError::None;
    return static_cast<long>(n);
}

long AsyncSockets::Receive(int socket, std::span<std::uint8_t> data, int flags, SocketAddress* from,
                           SocketError& error) {
    State::Watch* w = state_->Find(socket);
    if (w == nullptr) {
        error = SocketError::NotSocket;
        return -1;
    }
    w->readArmed = true;
    ssize_t n;
    if (from != nullptr && !w->stream) {
        sockaddr_in addr{};
        socklen_t len = sizeof addr;
        n = ::recvfrom(socket, data.data(), data.size(), flags, reinterpret_cast<sockaddr*>(&addr), &len);
        if (n >= 0) *from = FromSystem(addr);
    } else {
        n = ::recv(socket, data.data(), data.size(), flags);
    }
    if (n < 0) {
        error = LastError();
        return -1;
    }
    error = SocketError::None;
    return static_cast<long>(n);
}

SocketError AsyncSockets::SetOption(int socket, int level, int option, std::span<const std::uint8_t> value) {
    if (state_->Find(socket) == nullptr) return SocketError::NotSocket;
    struct Option {
        int level, option, systemLevel, systemOption;
    };
    static constexpr Option kOptions[] = {
        {0xFFFF, 0x0008, SOL_SOCKET, SO_KEEPALIVE}, {0xFFFF, 0x0004, SOL_SOCKET, SO_REUSEADDR},
        {0xFFFF, 0x1001, SOL_SOCKET, SO_SNDBUF},    {0xFFFF, 0x1002, SOL_SOCKET, SO_RCVBUF},
        {6, 0x0001, IPPROTO_TCP, TCP_NODELAY},
    };
    const auto it = std::find_if(std::begin(kOptions), std::end(kOptions),
                                 [&](const Option& o) { return o.level == level && o.option == option; });
    if (it == std::end(kOptions)) return SocketError::NoProtocolOption;
    if (::setsockopt(socket, it->systemLevel, it->systemOption, value.data(),
                     static_cast<socklen_t>(value.size())) != 0)
        return LastError();
    return SocketError::None;
}

SocketError AsyncSockets::LocalName(int socket, SocketAddress& out) {
    if (state_->Find(socket) == nullptr) return SocketError::NotSocket;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return LastError();
    out = FromSystem(addr);
    return SocketError::None;
}

SocketError AsyncSockets::Close(int socket) {
    State::Watch* w = state_->Find(socket);
    if (w == nullptr) return SocketError::NotSocket;
    const State::Watch gone = *w;
    std::erase_if(state_->watches, [socket](const State::Watch& x) { return x.fd == socket; });
    const int rc = ::close(socket);
    if (gone.window != nullptr) state_->queue.RemovePosted(gone.window, gone.message, gone.message);
    return rc == 0 ? SocketError::None : LastError();
}

std::uint32_t AsyncSockets::StartLookup(const std::string& name, HostLookupDone done) {
    if (!Valid()) return 0;
    std::uint32_t task = state_->nextTask++;
    if (task == 0) task = state_->nextTask++;
    state_->lookups[task] = std::move(done);
    try {
        std::thread(Resolve, state_->channel, task, name).detach();
    } catch (const std::system_error&) {
        state_->lookups.erase(task);
        return 0;
    }
    return task;
}

bool AsyncSockets::CancelLookup(std::uint32_t task) {
    return state_->lookups.erase(task) != 0;
}

void AsyncSockets::Poll() {
    LookupChannel& channel = *state_->channel;
    if (channel.wakeFd >= 0) {
        std::uint64_t count = 0;
        if (::read(channel.wakeFd, &count, sizeof count) == static_cast<ssize_t>(sizeof count)) {
            std::vector<std::pair<std::uint32_t, HostLookupResult>> done;
            {
                std::lock_guard lock(channel.mutex);
                done.swap(channel.done);
            }
            for (auto& [task, result] : done) {
                const auto it = state_->lookups.find(task);
                if (it == state_->lookups.end()) continue;  // cancelled
                HostLookupDone report = std::move(it->second);
                state_->lookups.erase(it);
                if (report) report(result);
            }
        }
    }

    std::vector<pollfd> fds;
    fds.reserve(state_->watches.size());
    for (const State::Watch& w : state_->watches) {
        bool read = false, write = false;
        State::Interest(w, read, write);
        if (!read && !write) continue;
        fds.push_back(
            pollfd{w.fd, static_cast<short>((read ? POLLIN | POLLRDHUP : 0) | (write ? POLLOUT : 0)), 0});
    }
    if (fds.empty() || ::poll(fds.data(), fds.size(), 0) <= 0) return;
    for (const pollfd& p : fds) {
        if (p.revents == 0) continue;
        if (State::Watch* w = state_->Find(p.fd)) state_->Serve(*w, p.revents);
    }
}

void AsyncSockets::WaitDescriptors(std::vector<WaitDescriptor>& out) const {
    if (state_->channel->wakeFd >= 0) out.push_back(WaitDescriptor{state_->channel->wakeFd, true, false});
    for (const State::Watch& w : state_->watches) {
        bool read = false, write = false;
        State::Interest(w, read, write);
        if (read || write) out.push_back(WaitDescriptor{w.fd, read, write});
    }
}

void AsyncSockets::Wait(std::uint32_t maxMs) const {
    std::vector<WaitDescriptor> descriptors;
    WaitDescriptors(descriptors);
    WaitForDescriptors(descriptors, maxMs);
}

void WaitForDescriptors(std::span<const WaitDescriptor> descriptors, std::uint32_t maxMs) {
    std::vector<pollfd> fds;
    fds.reserve(descriptors.size());
    for (const WaitDescriptor& d : descriptors) {
        if (d.fd < 0 || (!d.read && !d.write)) continue;
        fds.push_back(
            pollfd{d.fd, static_cast<short>((d.read ? POLLIN | POLLRDHUP : 0) | (d.write ? POLLOUT : 0)), 0});
    }
    const int timeout = maxMs > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(maxMs);
    ::poll(fds.data(), fds.size(), timeout);
}

}  // namespace platform
