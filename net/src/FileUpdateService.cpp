#include "net/FileUpdateService.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "framework/ErrorMsg.h"
#include "framework/MessagePump.h"
#include "net/FileUpdateMsgs.h"
#include "net/HttpClient.h"
#include "net/HttpResponseMsg.h"
#include "platform/HostPath.h"
#include "resource/FileFunctions.h"
#include "resource/FileResource.h"
#include "resource/SrfVersion.h"

namespace {

bool EndsWithNoCase(const std::string& name, const char* ending) {
    const std::string lower = [&] {
        std::string text = name;
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return text;
    }();
    const std::string end = ending;
    return lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

FileUpdateService::FileUpdateService(MsgReceiver* owner, std::string programFolder)
    : programFolder_(std::move(programFolder)),
      client_(std::make_unique<HttpClient>(this)),
      script_(*this, programFolder_.empty() ? ProgramFolder() : programFolder_) {
    if (owner != nullptr) AddReceiver(owner);
    scriptPath_ = FileResource(programFolder_ + kScriptName).GetPath();
}

FileUpdateService::~FileUpdateService() {
    client_->RemoveReceiver(this);
}

void FileUpdateService::SetClientVersion(const Version& version) {
    script_.SetClientVersion(version);
}

void FileUpdateService::SetTimeout(std::int32_t ms) {
    timeout_ = ms;
}

void FileUpdateService::SetUserAgent(const std::string& agent) {
    client_->SetUserAgent(agent);
}

void FileUpdateService::AddServer(const std::string& host, int port) {
    client_->AddServer(host, port);
}

void FileUpdateService::SetAdFolder(const std::string& path) {
    adFolder_ = FileResource(path).GetUrlName();
}

void FileUpdateService::GetUpdateScript(const std::string& urlPath) {
    mandatoryReported_ = false;
    scriptRequest_ = client_->GetWithTimeout(urlPath, scriptPath_, timeout_);
}

void FileUpdateService::SetSponsorAd(const AdInfo& ad) {
    sponsorAd_ = ad;
    sponsorObtained_ = false;
    CheckSponsorAd();
}

void FileUpdateService::SetAdDownloadList(const std::vector<AdInfo>& ads) {
    adList_ = ads;
    nextAd_ = 0;
    if (sponsorObtained_) CheckSponsorAd();
}

std::int32_t FileUpdateService::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const bool ours = from == static_cast<MsgSender*>(client_.get()) && msg.Is<HttpResponseMsg>();
    if (ours && !fromQueue) {
        if (!queued) QueueMsg(msg, from);
        return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, true);
    }
    if (ours) {
        if (const auto* started = dynamic_cast<const HttpResponseStartedMsg*>(&msg)) {
            OnResponseStarted(*started);
            return 0;
        }
        if (const auto* data = dynamic_cast<const HttpResponseReceivedDataMsg*>(&msg)) {
            OnResponseData(*data);
            return 0;
        }
        if (const auto* done = dynamic_cast<const HttpResponseDoneMsg*>(&msg)) {
            OnResponseDone(*done);
            return 0;
        }
        if (const auto* failed = dynamic_cast<const HttpResponseFailedMsg*>(&msg)) {
            OnDownloadFailed(*failed);
            return 0;
        }
        if (const auto* timedOut = dynamic_cast<const HttpResponseTimedOutMsg*>(&msg)) {
            OnDownloadTimedOut(*timedOut);
            return 0;
        }
    }
    return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
}

FileUpdateService::Request FileUpdateService::Classify(std::uint32_t id) const {
    if (id == 0) return Request::None;
    if (id == scriptRequest_) return Request::Script;
    if (id == sponsorRequest_) return Request::Sponsor;
    if (id == listAdRequest_) return Request::ListAd;
    return Request::Group;
}

void FileUpdateService::OnResponseStarted(const HttpResponseStartedMsg& msg) {
    switch (Classify(msg.GetRequestId())) {
        case Request::Script:
            Send(FileUpdateGettingUpdateScriptMsg());
            break;
        case Request::Sponsor:
            Send(FileUpdateGettingSponsorAdMsg());
            break;
        default:
            break;
    }
}

void FileUpdateService::OnResponseData(const HttpResponseReceivedDataMsg& msg) {
    switch (Classify(msg.GetRequestId())) {
        case Request::Script:
            Send(FileUpdateReceivingUpdateScriptMsg(msg.GetData(), msg.GetLength()));
            break;
        case Request::Sponsor:
            Send(FileUpdateReceivingSponsorAdMsg(msg.GetData(), msg.GetLength()));
            break;
        case Request::Group:
            if (script_.IsMandatory()) Send(FileUpdateReceivingMandatoryFilesMsg(msg.GetLength()));
            break;
        default:
            break;
    }
}

