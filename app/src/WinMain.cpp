#include "app/WinMain.h"

#include <cstdint>
#include <string>

#include "divir/xError.h"
#include "divir/xKeyQueue.h"
#include "divir/xVersionInfo.h"
#include "framework/ErrorMsg.h"
#include "framework/MessagePump.h"
#include "framework/ObjectRegistry.h"
#include "framework/XApplication.h"

namespace {

constexpr std::uint32_t kTimerPeriodMs = 33;
constexpr char kDefaultProductName[] = "XApplication";
constexpr char kInternalError[] =
    "An unusual internal error occurred.\nPlease check your connection to the Internet\nor try to play again "
    "later.";

// The product name of the program's own version record, or empty.
std::optional<std::string> ReadProductName(const std::string& programPath) {
    char name[255] = {};
    std::uint16_t major = 0, minor = 0, release = 0;
    if (!ReadVersionInfo(programPath.c_str(), &major, &minor, &release, nullptr, name, sizeof name, nullptr,
                         0, nullptr, 0))
        return std::nullopt;
    return std::string(name);
}

// The machine checks in their order; the text of the first that fails, or empty.
std::string CheckMachine(const EntryPlatform& p, const std::string& product) {
    if (p.processorIs386) return "You need a 486/66 processor or better to run " + product + ".";

    // The program's folder is the base of every relative path the game uses.
    const std::string& path = p.programPath;
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && p.setCurrentFolder) p.setCurrentFolder(path.substr(0, slash));

    if (p.systemIsWin32s) return "You need Windows95 or later to run " + product + ".";
    xIsWindowsNT = p.systemIsNT ? 1 : 0;

    const auto mode = p.displayMode ? p.displayMode() : std::nullopt;
    // Without any display the colour-depth check is the one that fails.
    if (!mode || mode->bitsPerPixel < 8)
        return "You need to set your video display to at least 256 colors to run " + product +
               ".\nOpen the Control Panel, double-click Display, and click on the Settings tab\nto change "
               "the color "
               "palette.";
    if (mode->width < 640 || mode->height < 480)
        return "You need to set your video display to at least 640x480 to run " + product +
               ".\nOpen the Control Panel, double-click Display, and click on the Settings tab\nto change "
               "the desktop "
               "area.";

    if (p.claimSingleInstance && !p.claimSingleInstance(path))
        return product + " is already running.\nYou cannot run more than one client.";
    return {};
}

std::string ExitCodeText(std::int32_t code, const std::string& product) {
    switch (code) {
        case 1:
            return "There is not enough memory available to run " + product +
                   " (10MB required). Try closing other programs or restarting Windows, and make sure there "
                   "is at "
                   "least 10MB of free space on your hard drive for virtual memory.";
        case 2:
            return "There are not enough system resources available. Try closing other applications or "
                   "restarting "
                   "Windows.";
        case 8:
            return "User break.  (This is not an error.)";
        case 17:
            return product +
                   " can't find any sound card drivers. You MUST have a properly-installed sound card to "
                   "play " +
                   product +
                   ".  If you have a sound card, make sure you have the appropriate drivers installed.";
        case 18:
            return "Your sound card does not appear to support 16-bit sound.  If you have the right sound "
                   "card, make "
                   "sure you are using the most recent drivers, which you may be able to download from the "
                   "sound "
                   "card manufacturer's Web pages.";
        case 19:
            return "Your sound card is in use by another program (such as Media Player or some Web "
                   "browsers).  Try "
                   "quitting your Web browser and launching " +
                   product + " from the Start menu or try restarting Windows.";
        case 27:
            // The missing space and "you system" are the system's own text.
            return product + "can't use the sound support in you system.  " + product +
                   " can't play without sound support.  If you have a sound card, make sure you have the "
                   "appropriate "
                   "drivers installed.";
        default:
            return kInternalError;
    }
}

// The start and the main loop, inside the guarded block; the exit message when
// something was thrown out of them.
std::string RunApplication(platform::MessageQueue* queue, const std::function<void()>& presentFrame) {
    try {
        if (queue == nullptr || queue->StartThreadTimer(kTimerPeriodMs) == 0) throw 0;
        GetApplicationObject()->Start();
        for (;;) {
            XApplication* app = GetApplicationObject();
            if (app->IsStopped()) break;
            if (xPendingExitCode != 0) break;
            xAppInBackground = queue->IsForeground() ? 0 : 1;
            PumpMessages();
            xAppInBackground = 0;
            GetApplicationObject()->RunExecutables();
            if (presentFrame) presentFrame();
        }
    } catch (const ErrorMsg& error) {
        xAppInBackground = 0;
        return error.GetText();
    } catch (...) {
        xAppInBackground = 0;
        return kInternalError;
    }
    return {};
}

}  // namespace

int WinMain(EntryPlatform& entry) {
    std::string exitMessage;
    xIsWindowsNT = 0;
    xInstance = entry.instance;

    std::string product = kDefaultProductName;
    const auto name =
        entry.productName ? entry.productName(entry.programPath) : ReadProductName(entry.programPath);
    if (name) product = *name;

    exitMessage = CheckMachine(entry, product);
    if (exitMessage.empty()) {
        platform::MessageQueue* const queueBefore = platform::MessageQueue::Install(entry.queue);
        // Key readers pump while they wait for a key.
        xSetKeyPump(&PumpMessages);
        xErrorSetDetail(nullptr);
        xEscapeHandling = 0;
        xEscapePending = 0;
        xClosePending = 0;
        exitMessage = RunApplication(entry.queue, entry.presentFrame);

        const std::int16_t kept = xErrorCode;
        ObjectRegistry::DestroyAll();
        xErrorCode = kept;
        xSetKeyPump(nullptr);
        platform::MessageQueue::Install(queueBefore);

        if (exitMessage.empty() && (xErrorCode > 0 || xPendingExitCode != 0))
            exitMessage = ExitCodeText(xPendingExitCode != 0 ? xPendingExitCode : xErrorCode, product);
    }

    if (!exitMessage.empty()) xAlert((product + " - Error").c_str(), "%s", exitMessage.c_str());
    return 0;
}
