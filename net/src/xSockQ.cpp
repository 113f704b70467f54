#include "net/xSockQ.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "divir/LifeToken.h"
#include "divir/xDEQList.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "framework/AppTime.h"
#include "net/HttpWire.h"
#include "net/xSock.h"

using platform::Num;
using platform::SocketError;
using platform::SocketEvent;

namespace {

constexpr std::size_t kReceiveBufferSize = 16384;
constexpr std::size_t kLookupBufferSize = 1024;
constexpr std::size_t kMaxHost = 99;
constexpr std::size_t kMaxAgent = 99;
constexpr std::size_t kMaxServicePath = 255;
constexpr std::int16_t kRetryLimit = 5;
constexpr std::uint32_t kPeerCloseGraceMs = 10000;
constexpr int kMaxFailedConnects = 32;
constexpr std::int32_t kNoDeadline = 0x7FFFFFFF;
constexpr std::uint16_t kDefaultPort = 80;
constexpr std::uint16_t kDefaultProxyPort = 8080;
constexpr std::intptr_t kLookupUser = 2;
constexpr std::uint32_t kServiceEvents =
    Num(SocketEvent::Read) | Num(SocketEvent::Write) | Num(SocketEvent::Connect) | Num(SocketEvent::Close);

enum class Lookup { NotResolved, Pending, Resolved, Failed };
enum class Connection { Closed, Created, Connecting, Connected, PeerClosed, GivenUp };
enum class Writing { Unknown, WouldBlock, Writable, Failed };

struct Request {
    std::uint32_t id = 0;
    std::int16_t service = 0;      // the service serving it, 0 for none
    std::int16_t lastService = 0;  // the service of the last failed attempt
    std::int16_t retries = 0;
    std::int16_t retryLimit = kRetryLimit;
    xSockQCallback callback = nullptr;
    std::intptr_t user = 0;
    bool hasHeader = false;
    bool headSeen = false;
    std::string path;
    std::string header;
    std::string body;
    std::int16_t kind = 0;  // 0 GET, 1 POST
    xSockQStatus status;
};

struct Service {
    Lookup lookup = Lookup::NotResolved;
    Connection connection = Connection::Closed;
    Writing writing = Writing::Unknown;
    bool readArrived = false;
    std::string host;
    std::string agent;
    std::string servicePath;
    std::uint32_t id = 0;
    std::int16_t socket = 0;  // xSock handle, 0 for none
    xSockAddr address;
    std::uint16_t port = 0;  // from the server text, network byte order
    std::int16_t lookupHandle = 0;
    std::array<char, kLookupBufferSize> lookupBuffer{};
    int failedConnects = 0;
    std::int16_t request = 0;  // request handle served, 0 for none
    std::vector<char> buffer = std::vector<char>(kReceiveBufferSize);
    std::size_t fill = 0;
    std::uint32_t closedAt = 0;
    std::uint32_t lastNotification = 0;
    std::string unsent;    // request text the socket has not taken yet
    bool discard = false;  // the peer sent more than the response: close after it
};

struct Queue {
    std::int16_t handle = 0;
    xDEQList requests;
    std::vector<Request> records;  // record of request handle h is records[h - 1]
    xDEQList services;
    std::map<std::int16_t, std::unique_ptr<Service>> serviceObjects;
    std::int32_t active = 0;
    // Ends when the queue is destroyed, so a walk notices a callback that did it.
    LifeToken life;

