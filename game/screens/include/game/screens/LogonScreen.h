#pragma once

// The screen during which the player logs on: it shows nothing of its own. Its
// start opens the logon and registration dialogs over the main window, which
// talk to the registration server through the screen's own HTTP client; their
// outcome becomes LogonScreenSucceededMsg or LogonScreenCanceledMsg. Its stop
// closes whatever dialog is still open, and completes when the dialogs report
// that they are closed.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Screen.h"
#include "net/LogonForm.h"

class HttpClient;
class Version;
namespace platform {
class Registry;
}

class LogonScreen : public Screen {
  public:
    // The registry holds the saved players the logon dialog offers.
    LogonScreen(UI* root, std::int32_t layer, platform::Registry& registry);
    // Dialogs still open are closed first: they use the screen's HTTP client.
    ~LogonScreen() override;

    virtual void SetProgramId(const std::string& text) { programId_ = text; }
    virtual void SetOriginCode(const std::string& text) { originCode_ = text; }
    virtual void SetVersion(const Version& version);
    // The four parts as they are, valid or not.
    virtual void SetVersion(std::int32_t major, std::int32_t minor, std::int32_t release, std::int32_t build);
    virtual void SetPlatform(const std::string& text) { platform_ = text; }
    virtual void SetUserAgent(const std::string& text);
    virtual void AddServer(const std::string& host, int port);
    virtual void SetText2(const std::string& text) { text2_ = text; }
    virtual void SetText3(const std::string& text) { text3_ = text; }
    virtual void SetText4(const std::string& text) { text4_ = text; }
    virtual void SetSimulateLogon(bool simulate) { simulate_ = simulate; }
    virtual bool IsSimulateLogon() { return simulate_; }
    // Completes the stop.
    virtual void FinishStop();

    // Throws the integer 0 when the dialogs cannot be opened.
    void OnStarting() override;
    void OnStopping() override;

    HttpClient& GetHttpClient() { return *client_; }
    std::string GetVersionText() const;

  private:
    friend void LogonCompleted(int code, const LogonResult* result, std::intptr_t screen);

    std::unique_ptr<HttpClient> client_;
    // The servers as added: a server takes the agent it is added with.
    std::vector<std::pair<std::string, int>> servers_;
    platform::Registry& registry_;
    std::string programId_;
    std::string originCode_;
    std::array<std::int32_t, 4> version_{-1, -1, -1, -1};
    std::string platform_;
    std::string text2_;
    std::string text3_;
    std::string text4_;
    bool simulate_ = false;
    bool dying_ = false;
};

// The dialogs' completion: 0 logged on (LogonScreenSucceededMsg), 1 and 2
// LogonScreenCanceledMsg, 3 closed by the stop (which it completes).
void LogonCompleted(int code, const LogonResult* result, std::intptr_t screen);

// "<None>" for four absent parts; "1.2.3", "1.2.3.*" or "1.2.3.4"; else "<Invalid>".
std::string VersionToText(std::int32_t major, std::int32_t minor, std::int32_t release, std::int32_t build);

// The server's "adult" answer among the other lines of a logon: the first line
// that begins with "adult" decides, by the character after "adult" and one
// separator ('Y' is adult); a line too short for it is not adult.
bool LogonAdultFlag(const std::vector<std::string>& lines);
