#include "framework/MessagePump.h"

#include "divir/xError.h"
#include "divir/xKeyQueue.h"
#include "divir/xTryFrame.h"
#include "framework/ObjectRegistry.h"
#include "framework/XApplication.h"

using platform::Num;
using platform::WinMessage;
using platform::WinMsg;

const void* xInstance = nullptr;
std::uint8_t xIsWindowsNT = 0;
std::uint8_t xAppInBackground = 0;
std::uint8_t xEscapePending = 0;
std::uint8_t xEscapeHandling = 0;
std::uint8_t xClosePending = 0;
platform::WindowHandle xModelessDialog = nullptr;

namespace {

constexpr char kApplicationName[] = "XApplication";
constexpr std::uint16_t kEscape = 27;

// Key codes of the navigation keys in the key queue.
std::uint16_t NavigationCode(std::uintptr_t vk) {
    using platform::VirtualKey;
    switch (vk) {
        case Num(VirtualKey::Up):
            return 16;
        case Num(VirtualKey::Down):
            return 17;
        case Num(VirtualKey::Left):
            return 18;
        case Num(VirtualKey::Right):
            return 19;
        case Num(VirtualKey::Prior):
            return 20;
        case Num(VirtualKey::Next):
            return 21;
        case Num(VirtualKey::Insert):
            return 22;
        case Num(VirtualKey::Delete):
            return 23;
        case Num(VirtualKey::Home):
            return 24;
        case Num(VirtualKey::End):
            return 25;
        default:
            return 0;
    }
}

// Characters 16-25 (Ctrl+P to Ctrl+Y) would read as navigation keys in the key
// queue (Ctrl+Q as Down), so they are not queued.
bool CollidesWithNavigation(std::uint16_t code) {
    return code >= 16 && code <= 25;
}

bool IsCloseCommand(const WinMessage& m) {
    return m.message == Num(WinMsg::Quit) ||
           (m.message == Num(WinMsg::SysCommand) && (m.wParam & 0xFFF0u) == Num(platform::SysCommand::Close));
}

// Clears both Escape flags however the handling ends, an exception included.
class EscapeHandlingScope {
  public:
    EscapeHandlingScope() { xEscapeHandling = 1; }
    ~EscapeHandlingScope() {
        xEscapeHandling = 0;
        xEscapePending = 0;
    }
    EscapeHandlingScope(const EscapeHandlingScope&) = delete;
    EscapeHandlingScope& operator=(const EscapeHandlingScope&) = delete;
};

// A close is served at once by a started application, kept while it has not yet
// started (not created, or stopped before its first start, or starting), and
// dropped once it has been started and is no longer (it is closing already, or
// failed and stops by itself).
void ServeClose() {
    xClosePending = 0;
    if (!IsApplicationCreated()) {
        xClosePending = 1;
        return;
    }
    XApplication* app = GetApplicationObject();
    if (app->IsStarted())
        app->Quit();
    else if (!app->HasBeenStarted() && !app->HasErred())
        xClosePending = 1;
}

void RunEscapeHandling() {
    std::int16_t code = 0;
    {
        EscapeHandlingScope scope;
        code = xTry([] {
            XApplication* app = GetApplicationObject();
            if (app->IsStarted()) {
                if (app->IsControlPanelUp())
                    app->HideControlPanel();
                else
                    app->ShowControlPanel();
            }
        });
    }
    xThrow(code);
}

}  // namespace

XApplication* GetApplicationObject() {
    auto* app = dynamic_cast<XApplication*>(ObjectRegistry::GetSingleton(kApplicationName));
    if (app == nullptr) throw 0;
    return app;
}

bool IsApplicationCreated() {
    return ObjectRegistry::IsSingletonCreated(kApplicationName);
}

void xSetModelessDialog(platform::WindowHandle dialog) {
    if (xModelessDialog == nullptr) xModelessDialog = dialog;
}

void xClearModelessDialog(platform::WindowHandle dialog) {
    if (xModelessDialog == dialog) xModelessDialog = nullptr;
}

void PumpMessages() {
    if (platform::MessageQueue* queue = platform::MessageQueue::Current()) {
        WinMessage m;
        bool got = queue->Peek(m, platform::kKeyFirst, platform::kKeyLast, true) ||
                   queue->Peek(m, platform::kMouseFirst, platform::kMouseLast, true) ||
                   queue->Peek(m, 0, 0, true);
        if (!got && xAppInBackground) {
            queue->Get(m);
            got = true;
        }
        if (got) DispatchAppMessage(m);
    }
    if (xClosePending) ServeClose();
    if (xEscapePending && !xEscapeHandling) RunEscapeHandling();
}

void DispatchAppMessage(const WinMessage& m) {
    if (IsCloseCommand(m)) {
        // A close that arrives while the application object is being made (from a
        // pump its construction runs) must not look it up again: it waits.
        ServeClose();
        return;
    }
    platform::MessageQueue* queue = platform::MessageQueue::Current();
    const bool takenByDialog =
        xModelessDialog != nullptr && queue != nullptr && queue->IsDialogMessage(xModelessDialog, m);
    if (!takenByDialog && queue != nullptr) {
        queue->Translate(m);
        queue->Dispatch(m);
    }
    if (m.message == Num(WinMsg::KeyDown)) {
        if (const std::uint16_t code = NavigationCode(m.wParam)) xPushKey(code);
    } else if (m.message == Num(WinMsg::Char) && (static_cast<std::uint32_t>(m.lParam) & (1u << 31)) == 0) {
        const auto code = static_cast<std::uint16_t>(m.wParam & 0xFFFF);
        if (code == kEscape && IsApplicationCreated() && !xEscapeHandling)
            xEscapePending = 1;
        else if (!CollidesWithNavigation(code))
            xPushKey(code);
    }
}