    Request& Record(std::int16_t h) { return records[static_cast<std::size_t>(h - 1)]; }
    bool InUse(xDEQList& list, std::int16_t h) {
        const xDEQItem* item = list.xlat(h);
        return item != nullptr && item->inUse;
    }
    Service* ServiceAt(std::int16_t h) {
        if (h == 0 || !InUse(services, h)) return nullptr;
        const auto it = serviceObjects.find(h);
        return it == serviceObjects.end() ? nullptr : it->second.get();
    }
};

struct QueueModule {
    std::int16_t startups = 0;
    std::unique_ptr<xDEQList> queues;
    std::map<std::int16_t, std::unique_ptr<Queue>> queueObjects;
    std::string proxyHost;
    std::uint16_t proxyPort = 0;  // network byte order; 0 = no proxy
    std::uint32_t proxyAddress = 0;
    bool proxyAddressKnown = false;
    std::int32_t notificationTimeout = 0;
    std::int32_t deadline = kNoDeadline;
    std::int32_t releasedCount = 0;
};

QueueModule gQ;

std::int16_t HighHandle(std::uint32_t id) {
    return static_cast<std::int16_t>(id >> 16);
}
std::int16_t LowHandle(std::uint32_t id) {
    return static_cast<std::int16_t>(id & 0xFFFF);
}
std::uint32_t MakeId(std::int16_t queue, std::int16_t item) {
    return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(queue)) << 16) |
           static_cast<std::uint16_t>(item);
}

Queue* QueueOf(std::int16_t handle) {
    if (!gQ.queues) return nullptr;
    const xDEQItem* item = gQ.queues->xlat(handle);
    if (item == nullptr || !item->inUse) return nullptr;
    const auto it = gQ.queueObjects.find(handle);
    return it == gQ.queueObjects.end() ? nullptr : it->second.get();
}

Request* RequestOf(std::uint32_t id, Queue** queueOut = nullptr) {
    Queue* q = QueueOf(HighHandle(id));
    if (q == nullptr) return nullptr;
    const std::int16_t h = LowHandle(id);
    if (!q->InUse(q->requests, h)) return nullptr;
    Request& r = q->Record(h);
    if (r.id != id) return nullptr;
    if (queueOut != nullptr) *queueOut = q;
    return &r;
}

Service* ServiceOf(std::uint32_t id, Queue** queueOut = nullptr) {
    Queue* q = QueueOf(HighHandle(id));
    if (q == nullptr) return nullptr;
    Service* s = q->ServiceAt(LowHandle(id));
    if (s == nullptr || s->id != id) return nullptr;
    if (queueOut != nullptr) *queueOut = q;
    return s;
}

// "a.b.c.d" with each part 0-255, in network byte order.
bool ParseDotted(std::string_view text, std::uint32_t& address) {
    std::uint8_t bytes[4];
    for (int part = 0; part < 4; ++part) {
        if (text.empty()) return false;
        unsigned value = 0;
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255) return false;
        bytes[part] = static_cast<std::uint8_t>(value);
        text.remove_prefix(digits);
        if (part < 3) {
            if (text.empty() || text.front() != '.') return false;
            text.remove_prefix(1);
        }
    }
    if (!text.empty()) return false;
    std::memcpy(&address, bytes, 4);
    return true;
}

// Calls the request's callback. True when the caller may go on with the request:
// its queue lives and the callback did not release it.
bool Notify(Request& r, std::int16_t event, const char* data, std::int32_t count) {
    if (r.callback == nullptr) return true;
    Queue* q = QueueOf(HighHandle(r.id));
    const LifeWatch alive = q != nullptr ? q->life.Watch() : LifeWatch();
    const std::uint32_t id = r.id;
    r.callback(id, event, r.user, &r.status, data, count);
    if (!alive.IsAlive()) return false;
    return RequestOf(id) == &r && r.status.state != kSockQReleased;
}

void CloseConnection(Service& s) {
    if (s.socket != 0) {
        xSockSelect(s.socket, nullptr, 0, 0, 0);
        xSockClose(s.socket);
        s.socket = 0;
    }
    if (s.connection != Connection::GivenUp) s.connection = Connection::Closed;
    s.writing = Writing::Unknown;
    s.readArrived = false;
    s.fill = 0;
    s.unsent.clear();
    s.discard = false;
}

void Detach(Queue& q, Request& r) {
    if (Service* s = q.ServiceAt(r.service)) {
        if (s->request == LowHandle(r.id)) s->request = 0;
    }
    r.service = 0;
}

