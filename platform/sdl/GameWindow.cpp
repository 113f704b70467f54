// The game window over SDL2: a window (framed, or covering the display through
// SDL's full-screen desktop mode), a renderer whose logical size is the client
// size (so the picture scales and SDL maps mouse positions back to client
// pixels), and a streaming texture that receives the back buffer at present.

#include "platform/GameWindow.h"

#include "platform/DialogWindow.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

struct SdlDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
    void operator()(SDL_Cursor* c) const { SDL_FreeCursor(c); }
};

struct Window {
    std::unique_ptr<SDL_Window, SdlDeleter> window;
    std::unique_ptr<SDL_Renderer, SdlDeleter> renderer;
    std::unique_ptr<SDL_Texture, SdlDeleter> texture;
    std::unique_ptr<SDL_Cursor, SdlDeleter> cursor;
    std::unique_ptr<Surface> back;
    std::vector<std::uint32_t> pixels;  // the game's picture converted
    // With dialogs over the picture: the picture with them laid over, and what was
    // handed to the screen from it.
    std::unique_ptr<Surface> composed;
    std::vector<std::uint32_t> shown;
    bool overlaid = false;  // the last present laid dialogs over the picture
    WindowProcedure procedure = nullptr;
    void* data = nullptr;
    bool changed = true;
    bool whole = true;  // the next present converts the whole frame
    struct Box {
        int x, y, w, h;
    };
    static constexpr std::size_t kMaxBoxes = 64;
    std::vector<Box> boxes;  // else these rectangles
    PresentStats last;
    bool covering = false;
};

std::vector<std::unique_ptr<Window>>& Windows() {
    static std::vector<std::unique_ptr<Window>> windows;
    return windows;
}

Window* Find(WindowHandle handle) {
    if (handle == nullptr) {
        return nullptr;
    }
    for (auto& w : Windows()) {
        if (w->window.get() == handle) {
            return w.get();
        }
    }
    return nullptr;
}

WindowLifeHook lifeHook = nullptr;

// SDL falls back to its off-screen driver when no display server answers: for the
// program that is no display at all. Asked for by name, it is a headless run.
bool HasDisplay() {
    const char* current = SDL_GetCurrentVideoDriver();
    if (current == nullptr) {
        return false;
    }
    if (std::strcmp(current, "offscreen") != 0) {
        return true;
    }
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return asked != nullptr && std::strstr(asked, "offscreen") != nullptr;
}

// Keeps the video subsystem up while a window or a query needs it.
bool VideoUp() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    return HasDisplay();
}

// Titles are Windows-1252; SDL takes UTF-8. Codes 0x80-0x9F are shown as '?'.
std::string TitleUtf8(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0xA0) {
            out.push_back('?');
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

void SetWindowLifeHook(WindowLifeHook hook) {
    lifeHook = hook;
}

bool DisplayInUse() {
    const bool wasUp = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    if (VideoUp()) {
        return true;
    }
    // Video started here on no display is not kept: a later start tries again.
    if (!wasUp && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    return false;
}

ScreenMetrics GetScreenMetrics() {
    ScreenMetrics m;
    if (!VideoUp()) {
        return m;
    }
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        m.screenWidth = mode.w;
        m.screenHeight = mode.h;
        m.bitsPerPixel = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    }
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        m.workWidth = usable.w;
        m.workHeight = usable.h;
    } else {
        m.workWidth = m.screenWidth;
        m.workHeight = m.screenHeight;
    }
    return m;
}

