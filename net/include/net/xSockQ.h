#pragma once

// The lower layer's HTTP/1.0 request queue. A queue holds services (one per
// server, one connection at a time, kept open between requests) and a fixed
// number of request records. xSockQIdle, called once per main-loop pass, resolves
// hosts, opens connections, hands each waiting request to a free service, writes
// the request text, and reports each request's progress through its callback;
// socket notifications reach the services between passes, through the pump.
//
// Ids are 32-bit: the queue's handle in the high half, the request's or
// service's handle in the low half.

#include <cstdint>

// Request states.
inline constexpr std::int32_t kSockQWaiting = 0;
inline constexpr std::int32_t kSockQStarting = 1;
inline constexpr std::int32_t kSockQReceiving = 2;
inline constexpr std::int32_t kSockQComplete = 3;
inline constexpr std::int32_t kSockQFinished = 4;
inline constexpr std::int32_t kSockQReleased = 5;
inline constexpr std::int32_t kSockQRetrying = 6;
inline constexpr std::int32_t kSockQFailed = 7;

// Callback events.
inline constexpr std::int16_t kSockQEventStarted = 1;
inline constexpr std::int16_t kSockQEventData = 2;
inline constexpr std::int16_t kSockQEventComplete = 3;
inline constexpr std::int16_t kSockQEventReleased = 4;
inline constexpr std::int16_t kSockQEventFailure = 5;

// Request error codes.
inline constexpr std::int16_t kSockQErrConnect = 15001;
inline constexpr std::int16_t kSockQErrRead = 15002;
inline constexpr std::int16_t kSockQErrWrite = 15003;
inline constexpr std::int16_t kSockQErrClose = 15004;
inline constexpr std::int16_t kSockQErrResponse = 15005;
inline constexpr std::int16_t kSockQErrDeadline = 15006;
inline constexpr std::int16_t kSockQErrRetryLimit = 15007;
inline constexpr std::int16_t kSockQErrNoService = 15008;

// What xSockQGetStatus copies out and every callback sees.
struct xSockQStatus {
    std::int32_t state = kSockQWaiting;
    std::int32_t expected = -1;  // body length named by the response, -1 unknown
    std::int32_t received = 0;   // body bytes passed on so far
    std::int16_t error = 0;
};

// Called as (request id, event, user value, status, data, count); data and
// count are those of this body piece for the data event. The result is ignored.
// A callback may release or start requests.
using xSockQCallback = std::int16_t (*)(std::uint32_t id, std::int16_t event, std::intptr_t user,
                                        xSockQStatus* status, const char* data, std::int32_t count);

// The first call clears the module state; proxyUrl (null or empty for none) is
// "host[:port]" (port 8080 by default). Every call counts. A failure raises its code.
void xSockQStartup(std::int16_t queueGrow, const char* proxyUrl, std::int32_t notificationTimeoutMs,
                   std::int16_t unused);
// Counts down; the last call destroys every queue, newest first.
void xSockQCleanup();

// A queue with requestGrow request records (it never grows) and a service list
// growing by serviceGrow. Its handle; a failure raises its code.
std::int16_t xSockQCreate(std::int16_t requestGrow, std::int16_t serviceGrow);
// Frees every request and destroys every service (its look-up cancelled, its
// connection closed).
void xSockQDestroy(std::int16_t queue);

// A service for server "host[:port][/service path]" (port 80 by default). Its id;
// 0 when the host is over 99 characters, the service path over 255 or the agent
// over 99, or when the queue is unknown.
std::uint32_t xSockQServiceAdd(std::int16_t queue, const char* server, const char* userAgent);
void xSockQServiceRemove(std::uint32_t serviceId);

// New requests, waiting for a service. Path without its leading '/'. A header
// block, when given, is the whole header part. Raises 1 when the queue's request
// records are all in use; 0 then (or for an unknown queue).
std::uint32_t xSockQHTTPGet(std::int16_t queue, const char* path, const char* headerBlock, const char* body,
                            xSockQCallback callback, std::intptr_t user);
std::uint32_t xSockQHTTPPost(std::int16_t queue, const char* path, const char* headerBlock, const char* body,
                             xSockQCallback callback, std::intptr_t user);
// Unless it has finished or failed, the callback gets the released event; the
// request stops at once (its connection is closed if a response was under way)
// and the next idle frees it. Unknown ids are ignored.
void xSockQRelease(std::uint32_t requestId);
void xSockQGetStatus(std::uint32_t requestId, xSockQStatus* out);

// One pass over every queue. Raises 15006 when a notification deadline is set
// and has passed. Returns 0.
std::int16_t xSockQIdle();
// 0x7FFFFFFF clears the deadline; otherwise the deadline becomes now + ms.
std::int32_t xSockQTriggerNotificationTimeout(std::int32_t ms);

// How many requests hold records on that queue (any state short of freed).
std::int16_t xSockQRequestsInUse(std::int16_t queue);