void Fail(Queue& q, Request& r, std::int16_t code, bool mayRetry) {
    r.lastService = r.service;
    Detach(q, r);
    if (mayRetry) {
        r.status.state = kSockQRetrying;
        r.status.error = code;
    } else {
        r.status.state = kSockQFailed;
        r.status.error = kSockQErrRetryLimit;
    }
}

// A socket error: at most six attempts.
void FailOnSocketError(Queue& q, Request& r, std::int16_t code) {
    const bool mayRetry = r.retries < r.retryLimit;
    ++r.retries;
    Fail(q, r, code, mayRetry);
}

// A bad or missing response: at most five attempts.
void FailOnResponse(Queue& q, Request& r) {
    ++r.retries;
    Fail(q, r, kSockQErrResponse, r.retries < r.retryLimit);
}

Request* Serving(Queue& q, Service& s) {
    if (s.request == 0 || !q.InUse(q.requests, s.request)) return nullptr;
    Request& r = q.Record(s.request);
    return r.service == LowHandle(s.id) ? &r : nullptr;
}

void Flush(Queue& q, Service& s) {
    while (!s.unsent.empty() && s.socket != 0) {
        const std::int32_t n =
            xSockSend(s.socket, s.unsent.data(), static_cast<std::int32_t>(s.unsent.size()), 0, nullptr, 0);
        if (n < 0) {
            if (xSockGetError() == Num(SocketError::WouldBlock)) {
                s.writing = Writing::WouldBlock;
                return;
            }
            s.writing = Writing::Failed;
            if (Request* r = Serving(q, s)) FailOnSocketError(q, *r, kSockQErrWrite);
            CloseConnection(s);
            return;
        }
        s.unsent.erase(0, static_cast<std::size_t>(n));
    }
}

void SendRequestText(Queue& q, Service& s, const Request& r) {
    HttpRequestText text;
    text.post = r.kind == 1;
    text.path = r.path;
    if (r.hasHeader) text.headerBlock = r.header;
    text.body = r.body;
    text.agent = s.agent;
    text.host = s.host;
    text.servicePath = s.servicePath;
    text.proxy = gQ.proxyPort != 0;
    s.unsent = BuildHttpRequestText(text);
    Flush(q, s);
}

// Passes a body piece on, never past the length the head named. False when the
// request is to be left alone (released, or its queue gone).
bool Deliver(Queue& q, Service& s, Request& r, const char* data, std::size_t count) {
    if (r.status.expected >= 0) {
        const auto room = static_cast<std::size_t>(r.status.expected - r.status.received);
        if (count > room) {
            count = room;
            s.discard = true;
        }
    }
    r.status.received += static_cast<std::int32_t>(count);
    if (!Notify(r, kSockQEventData, data, static_cast<std::int32_t>(count))) return false;
    if (r.status.state == kSockQReceiving && r.status.expected >= 0 && r.status.received >= r.status.expected)
        r.status.state = kSockQComplete;
    (void)q;
    return true;
}

// One receive for the serving request; raises 21 for a response that cannot be read.
void Read(Queue& q, Service& s, Request& r) {
    const std::int32_t n =
        xSockRecv(s.socket, s.buffer.data() + s.fill, static_cast<std::int32_t>(s.buffer.size() - s.fill), 0,
                  nullptr, nullptr);
    if (n < 0) {
        if (xSockGetError() == Num(SocketError::WouldBlock)) return;
        FailOnSocketError(q, r, kSockQErrRead);
        CloseConnection(s);
        return;
    }
    if (n == 0) return;  // the peer's close is reported on its own
    if (r.headSeen) {
        Deliver(q, s, r, s.buffer.data(), static_cast<std::size_t>(n));
        return;
    }
    s.fill += static_cast<std::size_t>(n);
    const HttpResponseHead head = ParseHttpResponseHead(std::string_view(s.buffer.data(), s.fill));
    if (head.outcome == HttpResponseHead::Outcome::Incomplete && s.fill < s.buffer.size()) return;
    if (head.outcome != HttpResponseHead::Outcome::Complete) {
        s.fill = 0;
        xThrow(kErrBadHttpResponse);
        return;
    }
    const std::size_t filled = s.fill;
    s.fill = 0;
    r.headSeen = true;
    r.status.expected = head.contentLength;
    Deliver(q, s, r, s.buffer.data() + head.bodyOffset, filled - head.bodyOffset);
}

