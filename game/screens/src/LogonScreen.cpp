#include "game/screens/LogonScreen.h"

#include <cstdio>

#include "framework/UIRoot.h"
#include "game/screens/LogonScreenMsgs.h"
#include "net/HttpClient.h"
#include "net/LogonDialogs.h"
#include "resource/Version.h"

LogonScreen::LogonScreen(UI* root, std::int32_t layer, platform::Registry& registry)
    : Screen(root, layer), registry_(registry) {
    // The client's messages go to the root's receiver role (the view).
    client_ = std::make_unique<HttpClient>(dynamic_cast<MsgReceiver*>(GetRoot()));
}

LogonScreen::~LogonScreen() {
    dying_ = true;
    if (CurrentLogonDialogs() != nullptr) CloseLogonDialogs();
}

void LogonScreen::SetVersion(const Version& version) {
    SetVersion(version.GetMajor(), version.GetMinor(), version.GetRelease(), version.GetBuild());
}

void LogonScreen::SetVersion(std::int32_t major, std::int32_t minor, std::int32_t release,
                             std::int32_t build) {
    version_ = {major, minor, release, build};
}

void LogonScreen::SetUserAgent(const std::string& text) {
    client_->SetUserAgent(text);
    // The servers are added before the logon is shown with the agent; each
    // keeps the agent it was added with, so they are added again. Nothing is
    // asked of them before the dialogs open.
    if (servers_.empty() || client_->GetOpenRequestCount() != 0) return;
    client_->RemoveServers();
    for (const auto& [host, port] : servers_) client_->AddServer(host, port);
}

void LogonScreen::AddServer(const std::string& host, int port) {
    const int before = client_->GetServerCount();
    client_->AddServer(host, port);
    if (client_->GetServerCount() != before) servers_.emplace_back(host, port);
}

void LogonScreen::FinishStop() {
    Screen::OnStopping();
}

std::string LogonScreen::GetVersionText() const {
    return VersionToText(version_[0], version_[1], version_[2], version_[3]);
}

void LogonScreen::OnStarting() {
    SetLogonTestMode(simulate_);
    const std::string version = GetVersionText();
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    const platform::WindowHandle window = root != nullptr ? root->GetWindow() : nullptr;
    if (StartLogonDialogs(window, *client_, &LogonCompleted, reinterpret_cast<std::intptr_t>(this),
                          programId_, text2_, text3_, text4_, originCode_, version, platform_,
                          registry_) == nullptr)
        throw 0;
    Screen::OnStarting();
}

void LogonScreen::OnStopping() {
    // Closing calls back with 3, which completes the stop; with no dialogs left
    // to close there is nobody to call back, so the stop completes here.
    if (CurrentLogonDialogs() != nullptr)
        CloseLogonDialogs();
    else
        FinishStop();
}

void LogonCompleted(int code, const LogonResult* result, std::intptr_t user) {
    auto* screen = reinterpret_cast<LogonScreen*>(user);
    if (screen == nullptr || screen->dying_) return;
    switch (code) {
        case 0:
            if (result == nullptr) return;
            screen->Send(LogonScreenSucceededMsg(
                result->playerName, result->password, static_cast<std::int32_t>(result->playerId),
                static_cast<std::int32_t>(result->playerSessionId),
                LogonAdultFlag(result->lines) ? std::uint8_t{1} : std::uint8_t{0}));
            return;
        case 1:
        case 2:
            screen->Send(LogonScreenCanceledMsg());
            return;
        case 3:
            // Only a stop in progress is completed: the dialogs may be closed
            // by someone else too.
            if (screen->IsStopping()) screen->FinishStop();
            return;
        default:
            return;
    }
}

std::string VersionToText(std::int32_t major, std::int32_t minor, std::int32_t release, std::int32_t build) {
    if (major == -1 && minor == -1 && release == -1 && build == -1) return "<None>";
    char text[100];
    if (major >= 0 && minor >= 0 && release >= 0) {
        if (build == -1) {
            std::snprintf(text, sizeof text, "%d.%d.%d", major, minor, release);
            return text;
        }
        if (build == -2) {
            std::snprintf(text, sizeof text, "%d.%d.%d.*", major, minor, release);
            return text;
        }
        if (build >= 0) {
            std::snprintf(text, sizeof text, "%d.%d.%d.%d", major, minor, release, build);
            return text;
        }
    }
    return "<Invalid>";
}

bool LogonAdultFlag(const std::vector<std::string>& lines) {
    bool adult = false;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->rfind("adult", 0) != 0) continue;
        adult = it->size() > 6 && (*it)[6] == 'Y';
    }
    return adult;
}
