#include "net/HttpClient.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "framework/AppTime.h"
#include "framework/MessagePump.h"
#include "framework/xMixerPoll.h"
#include "net/HttpResponseMsg.h"
#include "net/InflateSlots.h"
#include "net/xSock.h"

namespace {

constexpr std::uint32_t kMixerPollMs = 250;
constexpr std::int16_t kSocketLimit = 12;
constexpr std::int16_t kQueueGrow = 16;
constexpr std::int32_t kNotificationTimeout = 60000;
constexpr std::int16_t kRequestRecords = 200;
constexpr std::int16_t kServiceGrow = 16;
constexpr std::int32_t kKindGet = 0;
constexpr std::int32_t kKindBufferedGet = 1;
constexpr std::int32_t kKindPost = 2;
constexpr std::int32_t kNoRequestKind = 3;
constexpr std::string_view kCompressedMagic = "ZIP ";
constexpr int kInflateNoProgress = -5;

int gLiveClients = 0;

// The queue retries these itself: the client waits for the final outcome.
bool WillBeRetried(std::int16_t error) {
    return error >= kSockQErrConnect && error <= kSockQErrDeadline;
}

}  // namespace

HttpClient::HttpClient(MsgReceiver* receiver) : inflateBuffer_(kInflateBufferSize) {
    if (gLiveClients++ == 0) InflateSlotsInit();
    xSockStartupData data;
    xSockStartup(xInstance, 0x0101, &data, kSocketLimit);
    xSockQStartup(kQueueGrow, nullptr, kNotificationTimeout, -1);
    const std::int16_t code = xTry([&] { queue_ = xSockQCreate(kRequestRecords, kServiceGrow); });
    if (code != 0 || queue_ == 0) {
        xSockQCleanup();
        xSockCleanup();
        --gLiveClients;
        throw 0;
    }
    if (receiver != nullptr) AddReceiver(receiver);
    // Run once per pass; a program without the execution service drives Execute itself.
    try {
        Schedule();
    } catch (int) {
    }
}

HttpClient::~HttpClient() {
    while (!requests_.empty()) Cancel(requests_.begin()->first);
    RemoveServers();
    xSockQDestroy(queue_);
    xSockQCleanup();
    xSockCleanup();
    --gLiveClients;
}

void HttpClient::SetUserAgent(const std::string& agent) {
    userAgent_ = agent;
}

std::string HttpClient::GetUserAgent() const {
    return userAgent_;
}

void HttpClient::AddServer(const std::string& host, int port) {
    if (serverCount_ >= kMaxServers) return;
    const std::string server = host + ":" + std::to_string(port);
    if (const std::uint32_t id = xSockQServiceAdd(queue_, server.c_str(), userAgent_.c_str()); id != 0)
        servers_[serverCount_++] = id;
}

void HttpClient::RemoveServers() {
    while (serverCount_ > 0) xSockQServiceRemove(servers_[--serverCount_]);
}

std::uint32_t HttpClient::Start(std::unique_ptr<Request> request, std::uint32_t id) {
    if (id == 0 || requests_.contains(id)) throw 0;
    request->id = id;
    requests_[id] = std::move(request);
    return id;
}

std::uint32_t HttpClient::GetWithTimeout(const std::string& path, const std::string& localPath,
                                         std::int32_t timeout) {
    auto r = std::make_unique<GetRequest>();
    r->kind = kKindGet;
    r->timeout = timeout;
    r->localPath = localPath;
    const std::uint32_t id = xSockQHTTPGet(queue_, path.c_str(), nullptr, nullptr, &OnQueueEvent,
                                           reinterpret_cast<std::intptr_t>(this));
    return Start(std::move(r), id);
}

std::uint32_t HttpClient::Get(const std::string& path, const std::string& localPath) {
    return GetWithTimeout(path, localPath, defaultTimeout_);
}

std::uint32_t HttpClient::BufferedGetWithTimeout(const std::string& path, char* buffer, std::int32_t capacity,
                                                 std::int32_t timeout) {
    auto r = std::make_unique<BufferedGetRequest>();
    r->kind = kKindBufferedGet;
    r->timeout = timeout;
    r->buffer = buffer;
    r->capacity = buffer != nullptr && capacity > 0 ? capacity : 0;
    const std::uint32_t id = xSockQHTTPGet(queue_, path.c_str(), nullptr, nullptr, &OnQueueEvent,
                                           reinterpret_cast<std::intptr_t>(this));
    return Start(std::move(r), id);
}