void RequestStep(Queue& q, std::int16_t h);

// The receiving step: a read under an error frame.
void ReceiveStep(Queue& q, Request& r) {
    Service* s = q.ServiceAt(r.service);
    if (s == nullptr || s->socket == 0) return;
    const std::uint32_t serviceId = s->id;
    const std::uint32_t requestId = r.id;
    const std::int16_t code = xTry([&] { Read(q, *s, r); });
    if (code == kErrBadHttpResponse) {
        Request* again = RequestOf(requestId);
        if (again == nullptr || again->status.state != kSockQReceiving) return;
        FailOnResponse(q, *again);
        // What follows a garbled head cannot be told from the next response.
        if (Service* same = ServiceOf(serviceId)) CloseConnection(*same);
    } else if (code != 0) {
        xThrow(code);
    }
}

void RequestStep(Queue& q, std::int16_t h) {
    Request& r = q.Record(h);
    switch (r.status.state) {
        case kSockQStarting: {
            r.status.expected = -1;
            r.status.received = 0;
            if (!Notify(r, kSockQEventStarted, nullptr, 0)) return;
            Service* s = q.ServiceAt(r.service);
            if (s == nullptr) {
                Fail(q, r, kSockQErrNoService, false);
                return;
            }
            r.status.state = kSockQReceiving;
            ++q.active;
            SendRequestText(q, *s, r);
            break;
        }
        case kSockQReceiving:
            ReceiveStep(q, r);
            break;
        case kSockQComplete: {
            Service* s = q.ServiceAt(r.service);
            Detach(q, r);
            if (s != nullptr && s->discard) CloseConnection(*s);
            r.status.state = kSockQFinished;
            --q.active;
            Notify(r, kSockQEventComplete, nullptr, 0);
            break;
        }
        case kSockQRetrying:
            --q.active;
            if (!Notify(r, kSockQEventFailure, nullptr, 0)) return;
            r.status.state = kSockQWaiting;
            r.headSeen = false;
            break;
        case kSockQFailed:
            --q.active;
            if (!Notify(r, kSockQEventFailure, nullptr, 0)) return;
            r.status.state = kSockQFinished;
            break;
        default:
            break;
    }
}

void FreeRequest(Queue& q, std::int16_t h) {
    Request& r = q.Record(h);
    Detach(q, r);
    r.path.clear();
    r.header.clear();
    r.body.clear();
    r.path.shrink_to_fit();
    r.header.shrink_to_fit();
    r.body.shrink_to_fit();
    r.callback = nullptr;
    r.status.state = kSockQFinished;
    q.requests.ReleaseCached(h);
    if (gQ.releasedCount > 0) --gQ.releasedCount;
}

int AliveServices(Queue& q) {
    int alive = 0;
    for (std::int16_t h = q.services.GetInUseTail(); h != 0; h = q.services.GetPrev(h)) {
        const Service* s = q.ServiceAt(h);
        if (s != nullptr && s->lookup != Lookup::Failed && s->connection != Connection::GivenUp) ++alive;
    }
    return alive;
}

// The first free, ready service in the order they were added; 0 for none.
std::int16_t PickService(Queue& q, const Request& r, int alive) {
    for (std::int16_t h = q.services.GetInUseTail(); h != 0; h = q.services.GetPrev(h)) {
        const Service* s = q.ServiceAt(h);
        if (s == nullptr || s->request != 0 || s->lookup != Lookup::Resolved ||
            s->connection != Connection::Connected || s->writing != Writing::Writable || !s->unsent.empty())
            continue;
        if (h == r.lastService && alive >= 2) continue;
        return h;
    }
    return 0;
}

