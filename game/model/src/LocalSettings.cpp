#include "game/model/LocalSettings.h"

#include <array>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "divir/xTokenizer.h"
#include "platform/HostFileSystem.h"
#include "platform/HostPath.h"
#include "platform/PrivateProfile.h"
#include "platform/Registry.h"

namespace {

constexpr char kSection[] = "Debug";
constexpr char kNotFound[] = "nOtFoUnD";
constexpr std::uint32_t kValueSize = 255;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool HasIniExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = path.substr(dot);
    if (extension.find_first_of("\\/") != std::string_view::npos) return false;
    return SameIgnoringCase(extension, ".ini");
}

bool Exists(const std::string& windowsPath) {
    return platform::HostFileExists(platform::ResolveHostPath(windowsPath));
}

class DebugSection {
  public:
    explicit DebugSection(std::string path) : path_(std::move(path)) {}

    std::string Text(const char* key, const std::string& defaultText) const {
        std::array<char, kValueSize> value{};
        platform::GetPrivateProfileString(kSection, key, defaultText.c_str(), value.data(), kValueSize,
                                          path_.c_str());
        return value.data();
    }
    // False when the key is absent.
    bool Present(const char* key, std::string& value) const {
        value = Text(key, kNotFound);
        return value != kNotFound;
    }
    std::int32_t Number(const char* key, std::int32_t defaultValue) const {
        std::string value;
        if (!Present(key, value)) return defaultValue;
        // Leading blanks, a sign and digits; anything else reads as 0, and the value
        // saturates at the range of 32 bits.
        const long long number = std::strtoll(value.c_str(), nullptr, 10);
        if (number > INT32_MAX) return INT32_MAX;
        if (number < INT32_MIN) return INT32_MIN;
        return static_cast<std::int32_t>(number);
    }
    bool Flag(const char* key) const {
        std::string value;
        return Present(key, value) && (value == "1" || SameIgnoringCase(value, "true"));
    }
    // True unless the key says "0" or "false".
    bool InvertedFlag(const char* key, bool absent) const {
        std::string value;
        if (!Present(key, value)) return absent;
        return !(value == "0" || SameIgnoringCase(value, "false"));
    }

  private:
    std::string path_;
};

bool RegistryAsksForFullScreen(platform::Registry& registry) {
    platform::RegistryKey key = 0;
    if (!registry.OpenKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine),
                          LocalSettings::kRegistryKey, key)) {
        return true;
    }
    platform::RegistryType type = platform::RegistryType::None;
    std::vector<std::uint8_t> data;
    const bool window = registry.QueryValue(key, "Window", type, data);
    registry.CloseKey(key);
    return !window;
}

}  // namespace

std::string LocalSettings::ChooseFile(std::string_view commandLine, const std::string& programFolder) {
    auto tokens = std::make_unique<xTokenizer>();
    const std::string line(commandLine.substr(0, xTokenizer::kMaxLine));
    tokens->TokenizeLine(line.c_str(), static_cast<std::int16_t>(line.size()));
    if (tokens->GetTokenCount() >= 2) {
        const std::string candidate = tokens->GetToken(1);
        if (HasIniExtension(candidate) && Exists(candidate)) return candidate;
    }
    const std::string beside = programFolder + kFileName;
    if (Exists(beside)) return beside;
    if (Exists(kFileName)) return kFileName;
    return beside;
}

LocalSettings LocalSettings::Read(std::string_view commandLine, const std::string& programFolder,
                                  platform::Registry& registry) {
    const DebugSection debug(ChooseFile(commandLine, programFolder));
    LocalSettings s;
    s.dispatchServerName = debug.Text("DispatchServerName", s.dispatchServerName);
    s.dispatchServerPort = debug.Number("DispatchServerPort", s.dispatchServerPort);
    s.dispatchServerFilePath = debug.Text("DispatchServerFilePath", s.dispatchServerFilePath);
    s.overrideGameServer = debug.Flag("OverrideGameServer");
    s.gameServerName = debug.Text("GameServerName", s.gameServerName);
    s.gameServerPort = debug.Number("GameServerPort", s.gameServerPort);
    s.listChannelName = debug.Text("ListChannelName", s.listChannelName);
    s.simulateLogon = debug.Flag("SimulateLogon");
    s.launchBrowser = debug.InvertedFlag("LaunchBrowser", true);
    s.gotoGameRoom = debug.Flag("GotoGameRoom");
    s.userName = debug.Text("UserName", s.userName);
    s.gameChannelName = debug.Text("GameChannelName", s.gameChannelName);
    s.fullScreen = debug.InvertedFlag("FullScreen", RegistryAsksForFullScreen(registry));
    s.screenBitsPerPixel = debug.Number("ScreenBitsPerPixel", s.screenBitsPerPixel);
    s.screenWidth = debug.Number("ScreenWidth", s.screenWidth);
    s.screenHeight = debug.Number("ScreenHeight", s.screenHeight);
    s.disableSound = debug.Flag("DisableSound");
    s.preflight = debug.Flag("Preflight");
    return s;
}