std::uint32_t HttpClient::BufferedGet(const std::string& path, char* buffer, std::int32_t capacity) {
    return BufferedGetWithTimeout(path, buffer, capacity, defaultTimeout_);
}

std::uint32_t HttpClient::PostWithTimeout(const std::string& path, const std::string& headerBlock,
                                          const std::string& body, char* buffer, std::int32_t capacity,
                                          std::int32_t timeout) {
    auto r = std::make_unique<PostRequest>();
    r->kind = kKindPost;
    r->timeout = timeout;
    r->buffer = buffer;
    r->capacity = buffer != nullptr && capacity > 0 ? capacity : 0;
    const std::uint32_t id = xSockQHTTPPost(queue_, path.c_str(), headerBlock.c_str(), body.c_str(),
                                            &OnQueueEvent, reinterpret_cast<std::intptr_t>(this));
    return Start(std::move(r), id);
}

std::uint32_t HttpClient::Post(const std::string& path, const std::string& headerBlock,
                               const std::string& body, char* buffer, std::int32_t capacity) {
    return PostWithTimeout(path, headerBlock, body, buffer, capacity, defaultTimeout_);
}

void HttpClient::Cancel(std::uint32_t requestId) {
    if (requestId == 0) return;
    const auto it = requests_.find(requestId);
    // The picture control cancels by a remembered id whose download may be over.
    if (it == requests_.end()) return;
    it->second->finished = 1;
    xSockQRelease(requestId);
    requests_.erase(requestId);
}

void HttpClient::SetDefaultTimeout(std::int32_t ms) {
    defaultTimeout_ = ms;
}

std::int32_t HttpClient::GetDefaultTimeout() const {
    return defaultTimeout_;
}

void HttpClient::SetResponseCallback(ResponseCallback callback, std::intptr_t user) {
    if (callback == nullptr) return;
    callback_ = callback;
    callbackUser_ = user;
}

void HttpClient::ClearResponseCallback() {
    callback_ = nullptr;
    callbackUser_ = 0;
}

void HttpClient::Execute() {
    const LifeWatch alive = WatchLife();
    xSockQIdle();
    if (!alive.IsAlive()) return;
    const std::uint32_t now = GetAppTime();
    std::vector<std::uint32_t> ids;
    ids.reserve(requests_.size());
    for (const auto& [id, r] : requests_) ids.push_back(id);
    for (const std::uint32_t id : ids) {
        const auto it = requests_.find(id);
        if (it == requests_.end()) continue;
        Request& r = *it->second;
        if (r.timeout == 0 || r.lastActivity == 0) continue;
        if (static_cast<std::int32_t>(now - r.lastActivity) < r.timeout) continue;
        Report(&r, kTimedOut, r.timeout, 0);
        if (!alive.IsAlive()) return;
    }
}

std::int16_t HttpClient::OnQueueEvent(std::uint32_t id, std::int16_t event, std::intptr_t user,
                                      xSockQStatus* status, const char* data, std::int32_t count) {
    auto* client = reinterpret_cast<HttpClient*>(user);
    if (client != nullptr && status != nullptr) client->HandleEvent(id, event, *status, data, count);
    return 0;
}

void HttpClient::HandleEvent(std::uint32_t id, std::int16_t event, const xSockQStatus& status,
                             const char* data, std::int32_t count) {
    const auto it = requests_.find(id);
    if (it == requests_.end()) {
        Report(nullptr, kInternalError, kNoRequestKind, 0);
        return;
    }
    Request& r = *it->second;
    r.lastActivity = GetAppTime();
    switch (r.kind) {
        case kKindGet:
            HandleGet(static_cast<GetRequest&>(r), event, status, data, count);
            break;
        case kKindBufferedGet:
            HandleBufferedGet(static_cast<BufferedGetRequest&>(r), event, status, data, count);
            break;
        default:
            HandlePost(static_cast<PostRequest&>(r), event, status, data, count);
            break;
    }
}

template <typename Sink>
bool HttpClient::Inflate(BodyRequest& r, const char* data, std::uint32_t count, Sink&& sink) {
    // A piece may inflate to more than the buffer holds: feed until it is used up.
    for (;;) {
        std::uint32_t size = kInflateBufferSize;
        std::uint32_t consumed = 0;
        const int rc = InflateSlotFeed(r.slot, inflateBuffer_.data(), size, data, count, &consumed);
        xMixerPoll(kMixerPollMs);
        if (size > 0 && !sink(inflateBuffer_.data(), size)) return false;
        data += consumed;
        count -= consumed;
        // Bad data stops the stream; the checksum at the end fails the request.
        if (rc < 0 && rc != kInflateNoProgress) return true;
        if (count == 0 && size < kInflateBufferSize) return true;
        if (consumed == 0 && size == 0) return true;
    }
}