void SocketEventProc(std::intptr_t user, std::uint32_t event, std::intptr_t context, std::uint32_t error);

void ConnectFailed(Queue& q, Service& s) {
    if (Request* r = Serving(q, s)) FailOnSocketError(q, *r, kSockQErrConnect);
    CloseConnection(s);
    if (++s.failedConnects >= kMaxFailedConnects) s.connection = Connection::GivenUp;
}

void ServiceStep(Queue& q, Service& s, bool waiting) {
    if (s.lookup == Lookup::NotResolved) {
        const bool proxy = gQ.proxyPort != 0;
        std::uint32_t address = 0;
        if (proxy && gQ.proxyAddressKnown) {
            s.address.address = gQ.proxyAddress;
            s.lookup = Lookup::Resolved;
        } else if (ParseDotted(proxy ? gQ.proxyHost : s.host, address)) {
            s.address.address = address;
            s.lookup = Lookup::Resolved;
            if (proxy) {
                gQ.proxyAddress = address;
                gQ.proxyAddressKnown = true;
            }
        } else {
            s.lookup = Lookup::Pending;
            s.lookupHandle =
                xSockGetHostByName(proxy ? gQ.proxyHost.c_str() : s.host.c_str(), s.lookupBuffer.data(),
                                   static_cast<int>(s.lookupBuffer.size()), &SocketEventProc, kLookupUser,
                                   static_cast<std::intptr_t>(s.id));
            if (s.lookupHandle == 0) {
                s.lookup = Lookup::Failed;
                xThrow(kErrMemory);
                return;
            }
        }
    }
    if (s.lookup != Lookup::Resolved) return;

    switch (s.connection) {
        case Connection::Closed: {
            if (!waiting) return;
            const std::int16_t socket = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
            if (socket < 0) {
                ConnectFailed(q, s);
                return;
            }
            s.socket = socket;
            xSockSelect(socket, &SocketEventProc, kServiceEvents, 0, static_cast<std::intptr_t>(s.id));
            s.connection = Connection::Created;
            [[fallthrough]];
        }
        case Connection::Created: {
            if (xSockConnect(s.socket, &s.address, sizeof s.address) == 0 ||
                xSockGetError() == Num(SocketError::WouldBlock)) {
                s.connection = Connection::Connecting;
            } else {
                ConnectFailed(q, s);
            }
            return;
        }
        case Connection::PeerClosed: {
            if (Request* r = Serving(q, s); r != nullptr && r->status.state == kSockQReceiving) {
                if (GetAppTime() - s.closedAt < kPeerCloseGraceMs) return;
                FailOnResponse(q, *r);
            }
            CloseConnection(s);
            return;
        }
        default:
            return;
    }
}

void QueueStep(Queue& q) {
    const LifeWatch alive = q.life.Watch();
    bool noFreeService = false;
    std::int16_t h = q.requests.GetInUseTail();
    while (h != 0) {
        Request& r = q.Record(h);
        switch (r.status.state) {
            case kSockQWaiting: {
                if (noFreeService) break;
                const int aliveServices = AliveServices(q);
                if (aliveServices == 0) {
                    r.status.state = kSockQFailed;
                    r.status.error = kSockQErrNoService;
                    ++q.active;  // the failure step counts it out
                    RequestStep(q, h);
                    break;
                }
                const std::int16_t pick = PickService(q, r, aliveServices);
                if (pick == 0) {
                    noFreeService = true;
                    break;
                }
                q.ServiceAt(pick)->request = h;
                r.service = pick;
                r.status.state = kSockQStarting;
                RequestStep(q, h);
                break;
            }
            case kSockQStarting:
            case kSockQComplete:
            case kSockQRetrying:
            case kSockQFailed:
                RequestStep(q, h);
                break;
            case kSockQReleased: {
                const std::int16_t next = q.requests.GetPrev(h);
                FreeRequest(q, h);
                h = next;
                continue;
            }
            default:
                break;
        }
        if (!alive.IsAlive()) return;
        h = q.InUse(q.requests, h) ? q.requests.GetPrev(h) : 0;
    }

    bool waiting = false;
    for (std::int16_t r = q.requests.GetInUseTail(); r != 0; r = q.requests.GetPrev(r)) {
        const std::int32_t state = q.Record(r).status.state;
        if (state == kSockQWaiting || state == kSockQRetrying) waiting = true;
    }
    for (std::int16_t sh = q.services.GetInUseTail(); sh != 0;) {
        const std::int16_t next = q.services.GetPrev(sh);
        if (Service* s = q.ServiceAt(sh)) ServiceStep(q, *s, waiting);
        if (!alive.IsAlive()) return;
        sh = next;
    }
}