WindowHandle CreateGameWindow(const GameWindowDesc& desc) {
    if (desc.clientWidth < 1 || desc.clientHeight < 1 || !VideoUp()) {
        return nullptr;
    }
    auto w = std::make_unique<Window>();
    const Uint32 flags =
        SDL_WINDOW_SHOWN | (desc.framed ? 0u : static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    w->window.reset(
        SDL_CreateWindow(TitleUtf8(desc.title).c_str(), 0, 0, desc.clientWidth, desc.clientHeight, flags));
    if (!w->window && !desc.framed) {
        w->window.reset(SDL_CreateWindow(TitleUtf8(desc.title).c_str(), 0, 0, desc.clientWidth,
                                         desc.clientHeight, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS));
    }
    if (!w->window) {
        return nullptr;
    }
    w->renderer.reset(SDL_CreateRenderer(w->window.get(), -1, 0));
    if (!w->renderer) {
        w->renderer.reset(SDL_CreateRenderer(w->window.get(), -1, SDL_RENDERER_SOFTWARE));
    }
    if (!w->renderer) {
        return nullptr;
    }
    SDL_RenderSetLogicalSize(w->renderer.get(), desc.clientWidth, desc.clientHeight);
    w->texture.reset(SDL_CreateTexture(w->renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, desc.clientWidth, desc.clientHeight));
    w->back = std::make_unique<Surface>(desc.clientWidth, desc.clientHeight, desc.depth == 8 ? 8 : 32, false);
    if (!w->texture || !w->back->Valid()) {
        return nullptr;
    }
    w->pixels.assign(static_cast<std::size_t>(desc.clientWidth) * static_cast<std::size_t>(desc.clientHeight),
                     0);
    w->cursor.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
    if (w->cursor) {
        SDL_SetCursor(w->cursor.get());
    }
    w->covering = (SDL_GetWindowFlags(w->window.get()) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                  SDL_WINDOW_FULLSCREEN_DESKTOP;
    w->procedure = desc.procedure;
    WindowHandle handle = w->window.get();
    Windows().push_back(std::move(w));
    if (desc.procedure != nullptr) {
        desc.procedure(handle, static_cast<std::uint32_t>(WinMsg::Create), 0,
                       reinterpret_cast<std::intptr_t>(desc.createParam));
        // As window creation did: the procedure learns the client size at once.
        desc.procedure(handle, static_cast<std::uint32_t>(WinMsg::Size), Num(SizeKind::Restored),
                       MakeLParam(desc.clientWidth, desc.clientHeight));
    }
    if (lifeHook != nullptr) {
        lifeHook(handle, desc.procedure, true);
    }
    return handle;
}

void DestroyGameWindow(WindowHandle window) {
    Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    if (w->procedure != nullptr) {
        w->procedure(window, static_cast<std::uint32_t>(WinMsg::Destroy), 0, 0);
    }
    if (lifeHook != nullptr) {
        lifeHook(window, w->procedure, false);
    }
    auto& all = Windows();
    all.erase(
        std::remove_if(all.begin(), all.end(), [window](const auto& p) { return p->window.get() == window; }),
        all.end());
}

bool IsGameWindow(WindowHandle window) {
    return Find(window) != nullptr;
}

WindowHandle MainGameWindow() {
    return Windows().empty() ? nullptr : Windows().front()->window.get();
}

void SetWindowData(WindowHandle window, void* data) {
    if (Window* w = Find(window)) {
        w->data = data;
    }
}

void* GetWindowData(WindowHandle window) {
    const Window* w = Find(window);
    return w != nullptr ? w->data : nullptr;
}

WindowProcedure GetWindowProcedure(WindowHandle window) {
    const Window* w = Find(window);
    return w != nullptr ? w->procedure : nullptr;
}

std::intptr_t DefaultWindowProcedure(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) {
    return 0;
}

int ClientWidth(WindowHandle window) {
    const Window* w = Find(window);
    return w != nullptr ? w->back->Width() : 0;
}

int ClientHeight(WindowHandle window) {
    const Window* w = Find(window);
    return w != nullptr ? w->back->Height() : 0;
}

bool IsCoveringDisplay(WindowHandle window) {
    const Window* w = Find(window);
    return w != nullptr && w->covering;
}

Surface* GetBackBuffer(WindowHandle window) {
    Window* w = Find(window);
    return w != nullptr ? w->back.get() : nullptr;
}

WindowHandle WindowFromSurface(const Surface* surface) {
    for (auto& w : Windows()) {
        if (surface != nullptr && w->back.get() == surface) {
            return w->window.get();
        }
    }
    return nullptr;
}

void MarkBackBufferChanged(WindowHandle window) {
    if (Window* w = Find(window)) {
        w->changed = true;
        w->whole = true;
    }
}

void MarkBackBufferChanged(WindowHandle window, int x, int y, int width, int height) {
    Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = std::min(x + width, w->back->Width());
    const int y1 = std::min(y + height, w->back->Height());
    if (x1 <= x0 || y1 <= y0) {
        return;
    }
    if (!w->changed) {
        w->whole = false;
        w->boxes.clear();
    }
    w->changed = true;
    if (w->whole) {
        return;
    }
    if (w->boxes.size() >= Window::kMaxBoxes) {
        w->whole = true;
        return;
    }
    w->boxes.push_back(Window::Box{x0, y0, x1 - x0, y1 - y0});
}

PresentStats LastPresentStats(WindowHandle window) {
    const Window* w = Find(window);
    return w != nullptr ? w->last : PresentStats{};
}

void SetBackBufferColours(WindowHandle window, const ColourTable& colours) {
    if (Window* w = Find(window)) {
        w->back->Colours() = colours;
        w->changed = true;
        w->whole = true;
    }
}

namespace {

// Converts the back buffer's pixels of one rectangle into the texture's format.
void ConvertBox(Window& w, const Window::Box& b) {
    const Surface& back = *w.back;
    const std::size_t width = static_cast<std::size_t>(back.Width());
    if (back.Depth() == 8) {
        std::array<std::uint32_t, 256> lut{};
        for (std::size_t i = 0; i < 256; ++i) {
            const Rgb& c = back.Colours()[i];
            lut[i] = 0xFF000000u | (static_cast<std::uint32_t>(c.r) << 16) |
                     (static_cast<std::uint32_t>(c.g) << 8) | c.b;
        }
        for (int y = b.y; y < b.y + b.h; ++y) {
            const std::uint8_t* src = back.Row(y) + b.x;
            std::uint32_t* dst =
                w.pixels.data() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(b.x);
            for (int x = 0; x < b.w; ++x) {
                dst[x] = lut[src[x]];
            }
        }
        return;
    }
    for (int y = b.y; y < b.y + b.h; ++y) {
        const std::uint8_t* src = back.Row(y) + static_cast<std::size_t>(b.x) * 4;
        std::uint32_t* dst =
            w.pixels.data() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(b.x);
        for (int x = 0; x < b.w; ++x, src += 4) {
            dst[x] = 0xFF000000u | (static_cast<std::uint32_t>(src[2]) << 16) |
                     (static_cast<std::uint32_t>(src[1]) << 8) | src[0];
        }
    }
}

}  // namespace

namespace {

// Lays the owner's dialogs over a copy of the converted picture and hands the
// whole frame on; the game's own pixels stay as they were converted.
void PresentWithDialogs(Window& w, WindowHandle window, PresentStats& stats) {
    const int width = w.back->Width();
    const int height = w.back->Height();
    if (!w.composed) w.composed = std::make_unique<Surface>(width, height, 32, false);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(w.composed->Row(y), w.pixels.data() + static_cast<std::size_t>(y) * width, rowBytes);
    w.overlaid = LayDialogs(window, *w.composed);
    w.shown.resize(w.pixels.size());
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = w.composed->Row(y);
        std::uint32_t* out = w.shown.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x, row += 4)
            out[x] = 0xFF000000u | (static_cast<std::uint32_t>(row[2]) << 16) |
                     (static_cast<std::uint32_t>(row[1]) << 8) | row[0];
    }
    SDL_UpdateTexture(w.texture.get(), nullptr, w.shown.data(), width * 4);
    stats.whole = true;
    stats.rectangles = 1;
    stats.pixels = static_cast<long>(width) * height;
}

}  // namespace

