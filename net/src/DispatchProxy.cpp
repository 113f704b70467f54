#include "net/DispatchProxy.h"

#include <vector>

#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "net/DispatchIni.h"
#include "net/DispatchMsg.h"
#include "net/HttpClient.h"
#include "net/HttpResponseMsg.h"

namespace {

constexpr char kMissing[] = "_eRrOr_";
constexpr std::uint32_t kTextSize = 513;
constexpr char kDispatchSection[] = "Dispatch File";
constexpr char kWebSection[] = "Web Server";
constexpr char kHttpName[] = "HTTP Server Name";
constexpr char kHttpPort[] = "HTTP Server Port";

std::string OrEmpty(std::string text) {
    return text == kMissing ? std::string() : text;
}

}  // namespace

DispatchProxy::DispatchProxy(MsgReceiver* receiver) : info_(std::make_unique<DispatchInfo>()) {
    client_ = std::make_unique<HttpClient>(this);
    xTry([&] {
        xFileSpec local = xFileGetApplicationFileSpec();
        xFileChangeFileSpec(local, kLocalName);
        localPath_ = local.c_str();
    });
    if (receiver != nullptr) AddReceiver(receiver);
}

DispatchProxy::~DispatchProxy() {
    // The client's last messages must not reach a proxy that is going.
    client_->RemoveReceiver(this);
    client_.reset();
}

void DispatchProxy::SetTimeout(std::int32_t ms) {
    timeout_ = ms;
}

void DispatchProxy::SetUserAgent(const std::string& agent) {
    client_->SetUserAgent(agent);
}

void DispatchProxy::AddServer(const std::string& host, int port) {
    client_->AddServer(host, port);
}

void DispatchProxy::SetDispatchPath(const std::string& path) {
    dispatchPath_ = path;
}

void DispatchProxy::OnStarting() {
    client_->SetDefaultTimeout(timeout_);
    client_->Get(dispatchPath_, localPath_);
    Started();
}

std::int32_t DispatchProxy::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const bool ours = from == static_cast<MsgSender*>(client_.get()) && msg.Is<HttpResponseMsg>();
    if (ours && !fromQueue) {
        if (!queued) QueueMsg(msg, from);
        return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, true);
    }
    if (ours) {
        if (const auto* data = dynamic_cast<const HttpResponseReceivedDataMsg*>(&msg)) {
            Send(DispatchReceivedDataMsg(data->GetData(), data->GetLength()));
            return 0;
        }
        if (msg.Is<HttpResponseStartedMsg>()) {
            Send(DispatchStartedMsg());
            return 0;
        }
        if (const auto* done = dynamic_cast<const HttpResponseDoneMsg*>(&msg)) {
            OnHttpMsg(*done);
            return 0;
        }
        if (msg.Is<HttpResponseFailedMsg>() || msg.Is<HttpResponseTimedOutMsg>()) {
            Fail();
            return 0;
        }
    }
    return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
}

void DispatchProxy::OnHttpMsg(const HttpResponseDoneMsg& msg) {
    if (IsStarted()) {
        if (!ParseDispatchFile(msg.GetPath(), *info_)) {
            Fail();
        } else {
            Send(DispatchSucceededMsg(*info_));
            Stop();
        }
    }
    const xFileSpec local(msg.GetPath().c_str());
    if (xFileExists(local)) xTry([&] { xFileDelete(local); });
}

std::string DispatchProxy::ReadText(const std::string& path, const std::string& section, const char* key) {
    std::vector<char> text(kTextSize);
    DispatchIniGetString(section.c_str(), key, kMissing, text.data(), kTextSize, path.c_str());
    return std::string(text.data());
}

template <typename Read>
std::int32_t DispatchProxy::ReadNumbered(const std::string& path, const std::string& prefix,
                                         const char* nameKey, Read&& read) {
    std::int32_t count = 0;
    while (count < DispatchInfo::kMaxServers) {
        // Built at any length: the prefix comes from the downloaded file.
        const std::string section = prefix + " " + std::to_string(count + 1);
        const std::string name = ReadText(path, section, nameKey);
        if (name == kMissing) break;
        read(section, name, count);
        ++count;
    }
    return count;
}

bool DispatchProxy::ParseDispatchFile(const std::string& path, DispatchInfo& info) {
    info.updateScriptServerPath = ReadText(path, kDispatchSection, "Update Script Server Path");
    info.registerCgiName = ReadText(path, kDispatchSection, "Register CGI Name");
    info.validateCgiName = ReadText(path, kDispatchSection, "Validate CGI Name");
    info.changeCgiName = ReadText(path, kDispatchSection, "Change CGI Name");

    info.webServerName = OrEmpty(ReadText(path, kWebSection, kHttpName));
    info.webServerPort = DispatchIniGetInt(kWebSection, kHttpPort, 0, path.c_str());
    info.sponsorsCgi = OrEmpty(ReadText(path, kWebSection, "Sponsors CGI"));
    info.successPage = OrEmpty(ReadText(path, kWebSection, "Success Page"));
    info.errorPage = OrEmpty(ReadText(path, kWebSection, "Error Page"));

    info.registrationServerCount =
        ReadNumbered(path, ReadText(path, kDispatchSection, "Registration Server Section"), kHttpName,
                     [&](const std::string& section, const std::string& name, std::int32_t i) {
                         info.registrationServers[static_cast<std::size_t>(i)] = RegistrationServer{
                             name, DispatchIniGetInt(section.c_str(), kHttpPort, 0, path.c_str())};
                     });
    info.contentServerCount =
        ReadNumbered(path, ReadText(path, kDispatchSection, "Content Server Section"), kHttpName,
                     [&](const std::string& section, const std::string& name, std::int32_t i) {
                         info.contentServers[static_cast<std::size_t>(i)] = ContentServer{
                             name, DispatchIniGetInt(section.c_str(), kHttpPort, 0, path.c_str())};
                     });
    info.gameListServerCount =
        ReadNumbered(path, ReadText(path, kDispatchSection, "Game List Server Section"), "IRC Server Name",
                     [&](const std::string& section, const std::string& name, std::int32_t i) {
                         GameListServer& s = info.gameListServers[static_cast<std::size_t>(i)];
                         s.serverName = name;
                         s.port = DispatchIniGetInt(section.c_str(), "IRC Server Port", 0, path.c_str());
                         s.serverPassword = ReadText(path, section, "IRC Server Password");
                         s.channelName = ReadText(path, section, "IRC Channel Name");
                         s.channelPassword = ReadText(path, section, "IRC Channel Password");
                         s.botNickname = ReadText(path, section, "IRC Bot Nickname");
                     });
    return info.registrationServerCount >= 1 && info.contentServerCount >= 1 && info.gameListServerCount >= 1;
}