void SocketEventProc(std::intptr_t user, std::uint32_t event, std::intptr_t context, std::uint32_t error) {
    Queue* qp = nullptr;
    Service* s = ServiceOf(static_cast<std::uint32_t>(context), &qp);
    if (s == nullptr) return;
    Queue& q = *qp;
    const std::uint32_t now = GetAppTime();
    if (gQ.deadline != kNoDeadline) gQ.deadline = static_cast<std::int32_t>(now + gQ.notificationTimeout);

    if (user != 0) {
        s->lookupHandle = 0;
        std::uint32_t address = 0;
        if (error == 0 && xSockHostEntryAddress(s->lookupBuffer.data(), static_cast<int>(event), address)) {
            s->address.address = address;
            s->lookup = Lookup::Resolved;
        } else {
            s->lookup = Lookup::Failed;
        }
        return;
    }

    Request* r = Serving(q, *s);
    if (error != 0) {
        switch (event) {
            case Num(SocketEvent::Read):
                if (r != nullptr) FailOnSocketError(q, *r, kSockQErrRead);
                CloseConnection(*s);
                break;
            case Num(SocketEvent::Write):
                if (r != nullptr) FailOnSocketError(q, *r, kSockQErrWrite);
                CloseConnection(*s);
                break;
            case Num(SocketEvent::Close):
                // A reset ends this connection only: the server may be asked again.
                if (r != nullptr) FailOnSocketError(q, *r, kSockQErrClose);
                CloseConnection(*s);
                break;
            case Num(SocketEvent::Connect):
                ConnectFailed(q, *s);
                break;
            default:
                break;
        }
        return;
    }
    switch (event) {
        case Num(SocketEvent::Read):
            s->readArrived = true;
            s->lastNotification = now;
            if (r != nullptr && r->status.state == kSockQReceiving) ReceiveStep(q, *r);
            break;
        case Num(SocketEvent::Write):
            s->writing = Writing::Writable;
            Flush(q, *s);
            break;
        case Num(SocketEvent::Connect):
            s->connection = Connection::Connected;
            s->failedConnects = 0;
            break;
        case Num(SocketEvent::Close):
            s->connection = Connection::PeerClosed;
            s->closedAt = now;
            if (r != nullptr && r->status.state == kSockQReceiving) {
                if (!r->headSeen)
                    FailOnResponse(q, *r);
                else if (r->status.expected < 0)
                    r->status.state = kSockQComplete;
            }
            break;
        default:
            break;
    }
}

void DestroyService(Queue& q, std::int16_t h) {
    Service* s = q.ServiceAt(h);
    if (s == nullptr) return;
    if (s->lookupHandle != 0) xSockCancelAsyncRequest(s->lookupHandle);
    if (Request* r = Serving(q, *s)) {
        Detach(q, *r);
        const std::int32_t state = r->status.state;
        if (state == kSockQStarting || state == kSockQReceiving || state == kSockQComplete) {
            r->status.state = kSockQFailed;
            r->status.error = kSockQErrNoService;
        }
    }
    CloseConnection(*s);
    q.services.ReleaseRef(h, 1);
    q.serviceObjects.erase(h);
}