template <typename Sink>
bool HttpClient::TakeBody(BodyRequest& r, const char* data, std::int32_t count, Sink&& sink) {
    if (count <= 0) return true;
    if (r.firstPieceSeen) {
        return r.compressed ? Inflate(r, data, static_cast<std::uint32_t>(count), sink)
                            : sink(data, static_cast<std::uint32_t>(count));
    }
    // The magic may come split over pieces: the choice waits for four bytes.
    r.lead.append(data, static_cast<std::size_t>(count));
    if (r.lead.size() < kCompressedMagic.size()) return true;
    r.firstPieceSeen = true;
    r.compressed = std::string_view(r.lead).substr(0, kCompressedMagic.size()) == kCompressedMagic;
    const std::string held = std::move(r.lead);
    r.lead.clear();
    if (!r.compressed) return sink(held.data(), static_cast<std::uint32_t>(held.size()));
    r.slot = InflateSlotOpen();
    if (r.slot == 0) return false;
    return Inflate(r, held.data(), static_cast<std::uint32_t>(held.size()), sink);
}

void HttpClient::CloseOutput(Request& r) {
    if (r.kind == kKindPost) return;
    auto& body = static_cast<BodyRequest&>(r);
    if (body.slot != 0) {
        InflateSlotClose(body.slot, 1);
        body.slot = 0;
    }
    body.lead.clear();
    body.firstPieceSeen = false;
    body.compressed = false;
    if (r.kind != kKindGet) return;
    auto& get = static_cast<GetRequest&>(r);
    if (get.file != 0) {
        xTry([&] { xFileClose(get.file); });
        get.file = 0;
        xTry([&] { xFileDelete(xFileSpec(get.localPath.c_str())); });
    }
}

void HttpClient::HandleGet(GetRequest& r, std::int16_t event, const xSockQStatus& status, const char* data,
                           std::int32_t count) {
    switch (event) {
        case kSockQEventStarted: {
            CloseOutput(r);
            std::uint16_t file = 0;
            const std::int16_t code = xTry([&] {
                file = xFileOpen(xFileSpec(r.localPath.c_str()), kFileModeCreate | kFileModeWrite,
                                 xFourCC("DATA"), xFourCC("QNZA"));
            });
            if (code != 0 || file == 0) {
                r.finished = 1;
                Report(&r, kFailed, 0, 0);
                return;
            }
            r.file = file;
            Report(&r, kStarted, -1, 0);
            return;
        }
        case kSockQEventData: {
            if (count <= 0) return;
            const auto write = [&](const char* bytes, std::uint32_t n) {
                return xTry([&] { xFileWrite(r.file, bytes, n); }) == 0;
            };
            if (!TakeBody(r, data, count, write)) {
                Report(&r, kFailed, 0, 0);
                return;
            }
            xMixerPoll(kMixerPollMs);
            Report(&r, kReceivedData, status.expected, count);
            return;
        }
        case kSockQEventComplete: {
            bool good = true;
            if (!r.firstPieceSeen && !r.lead.empty()) {
                good = xTry([&] {
                           xFileWrite(r.file, r.lead.data(), static_cast<std::uint32_t>(r.lead.size()));
                       }) == 0;
                r.lead.clear();
            }
            if (r.compressed) {
                good = InflateSlotClose(r.slot, 0) == 1 && good;
                r.slot = 0;
            }
            xTry([&] { xFileClose(r.file); });
            r.file = 0;
            if (!good)
                Report(&r, kFailed, 0, 0);
            else
                Report(&r, kDone, reinterpret_cast<std::intptr_t>(r.localPath.c_str()), 0);
            return;
        }
        case kSockQEventReleased:
            CloseOutput(r);
            Report(&r, kCanceled, 0, 0);
            return;
        case kSockQEventFailure:
            CloseOutput(r);
            if (!WillBeRetried(status.error)) Report(&r, kFailed, 0, 0);
            return;
        default:
            return;
    }
}

