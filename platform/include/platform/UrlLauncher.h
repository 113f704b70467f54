#pragma once

// Opens web pages in the user's browser. The addresses come from server data, so
// only plain http and https addresses are opened, and each is handed to the
// browser as one argument, never through a shell.

#include <string>
#include <string_view>

namespace platform {

// An http or https address without blanks or control characters.
inline bool IsLaunchableUrl(std::string_view url) {
    auto startsWith = [&](std::string_view scheme) {
        if (url.size() <= scheme.size()) return false;
        for (std::size_t i = 0; i < scheme.size(); ++i) {
            char c = url[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != scheme[i]) return false;
        }
        return true;
    };
    if (!startsWith("http://") && !startsWith("https://")) return false;
    if (url.size() > 4096) return false;
    for (char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return false;
    }
    return true;
}

class UrlLauncher {
  public:
    virtual ~UrlLauncher() = default;
    // Starts the browser on a launchable address and returns at once.
    virtual void Launch(const std::string& url) = 0;

    // The installed launcher, else the system browser through xdg-open.
    static UrlLauncher& Current();
    // Installs a borrowed launcher; null restores the default. Returns the one before.
    static UrlLauncher* Install(UrlLauncher* launcher);
};

}  // namespace platform