void FileUpdateService::OnResponseDone(const HttpResponseDoneMsg& msg) {
    switch (Classify(msg.GetRequestId())) {
        case Request::Script:
            scriptRequest_ = 0;
            Send(FileUpdateGotUpdateScriptMsg());
            script_.Run(scriptPath_);
            GetNextMandatoryFile();
            Send(FileUpdateProcessedUpdateScriptMsg());
            if (!script_.IsMandatory()) {
                if (!mandatoryReported_) {
                    mandatoryReported_ = true;
                    Send(FileUpdateGotMandatoryFilesMsg());
                }
            } else {
                std::int32_t total = 0;
                for (const FileUpdateItem& item : inProgress_) total += item.size;
                Send(FileUpdateGettingMandatoryFilesMsg(total));
            }
            break;
        case Request::Sponsor:
            sponsorRequest_ = 0;
            sponsorObtained_ = true;
            Send(FileUpdateGotSponsorAdMsg(sponsorAd_));
            CheckSponsorAd();
            break;
        case Request::ListAd:
            listAdRequest_ = 0;
            CheckSponsorAd();
            break;
        case Request::Group:
            OnUpdateFileDone(msg.GetPath());
            break;
        case Request::None:
            break;
    }
}

void FileUpdateService::FailDownload(Request request, bool timedOut) {
    switch (request) {
        case Request::Script:
            SendError(timedOut ? "Timed out downloading the update script." : "Cannot download the update script.");
            break;
        case Request::Sponsor:
            SendError(timedOut ? "Timed out downloading the sponsor ad." : "Cannot download the sponsor ad.");
            break;
        case Request::ListAd:
            SendError(timedOut ? "Timed out downloading an ad." : "Cannot download an ad.");
            break;
        case Request::Group:
            if (script_.IsMandatory()) {
                SendError(timedOut ? "Timed out downloading a mandatory file." : "Cannot download a mandatory file.");
            }
            break;
        case Request::None:
            break;
    }
}

void FileUpdateService::OnDownloadFailed(const HttpResponseFailedMsg& msg) {
    FailDownload(Classify(msg.GetRequestId()), false);
}

void FileUpdateService::OnDownloadTimedOut(const HttpResponseTimedOutMsg& msg) {
    FailDownload(Classify(msg.GetRequestId()), true);
}

bool FileUpdateService::RunUpdateScriptSection(const std::string& section, std::int32_t index) {
    return script_.RunUpdateScriptSection(section, index);
}

void FileUpdateService::ExecuteUpdateScriptCommand(const std::string& section) {
    script_.ExecuteUpdateScriptCommand(section);
}

void FileUpdateService::PumpMessages() {
    ::PumpMessages();
}

void FileUpdateService::SendError(const std::string& text) {
    Send(ErrorMsg(text));
}

std::string FileUpdateService::ClientName(const std::string& clientPath) const {
    return programFolder_ + clientPath;
}

FileResource& FileUpdateService::FindOrRegisterFile(const std::string& clientPath) {
    return ::FindOrRegisterFile(ClientName(clientPath));
}

void FileUpdateService::QueueUpdate(const std::string& clientPath, const std::string& serverFolder,
                                    const Version& version, std::int32_t priority, std::int32_t size) {
    FileResource client(ClientName(clientPath));
    FileResource& target = LookupRegisteredFile(client.GetName());
    const std::string fileName = target.GetFileName();
    const std::string folder = target.GetFolder();
    const std::string temporaryName = folder.empty() ? "update_" + fileName : folder + "\\update_" + fileName;
    ::FindOrRegisterFile(temporaryName);
    FileUpdateItem item;
    item.target = &target;
    item.temporary = &LookupRegisteredFile(temporaryName);
    item.url = FileResource(serverFolder).GetUrlName() + "/" + FileResource(clientPath).GetUrlName();
    item.priority = priority;
    item.version = version;
    item.size = size;
    queue_.emplace(priority, std::move(item));
}

bool FileUpdateService::PassesChecks(FileUpdateItem& item) {
    FileResource& temporary = *item.temporary;
    if (!FileExists(temporary.GetPath())) return false;
    // Reads the file again: a .srf opens and reads its version, a program its record.
    temporary.Update();
    if (item.size > 0) {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(platform::ResolveHostPath(temporary.GetPath()), error);
        if (error || bytes != static_cast<std::uintmax_t>(item.size)) return false;
    }
    const bool versioned = EndsWithNoCase(temporary.GetName(), ".srf") || EndsWithNoCase(temporary.GetName(), ".exe");
    if (versioned && !temporary.Exists()) return false;
    if (versioned && !item.version.IsNone() && !temporary.GetVersion().EqualTo(item.version)) return false;
    return true;
}