void DestroyQueue(std::int16_t handle) {
    Queue* q = QueueOf(handle);
    if (q == nullptr) return;
    while (const std::int16_t h = q->requests.GetInUseTail()) FreeRequest(*q, h);
    while (const std::int16_t h = q->services.GetInUseTail()) DestroyService(*q, h);
    gQ.queues->ReleaseRef(handle, 1);
    gQ.queueObjects.erase(handle);
}

std::uint32_t NewRequest(std::int16_t queue, std::int16_t kind, const char* path, const char* headerBlock,
                         const char* body, xSockQCallback callback, std::intptr_t user) {
    Queue* q = QueueOf(queue);
    if (q == nullptr) return 0;
    if (q->requests.IsFull()) {
        xThrow(kErrMemory);
        return 0;
    }
    const std::int16_t h = q->requests.ReserveCached(0);
    if (h == 0) return 0;
    Request& r = q->Record(h);
    r = Request{};
    r.id = MakeId(queue, h);
    r.kind = kind;
    r.callback = callback;
    r.user = user;
    r.path = path != nullptr ? path : "";
    r.hasHeader = headerBlock != nullptr && *headerBlock != '\0';
    r.header = r.hasHeader ? headerBlock : "";
    r.body = body != nullptr ? body : "";
    return r.id;
}

}  // namespace

void xSockQStartup(std::int16_t queueGrow, const char* proxyUrl, std::int32_t notificationTimeoutMs,
                   std::int16_t /*unused*/) {
    if (gQ.startups == 0) {
        gQ = QueueModule{};
        if (proxyUrl != nullptr && *proxyUrl != '\0') {
            std::string host;
            std::uint16_t port = 0;
            xSockURLSplit((std::string("//") + proxyUrl).c_str(), &host, nullptr, &port);
            if (host.size() > kMaxHost) host.resize(kMaxHost);
            gQ.proxyHost = host;
            gQ.proxyPort = port != 0 ? port : xSockHostToNet16(kDefaultProxyPort);
        }
        gQ.notificationTimeout = notificationTimeoutMs;
        gQ.deadline = kNoDeadline;
        const std::int16_t code = xTry([&] {
            gQ.queues = std::make_unique<xDEQList>();
            gQ.queues->IDEQList(queueGrow >= 1 ? queueGrow : 1);
        });
        if (code != 0) {
            gQ.queues.reset();
            xThrow(code);
            return;
        }
    }
    ++gQ.startups;
}

void xSockQCleanup() {
    if (gQ.startups == 0) return;
    if (--gQ.startups != 0) return;
    while (gQ.queues && gQ.queues->GetInUseHead() != 0) DestroyQueue(gQ.queues->GetInUseHead());
    gQ.queues.reset();
    gQ.queueObjects.clear();
}

std::int16_t xSockQCreate(std::int16_t requestGrow, std::int16_t serviceGrow) {
    if (!gQ.queues) {
        xThrow(kErrMemory);
        return 0;
    }
    auto queue = std::make_unique<Queue>();
    std::int16_t handle = 0;
    const std::int16_t code = xTry([&] {
        const std::int16_t records = requestGrow >= 1 ? requestGrow : 1;
        queue->requests.IDEQList(records);
        queue->records.resize(static_cast<std::size_t>(records));
        queue->services.IDEQList(serviceGrow >= 1 ? serviceGrow : 1);
        handle = gQ.queues->ReserveRef(0, 0, 1);
    });
    if (code != 0 || handle == 0) {
        xThrow(code != 0 ? code : kErrMemory);
        return 0;
    }
    queue->handle = handle;
    gQ.queueObjects[handle] = std::move(queue);
    return handle;
}

void xSockQDestroy(std::int16_t queue) {
    DestroyQueue(queue);
}