void HttpClient::HandleBufferedGet(BufferedGetRequest& r, std::int16_t event, const xSockQStatus& status,
                                   const char* data, std::int32_t count) {
    const auto append = [&](const char* bytes, std::uint32_t n) {
        if (n > static_cast<std::uint32_t>(r.capacity - r.used)) return false;
        std::memcpy(r.buffer + r.used, bytes, n);
        r.used += static_cast<std::int32_t>(n);
        return true;
    };
    switch (event) {
        case kSockQEventStarted:
            // A retry starts over: the failed attempt's bytes are gone.
            CloseOutput(r);
            r.used = 0;
            Report(&r, kStarted, -1, 0);
            return;
        case kSockQEventData:
            if (count <= 0) return;
            if (!TakeBody(r, data, count, append)) {
                Report(&r, kFailed, 0, 0);
                return;
            }
            xMixerPoll(kMixerPollMs);
            Report(&r, kReceivedData, status.expected, count);
            return;
        case kSockQEventComplete: {
            bool good = true;
            if (!r.firstPieceSeen && !r.lead.empty()) {
                good = append(r.lead.data(), static_cast<std::uint32_t>(r.lead.size()));
                r.lead.clear();
            }
            if (r.compressed) {
                good = InflateSlotClose(r.slot, 0) == 1 && good;
                r.slot = 0;
            }
            if (!good)
                Report(&r, kFailed, 0, 0);
            else
                Report(&r, kDone, reinterpret_cast<std::intptr_t>(r.buffer), r.used);
            return;
        }
        case kSockQEventReleased:
            CloseOutput(r);
            Report(&r, kCanceled, 0, 0);
            return;
        case kSockQEventFailure:
            CloseOutput(r);
            if (!WillBeRetried(status.error)) Report(&r, kFailed, 0, 0);
            return;
        default:
            return;
    }
}

void HttpClient::HandlePost(PostRequest& r, std::int16_t event, const xSockQStatus& status, const char* data,
                            std::int32_t count) {
    switch (event) {
        case kSockQEventStarted:
            r.used = 0;
            Report(&r, kStarted, -1, 0);
            return;
        case kSockQEventData:
            if (count <= 0) return;
            if (count > r.capacity - r.used) {
                Report(&r, kFailed, 0, 0);
                return;
            }
            std::memcpy(r.buffer + r.used, data, static_cast<std::size_t>(count));
            r.used += count;
            return;
        case kSockQEventComplete:
            Report(&r, kDone, reinterpret_cast<std::intptr_t>(r.buffer), r.used);
            return;
        case kSockQEventReleased:
            r.used = 0;
            Report(&r, kCanceled, 0, 0);
            return;
        case kSockQEventFailure:
            if (WillBeRetried(status.error)) {
                r.used = 0;
                return;
            }
            Report(&r, kFailed, 0, 0);
            return;
        default:
            return;
    }
}

void HttpClient::Report(Request* r, std::int32_t result, std::intptr_t a, std::intptr_t b) {
    if (result == kCanceled && r != nullptr && r->finished != 0) return;
    const bool releases = result == kDone || result == kCanceled || result == kFailed ||
                          result == kTimedOut || (result == kInternalError && r != nullptr);
    // Finished before anyone hears of it: a release that follows reports nothing more.
    if (releases && r != nullptr) r->finished = 1;
    const std::uint32_t id = r != nullptr ? r->id : 0;
    const LifeWatch alive = WatchLife();
    if (callback_ != nullptr) {
        callback_(result, r != nullptr ? r->kind : kNoRequestKind, id, callbackUser_, a, b);
    } else {
        switch (result) {
            case kStarted:
                Send(HttpResponseStartedMsg(id));
                break;
            case kReceivedData:
                Send(HttpResponseReceivedDataMsg(id, static_cast<std::int32_t>(a),
                                                 static_cast<std::int32_t>(b)));
                break;
            case kDone: {
                const bool toFile = r != nullptr && r->kind == kKindGet;
                Send(HttpResponseDoneMsg(id, toFile ? nullptr : reinterpret_cast<const char*>(a),
                                         toFile ? 0 : static_cast<std::int32_t>(b),
                                         toFile ? static_cast<GetRequest*>(r)->localPath : std::string()));
                break;
            }
            case kCanceled:
                Send(HttpResponseCanceledMsg(id));
                break;
            case kFailed:
                Send(HttpResponseFailedMsg(id));
                break;
            case kTimedOut:
                Send(HttpResponseTimedOutMsg(id, static_cast<std::int32_t>(a)));
                break;
            default:
                Send(HttpErrorMsg());
                break;
        }
    }
    if (!alive.IsAlive() || !releases || r == nullptr) return;
    // The receivers may have cancelled it already.
    if (!requests_.contains(id)) return;
    xSockQRelease(id);
    requests_.erase(id);
}
