#pragma once

// Stand-in for the logon screen: the operations the game view calls, doing nothing. It starts and
// stops at once. The real LogonScreen takes its place with the same name and operations.

#include <cstdint>
#include <string>

#include "framework/Screen.h"
#include "resource/Version.h"

class LogonScreen : public Screen {
  public:
    LogonScreen(UI* parent, std::int32_t layer) : Screen(parent, layer) {}
    virtual void AddServer(const std::string& /*host*/, std::int32_t /*port*/) {}
    virtual void SetProgramId(const std::string& /*text*/) {}
    virtual void SetOriginCode(const std::string& /*text*/) {}
    virtual void SetVersion(const Version& /*version*/) {}
    virtual void SetPlatform(const std::string& /*text*/) {}
    virtual void SetUserAgent(const std::string& /*text*/) {}
    virtual void SetText2(const std::string& /*text*/) {}
    virtual void SetText3(const std::string& /*text*/) {}
    virtual void SetText4(const std::string& /*text*/) {}
    virtual void SetSimulateLogon(bool /*simulate*/) {}
};
