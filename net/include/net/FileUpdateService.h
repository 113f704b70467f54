#pragma once

// Brings the client's own files up to date before logon and fetches the sponsor ad
// and the ad list. It downloads the update script with its own HttpClient, runs it
// (UpdateScript), downloads the queued updates group by group (ascending group
// priority) into "update_" files beside their targets, and has each target take
// its replacement once the whole group is in and every file of it passed its
// checks (the size the script gave, a .srf that opens, the version the script
// named). Every step is reported to its receivers. It owns the file registry.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/MsgSenderForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "net/UpdateScript.h"
#include "resource/AdInfo.h"
#include "resource/FileRegistry.h"
#include "resource/Version.h"

class FileResource;
class HttpClient;
class HttpResponseDoneMsg;
class HttpResponseFailedMsg;
class HttpResponseReceivedDataMsg;
class HttpResponseStartedMsg;
class HttpResponseTimedOutMsg;

// One queued file update.
struct FileUpdateItem {
    FileResource* target = nullptr;     // registered; the file to replace
    FileResource* temporary = nullptr;  // registered; the "update_" file it comes into
    std::string url;
    std::int32_t priority = 0;
    Version version;
    std::int32_t size = 0;   // 0: not given
    bool applied = false;    // handed to its target already
};

class FileUpdateService : public MsgSenderForwarder,
                          public QueuedMsgReceiverForwarder,
                          private UpdateScriptHost {
  public:
    static constexpr std::int32_t kDefaultTimeout = 70000;
    static constexpr const char* kScriptName = "updatescript.ini";

    // The owner (when given) becomes a receiver. Script paths are names in the
    // program's folder; a test may give another folder (Windows form, with its
    // trailing separator), whose names are then absolute.
    explicit FileUpdateService(MsgReceiver* owner = nullptr, std::string programFolder = "");
    ~FileUpdateService() override;

    virtual void SetClientVersion(const Version& version);
    virtual void SetTimeout(std::int32_t ms);
    virtual void SetUserAgent(const std::string& agent);
    virtual void AddServer(const std::string& host, int port);
    virtual void SetAdFolder(const std::string& path);
    virtual void GetUpdateScript(const std::string& urlPath);
    virtual void SetSponsorAd(const AdInfo& ad);
    virtual void SetAdDownloadList(const std::vector<AdInfo>& ads);
    virtual void OnResponseStarted(const HttpResponseStartedMsg& msg);
    virtual void OnResponseData(const HttpResponseReceivedDataMsg& msg);
    virtual void OnResponseDone(const HttpResponseDoneMsg& msg);
    virtual void OnDownloadFailed(const HttpResponseFailedMsg& msg);
    virtual void OnDownloadTimedOut(const HttpResponseTimedOutMsg& msg);
    virtual bool RunUpdateScriptSection(const std::string& section, std::int32_t index);
    virtual void ExecuteUpdateScriptCommand(const std::string& section);
    void QueueUpdate(const std::string& clientPath, const std::string& serverFolder, const Version& version,
                     std::int32_t priority, std::int32_t size) override;
    virtual void GetNextMandatoryFile();
    virtual void OnUpdateFileDone(const std::string& localPath);
    virtual void CheckSponsorAd();

    // Queues its own client's messages; acts on them when the queue drains.
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    HttpClient& GetClient() { return *client_; }
    const std::string& GetScriptPath() const { return scriptPath_; }
    const UpdateScript& GetScript() const { return script_; }

  private:
    enum class Request { None, Script, Sponsor, ListAd, Group };

    // UpdateScriptHost
    void PumpMessages() override;
    void SendError(const std::string& text) override;
    FileResource& FindOrRegisterFile(const std::string& clientPath) override;

    Request Classify(std::uint32_t id) const;
    std::string ClientName(const std::string& clientPath) const;
    void FailDownload(Request request, bool timedOut);
    // Reads the temporary file again; true when it is there and fits the update.
    bool PassesChecks(FileUpdateItem& item);
    void FinishGroup();
    void ReportMandatoryDone();
    bool IsSafeAdName(const std::string& name) const;
    std::string AdLocalPath(const std::string& name) const;

    std::string programFolder_;
    FileRegistry registry_;
    std::unique_ptr<HttpClient> client_;
    UpdateScript script_;
    std::int32_t timeout_ = kDefaultTimeout;
    std::int32_t groupPriority_ = 0;
    std::string scriptPath_;
    std::vector<AdInfo> adList_;
    std::size_t nextAd_ = 0;
    std::string adFolder_;
    std::uint32_t scriptRequest_ = 0;
    std::uint32_t sponsorRequest_ = 0;
    std::uint32_t listAdRequest_ = 0;
    AdInfo sponsorAd_;
    bool sponsorObtained_ = false;
    bool mandatoryReported_ = false;
    std::multimap<std::int32_t, FileUpdateItem> queue_;
    std::vector<FileUpdateItem> inProgress_;
    std::vector<FileUpdateItem> done_;
};

// Whether the program's folder joined with the name is a folder.
bool ClientFolderExists(const std::string& name);
// Creates the folder program folder + name; false when the system refuses.
bool CreateClientFolder(const std::string& name);