void FileUpdateService::GetNextMandatoryFile() {
    if (queue_.empty()) return;
    groupPriority_ = queue_.begin()->first;
    std::vector<std::string> present;
    const auto range = queue_.equal_range(groupPriority_);
    for (auto it = range.first; it != range.second; ++it) {
        ::PumpMessages();
        inProgress_.push_back(it->second);
        FileUpdateItem& item = inProgress_.back();
        if (PassesChecks(item)) {
            // Already here and sound: handed over at once.
            present.push_back(item.temporary->GetPath());
            item.applied = true;
            item.target->UpdateFrom(item.temporary);
        } else {
            if (FileExists(item.temporary->GetPath())) item.temporary->DeleteFile();
            const std::int32_t timeout = script_.IsMandatory() ? timeout_ : 0;
            client_->GetWithTimeout(item.url, item.temporary->GetPath(), timeout);
        }
    }
    queue_.erase(groupPriority_);
    for (const std::string& path : present) OnUpdateFileDone(path);
}

void FileUpdateService::OnUpdateFileDone(const std::string& localPath) {
    auto it = std::find_if(inProgress_.begin(), inProgress_.end(),
                           [&](const FileUpdateItem& item) { return item.temporary->GetPath() == localPath; });
    if (it == inProgress_.end()) return;
    if (!it->applied && !PassesChecks(*it)) {
        // Incomplete or not what the script named: it never replaces its target,
        // and the group counts as failed.
        if (FileExists(it->temporary->GetPath())) it->temporary->DeleteFile();
        FailDownload(Request::Group, false);
        return;
    }
    done_.push_back(*it);
    inProgress_.erase(it);
    if (!inProgress_.empty()) return;
    FinishGroup();
}

void FileUpdateService::FinishGroup() {
    std::vector<FileUpdateItem> group;
    group.swap(done_);
    for (FileUpdateItem& item : group) {
        if (!item.applied) item.target->UpdateFrom(item.temporary);
    }
    if (script_.IsMandatory()) {
        script_.ClearMandatory();
        ReportMandatoryDone();
    }
    GetNextMandatoryFile();
}

void FileUpdateService::ReportMandatoryDone() {
    if (mandatoryReported_) return;
    mandatoryReported_ = true;
    Send(FileUpdateGotMandatoryFilesMsg());
}

bool FileUpdateService::IsSafeAdName(const std::string& name) const {
    if (name.find("..") != std::string::npos) return false;
    for (const char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32 || c == 127) return false;
    }
    return !name.empty();
}

std::string FileUpdateService::AdLocalPath(const std::string& name) const {
    return adFolder_ + "\\" + name;
}

void FileUpdateService::CheckSponsorAd() {
    if (sponsorRequest_ != 0 || listAdRequest_ != 0) return;
    const std::string adServer = script_.GetAdServerFolder();
    if (!sponsorObtained_ && !sponsorAd_.GetName().empty()) {
        const std::string& name = sponsorAd_.GetName();
        if (!IsSafeAdName(name)) {
            // A name that would leave the ad folder is refused like a failed download;
            // the list goes on.
            SendError("Cannot download the sponsor ad.");
            sponsorAd_ = AdInfo();
            sponsorObtained_ = true;
            CheckSponsorAd();
            return;
        }
        Version version;
        if (ReadSrfVersion(AdLocalPath(name), version)) {
            Send(FileUpdateGotSponsorAdMsg(sponsorAd_));
            sponsorRequest_ = 0;
            sponsorObtained_ = true;
            CheckSponsorAd();
            return;
        }
        sponsorRequest_ = client_->GetWithTimeout(adServer + "/" + name, AdLocalPath(name), timeout_);
        return;
    }
    while (nextAd_ < adList_.size()) {
        const std::string name = adList_[nextAd_++].GetName();
        if (!IsSafeAdName(name)) {
            SendError("Cannot download an ad.");
            continue;
        }
        Version version;
        if (ReadSrfVersion(AdLocalPath(name), version)) continue;
        listAdRequest_ = client_->GetWithTimeout(adServer + "/" + name, AdLocalPath(name), 0);
        return;
    }
    listAdRequest_ = 0;
}

bool ClientFolderExists(const std::string& name) {
    return ClientFolderExists(name, ProgramFolder());
}

bool CreateClientFolder(const std::string& name) {
    return CreateClientFolder(name, ProgramFolder());
}
