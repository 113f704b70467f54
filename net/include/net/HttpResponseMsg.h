#pragma once

// The messages by which an HttpClient reports each request's progress to its
// receivers. All carry the request id.

#include <cstdint>
#include <string>
#include <utility>

#include "framework/CloneableMsg.h"
#include "framework/ErrorMsg.h"

class HttpResponseMsg : public CloneableMsg<HttpResponseMsg> {
  public:
    HttpResponseMsg() = default;
    explicit HttpResponseMsg(std::uint32_t requestId) : requestId_(requestId) {}
    std::uint32_t GetRequestId() const { return requestId_; }

  private:
    std::uint32_t requestId_ = 0;
};

class HttpResponseStartedMsg : public CloneableMsg<HttpResponseStartedMsg, HttpResponseMsg> {
  public:
    using CloneableMsg::CloneableMsg;
};

class HttpResponseReceivedDataMsg : public CloneableMsg<HttpResponseReceivedDataMsg, HttpResponseMsg> {
  public:
    HttpResponseReceivedDataMsg(std::uint32_t requestId, std::int32_t data, std::int32_t length)
        : CloneableMsg(requestId), data_(data), length_(length) {}
    // The body length the response named, -1 when unknown.
    std::int32_t GetData() const { return data_; }
    // The bytes of this piece.
    std::int32_t GetLength() const { return length_; }

  private:
    std::int32_t data_ = -1;
    std::int32_t length_ = 0;
};

class HttpResponseDoneMsg : public CloneableMsg<HttpResponseDoneMsg, HttpResponseMsg> {
  public:
    HttpResponseDoneMsg(std::uint32_t requestId, const char* data, std::int32_t length, std::string path)
        : CloneableMsg(requestId), data_(data), length_(length), path_(std::move(path)) {}
    // The caller's buffer (null for a download to a file) and the bytes in it.
    const char* GetData() const { return data_; }
    std::int32_t GetLength() const { return length_; }
    // The local file of a download to a file; empty for the others.
    const std::string& GetPath() const { return path_; }

  private:
    const char* data_ = nullptr;
    std::int32_t length_ = 0;
    std::string path_;
};

class HttpResponseCanceledMsg : public CloneableMsg<HttpResponseCanceledMsg, HttpResponseMsg> {
  public:
    using CloneableMsg::CloneableMsg;
};

class HttpResponseFailedMsg : public CloneableMsg<HttpResponseFailedMsg, HttpResponseMsg> {
  public:
    using CloneableMsg::CloneableMsg;
};

class HttpResponseTimedOutMsg : public CloneableMsg<HttpResponseTimedOutMsg, HttpResponseMsg> {
  public:
    HttpResponseTimedOutMsg(std::uint32_t requestId, std::int32_t timeout)
        : CloneableMsg(requestId), timeout_(timeout) {}
    // The inactivity time-out that ran out, ms.
    std::int32_t GetTimeout() const { return timeout_; }

  private:
    std::int32_t timeout_ = 0;
};

class HttpErrorMsg : public CloneableMsg<HttpErrorMsg, ErrorMsg> {
  public:
    HttpErrorMsg() : CloneableMsg("HttpClient has an internal error") {}
};