void PresentWindow(WindowHandle window) {
    Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    const bool dialogs = DialogsOverOwner(window);
    if (!w->changed && !dialogs) {
        w->last = PresentStats{};
        return;
    }
    const int width = w->back->Width();
    const int height = w->back->Height();
    PresentStats stats;
    if (w->changed) {
        if (w->whole) {
            ConvertBox(*w, Window::Box{0, 0, width, height});
        } else {
            for (const Window::Box& b : w->boxes) {
                ConvertBox(*w, b);
            }
        }
    }
    if (dialogs) {
        PresentWithDialogs(*w, window, stats);
    } else if (w->whole) {
        SDL_UpdateTexture(w->texture.get(), nullptr, w->pixels.data(), width * 4);
        stats.whole = true;
        stats.rectangles = 1;
        stats.pixels = static_cast<long>(width) * height;
    } else {
        for (const Window::Box& b : w->boxes) {
            const SDL_Rect r{b.x, b.y, b.w, b.h};
            SDL_UpdateTexture(w->texture.get(), &r,
                              w->pixels.data() +
                                  static_cast<std::size_t>(b.y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(b.x),
                              width * 4);
            ++stats.rectangles;
            stats.pixels += static_cast<long>(b.w) * b.h;
        }
    }
    if (!dialogs) w->overlaid = false;
    w->changed = false;
    w->boxes.clear();
    w->whole = false;
    w->last = stats;
    SDL_SetRenderDrawColor(w->renderer.get(), 0, 0, 0, 255);
    SDL_RenderClear(w->renderer.get());
    SDL_RenderCopy(w->renderer.get(), w->texture.get(), nullptr, nullptr);
    SDL_RenderPresent(w->renderer.get());
}

bool CopyPresentedFrame(WindowHandle window, Surface& out) {
    const Window* w = Find(window);
    if (w == nullptr || out.Depth() != 32 || out.Width() != w->back->Width() ||
        out.Height() != w->back->Height()) {
        return false;
    }
    const std::vector<std::uint32_t>& frame = w->overlaid ? w->shown : w->pixels;
    for (int y = 0; y < out.Height(); ++y) {
        std::uint8_t* row = out.Row(y);
        const std::uint32_t* in =
            frame.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.Width());
        for (int x = 0; x < out.Width(); ++x, row += 4) {
            row[0] = static_cast<std::uint8_t>(in[x]);
            row[1] = static_cast<std::uint8_t>(in[x] >> 8);
            row[2] = static_cast<std::uint8_t>(in[x] >> 16);
            row[3] = 0;
        }
    }
    return true;
}

void PresentAllWindows() {
    for (auto& w : Windows()) {
        PresentWindow(w->window.get());
    }
}

void ShowWarningBox(const std::string& text, const std::string& title) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, TitleUtf8(title).c_str(), TitleUtf8(text).c_str(),
                             nullptr);
}

}  // namespace platform
