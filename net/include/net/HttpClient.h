#pragma once

// The framework's HTTP object: an executable (one step per main-loop pass) and a
// message sender over one request queue. It keeps up to 16 servers, starts three
// kinds of request (a GET into a local file, a GET into the caller's memory, a
// POST whose response goes to the caller's memory), inflates bodies that arrive
// compressed, times requests out by inactivity, and reports each request either
// as HttpResponse*Msg messages to its receivers or through one response callback.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/ExecutableSupport.h"
#include "framework/MsgSenderSupport.h"
#include "net/xSockQ.h"

class MsgReceiver;

class HttpClient : public ExecutableSupport, public MsgSenderSupport {
  public:
    // Result codes, as the response callback's first argument.
    static constexpr std::int32_t kStarted = 0;
    static constexpr std::int32_t kReceivedData = 1;
    static constexpr std::int32_t kDone = 2;
    static constexpr std::int32_t kCanceled = 3;
    static constexpr std::int32_t kFailed = 4;
    static constexpr std::int32_t kTimedOut = 5;
    static constexpr std::int32_t kInternalError = 6;

    static constexpr int kMaxServers = 16;
    static constexpr std::int32_t kInitialTimeout = 120000;
    static constexpr std::uint32_t kInflateBufferSize = 100000;

    // Called as (result, request kind, request id, user value, a, b), a and b the
    // message's values: started (-1, 0); received data (expected length, piece
    // bytes); done (the buffer, or for a Get the local path's text, and the
    // length); timed out (time-out, 0); internal error (kind 3, id 0).
    using ResponseCallback = void (*)(std::int32_t result, std::int32_t kind, std::uint32_t requestId,
                                      std::intptr_t user, std::intptr_t a, std::intptr_t b);

    struct Request {
        virtual ~Request() = default;
        std::int32_t kind = 0;  // 0 Get, 1 BufferedGet, 2 Post
        std::uint32_t id = 0;
        std::int32_t timeout = 0;        // ms
        std::uint32_t lastActivity = 0;  // application-clock ms; 0 until the first event
        std::int16_t finished = 0;
    };
    // What a Get and a BufferedGet share: the decision on compression, taken once
    // four body bytes have come, and the decompression slot.
    struct BodyRequest : Request {
        bool firstPieceSeen = false;
        bool compressed = false;
        std::int16_t slot = 0;
        std::string lead;  // the first body bytes, held until there are four
    };
    struct GetRequest : BodyRequest {
        std::string localPath;
        std::uint16_t file = 0;
    };
    struct BufferedGetRequest : BodyRequest {
        char* buffer = nullptr;
        std::int32_t capacity = 0;
        std::int32_t used = 0;
    };
    struct PostRequest : Request {
        char* buffer = nullptr;
        std::int32_t capacity = 0;
        std::int32_t used = 0;
    };

    explicit HttpClient(MsgReceiver* receiver = nullptr);
    // Cancels every open request, removes the servers and ends its queue.
    ~HttpClient() override;
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Runs the queue, then times out the requests idle for their time-out.
    void Execute() override;
    virtual void SetUserAgent(const std::string& agent);
    virtual std::string GetUserAgent() const;
    // Kept while fewer than 16; later ones are ignored.
    virtual void AddServer(const std::string& host, int port);
    virtual void RemoveServers();
    virtual std::uint32_t BufferedGetWithTimeout(const std::string& path, char* buffer, std::int32_t capacity,
                                                 std::int32_t timeout);
    virtual std::uint32_t BufferedGet(const std::string& path, char* buffer, std::int32_t capacity);
    virtual std::uint32_t GetWithTimeout(const std::string& path, const std::string& localPath,
                                         std::int32_t timeout);
    virtual std::uint32_t Get(const std::string& path, const std::string& localPath);
    virtual std::uint32_t PostWithTimeout(const std::string& path, const std::string& headerBlock,
                                          const std::string& body, char* buffer, std::int32_t capacity,
                                          std::int32_t timeout);
    virtual std::uint32_t Post(const std::string& path, const std::string& headerBlock,
                               const std::string& body, char* buffer, std::int32_t capacity);
    // Ends a request with no further message; 0 and unknown ids are ignored.
    virtual void Cancel(std::uint32_t requestId);
    virtual void SetDefaultTimeout(std::int32_t ms);
    virtual std::int32_t GetDefaultTimeout() const;
    // A null function is ignored.
    virtual void SetResponseCallback(ResponseCallback callback, std::intptr_t user);
    virtual void ClearResponseCallback();

    // How many requests are open (in the map).
    std::size_t GetOpenRequestCount() const { return requests_.size(); }
    std::int16_t GetQueue() const { return queue_; }
    int GetServerCount() const { return serverCount_; }

  private:
    static std::int16_t OnQueueEvent(std::uint32_t id, std::int16_t event, std::intptr_t user,
                                     xSockQStatus* status, const char* data, std::int32_t count);
    void HandleEvent(std::uint32_t id, std::int16_t event, const xSockQStatus& status, const char* data,
                     std::int32_t count);
    void HandleGet(GetRequest& r, std::int16_t event, const xSockQStatus& status, const char* data,
                   std::int32_t count);
    void HandleBufferedGet(BufferedGetRequest& r, std::int16_t event, const xSockQStatus& status,
                           const char* data, std::int32_t count);
    void HandlePost(PostRequest& r, std::int16_t event, const xSockQStatus& status, const char* data,
                    std::int32_t count);
    // Sees the body bytes in order and hands them on, inflated when the body is
    // compressed, to sink; false when the sink or the inflation failed.
    template <typename Sink>
    bool TakeBody(BodyRequest& r, const char* data, std::int32_t count, Sink&& sink);
    template <typename Sink>
    bool Inflate(BodyRequest& r, const char* data, std::uint32_t count, Sink&& sink);
    // Closes a request's decompression slot (abandoning it) and, for a Get, its
    // file, which is deleted.
    void CloseOutput(Request& r);
    void Report(Request* r, std::int32_t result, std::intptr_t a, std::intptr_t b);
    std::uint32_t Start(std::unique_ptr<Request> request, std::uint32_t id);

    std::int16_t queue_ = 0;
    int serverCount_ = 0;
    std::uint32_t servers_[kMaxServers] = {};
    ResponseCallback callback_ = nullptr;
    std::intptr_t callbackUser_ = 0;
    std::vector<char> inflateBuffer_;
    std::map<std::uint32_t, std::unique_ptr<Request>> requests_;
    std::string userAgent_;
    std::int32_t defaultTimeout_ = kInitialTimeout;
};