std::uint32_t xSockQServiceAdd(std::int16_t queue, const char* server, const char* userAgent) {
    Queue* q = QueueOf(queue);
    if (q == nullptr || server == nullptr) return 0;
    auto s = std::make_unique<Service>();
    std::uint16_t port = 0;
    xSockURLSplit((std::string("//") + server).c_str(), &s->host, &s->servicePath, &port);
    s->agent = userAgent != nullptr ? userAgent : "";
    if (s->host.size() > kMaxHost || s->servicePath.size() > kMaxServicePath || s->agent.size() > kMaxAgent)
        return 0;
    s->port = port != 0 ? port : xSockHostToNet16(kDefaultPort);
    s->address.family = kSockFamilyInet;
    s->address.port = gQ.proxyPort != 0 ? gQ.proxyPort : s->port;
    std::int16_t h = 0;
    const std::int16_t code = xTry([&] { h = q->services.ReserveRef(0, 0, 1); });
    if (code != 0 || h == 0) return 0;
    s->id = MakeId(queue, h);
    const std::uint32_t id = s->id;
    q->serviceObjects[h] = std::move(s);
    return id;
}

void xSockQServiceRemove(std::uint32_t serviceId) {
    Queue* q = nullptr;
    if (ServiceOf(serviceId, &q) == nullptr) return;
    DestroyService(*q, LowHandle(serviceId));
}

std::uint32_t xSockQHTTPGet(std::int16_t queue, const char* path, const char* headerBlock, const char* body,
                            xSockQCallback callback, std::intptr_t user) {
    return NewRequest(queue, 0, path, headerBlock, body, callback, user);
}

std::uint32_t xSockQHTTPPost(std::int16_t queue, const char* path, const char* headerBlock, const char* body,
                             xSockQCallback callback, std::intptr_t user) {
    return NewRequest(queue, 1, path, headerBlock, body, callback, user);
}

void xSockQRelease(std::uint32_t requestId) {
    Queue* q = nullptr;
    Request* r = RequestOf(requestId, &q);
    if (r == nullptr || r->status.state == kSockQReleased) return;
    const std::int32_t state = r->status.state;
    if (state != kSockQFinished && state != kSockQFailed) {
        if (!Notify(*r, kSockQEventReleased, nullptr, 0)) return;
    }
    if (r->status.state == kSockQStarting || r->status.state == kSockQReceiving ||
        r->status.state == kSockQComplete)
        --q->active;
    // The service is free again; a response under way would reach the next request.
    Service* s = q->ServiceAt(r->service);
    const bool midResponse = r->status.state == kSockQReceiving;
    Detach(*q, *r);
    if (s != nullptr && midResponse) CloseConnection(*s);
    r->status.state = kSockQReleased;
    ++gQ.releasedCount;
}

void xSockQGetStatus(std::uint32_t requestId, xSockQStatus* out) {
    const Request* r = RequestOf(requestId);
    if (r != nullptr && out != nullptr) *out = r->status;
}

std::int16_t xSockQIdle() {
    if (!gQ.queues) return 0;
    for (std::int16_t h = gQ.queues->GetInUseHead(); h != 0;) {
        const std::int16_t next = gQ.queues->GetNext(h);
        if (Queue* q = QueueOf(h)) QueueStep(*q);
        // A callback may have destroyed queues: go on only from one still listed.
        if (QueueOf(next) == nullptr) break;
        h = next;
    }
    if (gQ.deadline != kNoDeadline && static_cast<std::int32_t>(GetAppTime() - gQ.deadline) > 0)
        xThrow(kSockQErrDeadline);
    return 0;
}

std::int32_t xSockQTriggerNotificationTimeout(std::int32_t ms) {
    gQ.deadline = ms == kNoDeadline ? kNoDeadline : static_cast<std::int32_t>(GetAppTime() + ms);
    return gQ.deadline;
}

std::int16_t xSockQRequestsInUse(std::int16_t queue) {
    Queue* q = QueueOf(queue);
    return q != nullptr ? q->requests.GetInUseCount() : 0;
}
