// The logon and registration dialogs over the real game window, worked through
// SDL's own event queue.
//
//   logon_dialogs_demo --shots OUT_FOLDER
//       Pushes a new user's clicks, keys and typing into SDL, presents after each
//       step and saves what the screen shows: logon.png, required.png,
//       optional.png, progress.png, one-field.png.
//   logon_dialogs_demo --interactive [PNG]
//       Runs until the dialogs end (the logon is answered locally). Prints
//       "place DIALOG CONTROL X Y" with each control's middle in window pixels
//       whenever the shown dialogs change, and "completed CODE NAME" at the end; saves
//       the last frame to PNG when given. For a person or for xdotool.

#include <SDL.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/MessagePump.h"
#include "net/HttpClient.h"
#include "net/LogonDialogData.h"
#include "net/LogonDialogs.h"
#include "net/SavedPlayers.h"
#include "platform/DialogWindow.h"
#include "platform/FontFace.h"
#include "platform/GameWindow.h"
#include "platform/SdlMessageQueue.h"

namespace {

void PutBig32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBig32(out, static_cast<std::uint32_t>(
                      crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

bool WritePng(const std::string& path, const platform::Surface& s) {
    std::string raw;
    for (int y = 0; y < s.Height(); ++y) {
        raw += '\0';
        const std::uint8_t* row = s.Row(y);
        for (int x = 0; x < s.Width(); ++x) {
            raw += static_cast<char>(row[x * 4 + 2]);
            raw += static_cast<char>(row[x * 4 + 1]);
            raw += static_cast<char>(row[x * 4]);
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), 9) != Z_OK) {
        return false;
    }
    packed.resize(size);
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBig32(header, static_cast<std::uint32_t>(s.Width()));
    PutBig32(header, static_cast<std::uint32_t>(s.Height()));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    std::ofstream out(path, std::ios::binary);
    out << png;
    return static_cast<bool>(out);
}

std::vector<int> gCodes;
std::string gUserName;  // the one logged on

void Completed(int code, const LogonResult* /*result*/, std::intptr_t /*user*/) {
    gCodes.push_back(code);
    if (LogonDialogs* dialogs = CurrentLogonDialogs(); dialogs != nullptr && code == 0)
        gUserName = dialogs->Exchange().userName;
}

class Demo {
  public:
    bool Open(const std::string& folder) {
        platform::MessageQueue::Install(&queue_);
        font_ = platform::OpenFontFace(platform::FontRequest{"Arial", 13, 400, false});
        platform::SetDialogFont(font_.get());
        platform::GameWindowDesc desc;
        desc.title = "Vizuzor logon";
        desc.procedure = &platform::DefaultWindowProcedure;
        window_ = platform::CreateGameWindow(desc);
        if (window_ == nullptr) {
            std::fprintf(stderr, "no game window: %s\n", SDL_GetError());
            return false;
        }
        registry_ = std::make_unique<platform::Registry>(folder + "/registry.txt");
        registryPath_ = folder + "/registry.txt";
        SavePlayer(*registry_, "Bob", "secret", true, 20);
        SavePlayer(*registry_, "Alice", "", false, 10);
        SetLogonTestMode(true);
        dialogs_ = StartLogonDialogs(window_, client_, &Completed, 0, "", "register", "validate", "change",
                                     "ORI", "1.0.0.0", "LNX", *registry_);
        return dialogs_ != nullptr;
    }

    ~Demo() {
        CloseLogonDialogs();
        if (window_ != nullptr) platform::DestroyGameWindow(window_);
        platform::MessageQueue::Install(nullptr);
        if (!registryPath_.empty()) std::remove(registryPath_.c_str());
    }

    // Serves what is pending, then presents.
    void Settle() {
        platform::WinMessage m;
        for (int guard = 0; guard < 200 && queue_.Peek(m, 0, 0, false); ++guard) PumpMessages();
        client_.Execute();
        platform::PresentAllWindows();
    }

    // One pass that waits for input (or a timer) when nothing is pending.
    void Pass() {
        xAppInBackground = 1;
        PumpMessages();
        xAppInBackground = 0;
        client_.Execute();
        platform::PresentAllWindows();
    }

    std::uint32_t WindowId() const { return SDL_GetWindowID(static_cast<SDL_Window*>(window_)); }

    void ClickAt(int x, int y) {
        for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event e{};
            e.type = type;
            e.button.windowID = WindowId();
            e.button.button = SDL_BUTTON_LEFT;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.clicks = 1;
            e.button.x = x;
            e.button.y = y;
            SDL_PushEvent(&e);
        }
        Settle();
    }

    void Click(int dialogId, int controlId) {
        const platform::DialogPlace p = platform::GetControlPlace(dialogs_->Window(dialogId), controlId);
        ClickAt(p.x + p.width / 2, p.y + p.height / 2);
    }

    void Type(const std::string& text) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = WindowId();
        SDL_strlcpy(e.text.text, text.c_str(), sizeof e.text.text);
        SDL_PushEvent(&e);
        Settle();
    }

