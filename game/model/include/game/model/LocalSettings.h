#pragma once

// The game's local settings: section "Debug" of the settings file named on the
// command line or found as "Vizuzor.ini", and the registry value "Window". Every
// key is optional; an absent file leaves every default in force.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
class Registry;
}

struct LocalSettings {
    static constexpr const char* kDefaultDispatchServerName = "127.0.0.1";
    static constexpr const char* kDefaultGameServerName = "irc-dev.vizuzor.net";
    static constexpr const char* kFileName = "Vizuzor.ini";
    // Under HKEY_LOCAL_MACHINE; a value "Window" there asks for a window.
    static constexpr const char* kRegistryKey = "Software\\Halvane\\Quonza\\Brindlex";

    std::string dispatchServerName = kDefaultDispatchServerName;
    std::int32_t dispatchServerPort = 80;
    std::string dispatchServerFilePath = "picture/dispatch/client/dispatch.ini";
    bool overrideGameServer = false;
    std::string gameServerName = kDefaultGameServerName;
    std::int32_t gameServerPort = 6666;
    std::string listChannelName = "Big_List";
    bool simulateLogon = false;
    bool launchBrowser = true;
    bool gotoGameRoom = false;
    std::string userName = "Test User";
    std::string gameChannelName = "Big_000";
    bool fullScreen = true;
    std::int32_t screenBitsPerPixel = 16;
    std::int32_t screenWidth = 640;
    std::int32_t screenHeight = 480;
    bool disableSound = false;
    bool preflight = false;

    // The settings file for the command line: its first argument when that ends in
    // ".ini" (any case) and exists, else "Vizuzor.ini" in the program folder (a
    // Windows folder text ending with a separator), else in the current folder,
    // else the program folder's again.
    static std::string ChooseFile(std::string_view commandLine, const std::string& programFolder);
    // Reads the keys of the chosen file in order, with the registry step before
    // "FullScreen". The registry key is only opened, never created.
    static LocalSettings Read(std::string_view commandLine, const std::string& programFolder,
                              platform::Registry& registry);
};
