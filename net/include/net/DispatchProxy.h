#pragma once

// The first step of start-up: a process that downloads the dispatch file from
// the dispatch server with its own HttpClient, reads it into a DispatchInfo and
// hands that to its receivers in a DispatchSucceededMsg; any failure makes the
// process fail. The download runs while the process is started; the local copy
// never outlives the parse.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "net/DispatchInfo.h"

class HttpClient;
class HttpResponseDoneMsg;

class DispatchProxy : public ProcessForwarder, public QueuedMsgReceiverForwarder {
  public:
    static constexpr std::int32_t kDefaultTimeout = 120000;
    static constexpr char kDefaultDispatchPath[] = "/dispatch/client/dispatch.ini";
    static constexpr char kLocalName[] = "dispatch.ini";

    // A non-null receiver is added to the proxy's receivers.
    explicit DispatchProxy(MsgReceiver* receiver = nullptr);
    ~DispatchProxy() override;

    virtual void SetTimeout(std::int32_t ms);
    virtual void SetUserAgent(const std::string& agent);
    virtual void AddServer(const std::string& host, int port);
    virtual void SetDispatchPath(const std::string& path);
    // The download is complete: while started, parse it and report.
    virtual void OnHttpMsg(const HttpResponseDoneMsg& msg);
    // Reads the dispatch file at path into info; true when it names at least one
    // registration, content and game-list server.
    virtual bool ParseDispatchFile(const std::string& path, DispatchInfo& info);

    void OnStarting() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    bool IsPausable() const override { return false; }
    HttpClient& GetClient() { return *client_; }
    const std::string& GetLocalPath() const { return localPath_; }
    const DispatchInfo& GetInfo() const { return *info_; }

  protected:
    // The text of key in section, "_eRrOr_" when it is absent (at most 512 characters).
    static std::string ReadText(const std::string& path, const std::string& section, const char* key);
    // The numbered sections "prefix 1", "prefix 2" ... up to 10, until one lacks
    // nameKey; reads each with read(section, index) and returns the count.
    template <typename Read>
    static std::int32_t ReadNumbered(const std::string& path, const std::string& prefix, const char* nameKey,
                                     Read&& read);

  private:
    std::unique_ptr<HttpClient> client_;
    std::int32_t timeout_ = kDefaultTimeout;
    std::string dispatchPath_ = kDefaultDispatchPath;
    std::string localPath_;
    std::unique_ptr<DispatchInfo> info_;
};