    void Key(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
        for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event e{};
            e.type = type;
            e.key.windowID = WindowId();
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.sym = key;
            e.key.keysym.mod = mod;
            SDL_PushEvent(&e);
        }
        Settle();
    }

    bool Shot(const std::string& path) {
        Settle();
        platform::Surface frame(platform::ClientWidth(window_), platform::ClientHeight(window_), 32, false);
        if (!platform::CopyPresentedFrame(window_, frame) || !WritePng(path, frame)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        std::printf("%s\n", path.c_str());
        return true;
    }

    // Lists every control's middle of the shown dialogs when they change.
    void PrintPlacesOnChange() {
        std::set<int> shown;
        for (const int id : {LogonDialogs::kLogon, LogonDialogs::kProgress, LogonDialogs::kRequired,
                             LogonDialogs::kOptional, LogonDialogs::kOneField}) {
            const LogonDialogState* s = dialogs_ != nullptr ? dialogs_->Find(id) : nullptr;
            if (s != nullptr && s->visible) shown.insert(id);
        }
        if (shown == shown_) return;
        shown_ = shown;
        for (const int id : shown) {
            const platform::WindowHandle w = dialogs_->Window(id);
            for (const platform::DialogControl& c : platform::GetDialogTemplate(w)->controls) {
                if (c.id <= 0) continue;
                const platform::DialogPlace p = platform::GetControlPlace(w, c.id);
                std::printf("place %d %d %d %d\n", id, c.id, p.x + p.width / 2, p.y + p.height / 2);
            }
        }
        std::printf("shown");
        for (const int id : shown) std::printf(" %d", id);
        std::printf("\n");
        std::fflush(stdout);
    }

    bool Closing() const { return xClosePending != 0; }
    LogonDialogs* Dialogs() { return CurrentLogonDialogs(); }
    platform::WindowHandle Window() const { return window_; }

  private:
    platform::SdlMessageQueue queue_;
    std::unique_ptr<platform::FontFace> font_;
    platform::WindowHandle window_ = nullptr;
    std::unique_ptr<platform::Registry> registry_;
    std::string registryPath_;
    HttpClient client_;
    LogonDialogs* dialogs_ = nullptr;
    std::set<int> shown_;
};

int Shots(const std::string& folder) {
    Demo demo;
    if (!demo.Open(folder)) return 1;
    bool ok = demo.Shot(folder + "/logon.png");
    demo.Click(LogonDialogs::kLogon, 1000);  // New Member
    for (const char* field : {"Newbie", "secret", "secret", "New Bie", "new@bie.org"}) {
        demo.Type(field);
        demo.Key(SDLK_TAB);
    }
    demo.Key(SDLK_TAB);
    demo.Type("Springfield");
    demo.Key(SDLK_TAB);
    demo.Key(SDLK_TAB);
    demo.Type("12345");
    demo.Key(SDLK_x, KMOD_LALT);  // "Se&x"
    demo.Key(SDLK_DOWN);
    demo.Click(LogonDialogs::kRequired, 1015);  // the age list opens
    ok &= demo.Shot(folder + "/required.png");
    demo.Key(SDLK_DOWN);
    demo.Key(SDLK_DOWN);
    demo.Key(SDLK_RETURN);  // closes the list
    demo.Key(SDLK_RETURN);  // Next >>
    demo.Click(LogonDialogs::kOptional, 1047);
    ok &= demo.Shot(folder + "/optional.png");
    demo.Key(SDLK_ESCAPE);                      // closes the list
    demo.Click(LogonDialogs::kOptional, 1045);  // School
    demo.Click(LogonDialogs::kOptional, 2);     // Cancel: back to the logon dialog
    LogonDialogs* dialogs = demo.Dialogs();
    if (dialogs == nullptr) return 1;
    dialogs->ShowProgressDialog("Processing registration");
    for (int i = 0; i < 45; ++i) dialogs->ProgressTick();
    ok &= demo.Shot(folder + "/progress.png");
    demo.Click(LogonDialogs::kProgress, 2);  // Cancel
    dialogs->Exchange().mode = 12;
    dialogs->ShowOneFieldDialog(12);
    demo.Type("Robert");
    ok &= demo.Shot(folder + "/one-field.png");
    demo.Key(SDLK_ESCAPE);
    demo.Key(SDLK_RETURN);  // Enter on the logon dialog: answered locally
    if (gCodes != std::vector<int>{0}) {
        std::fprintf(stderr, "the logon did not complete (%zu callbacks)\n", gCodes.size());
        ok = false;
    }
    return ok ? 0 : 1;
}

int Interactive(const std::string& png) {
    const std::string folder =
        png.empty() ? std::string(".") : png.substr(0, png.find_last_of('/') + 1) + ".";
    Demo demo;
    if (!demo.Open(folder)) return 1;
    demo.Settle();
    while (gCodes.empty() && !demo.Closing()) {
        demo.PrintPlacesOnChange();
        demo.Pass();
    }
    if (!png.empty()) {
        platform::Surface frame(platform::ClientWidth(demo.Window()), platform::ClientHeight(demo.Window()),
                                32, false);
        if (platform::CopyPresentedFrame(demo.Window(), frame)) WritePng(png, frame);
    }
    std::printf("completed %d %s\n", gCodes.empty() ? -1 : gCodes.front(), gUserName.c_str());
    return gCodes.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--shots" && argc == 3) return Shots(argv[2]);
    if (mode == "--interactive" && argc <= 3) return Interactive(argc == 3 ? argv[2] : "");
    std::fprintf(stderr, "usage: logon_dialogs_demo --shots OUT_FOLDER | --interactive [PNG]\n");
    return 2;
}
