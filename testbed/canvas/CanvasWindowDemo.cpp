// Opens the game window and shows a composed frame: filled rectangles, a frame,
// an ellipse, a line and lines of text, drawn into the mix canvas and copied to
// the window. Used by show_canvas_window.sh to capture the window under Xvfb.
// Argument: a file to create once the frame is on screen. Runs for 20 seconds.

#include "media/XAppScreenCanvas.h"
#include "media/xMixCanvas.h"

#include "platform/GameWindow.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

xCanvasState::FontDesc Font(std::uint16_t number, std::int16_t size, std::uint16_t style) {
    xCanvasState::FontDesc f;
    f.number = number;
    f.size = size;
    f.style = style;
    return f;
}

void Text(xCanvas& c, int x, int y, const xRGB& colour, const xCanvasState::FontDesc& font,
          const char* text) {
    c.SetFont(font);
    c.SetColor(colour);
    c.MoveTo({static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)});
    c.DrawText(text);
}

}  // namespace

int main(int argc, char** argv) {
    XAppScreenCanvas screen("Vizuzor", 8, 640, 480, false);
    if (screen.GetWindow() == nullptr) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    xMixCanvas mix;
    mix.Create(&screen, 640, 480, 8);

    mix.BeginDraw(nullptr);
    mix.SetColor(xRGB{0, 0, 0x66});
    mix.FillRect({0, 0, 640, 480});
    const struct {
        xRect r;
        xRGB c;
    } blocks[] = {
        {{40, 40, 200, 140}, {0xff, 0, 0}},
        {{220, 40, 380, 140}, {0, 0xcc, 0}},
        {{400, 40, 600, 140}, {0xff, 0xff, 0}},
        {{40, 160, 600, 200}, {0xcc, 0xcc, 0xcc}},
    };
    for (const auto& b : blocks) {
        mix.SetColor(b.c);
        mix.FillRect(b.r);
    }
    mix.SetColor(xRGB{0xff, 0xff, 0xff});
    mix.SetPenWidth(3);
    mix.FrameRect({30, 30, 610, 210});
    mix.SetPenWidth(1);
    mix.SetColor(xRGB{0xff, 0x99, 0});
    mix.FillEllipse({420, 250, 600, 360});
    mix.SetColor(xRGB{0, 0xff, 0xff});
    mix.MoveTo({40, 440});
    mix.LineTo({600, 440});

    Text(mix, 50, 188, {0, 0, 0}, Font(2, 24, 0), "Vizuzor canvas: a line of text in Arial 24");
    Text(mix, 40, 260, {0xff, 0xff, 0xff}, Font(1, 20, 0),
         "Times New Roman 20: Caption \x93quotes\x94 \x80 5");
    Text(mix, 40, 300, {0xff, 0xff, 0x66}, Font(3, 18, 0), "Courier New Bold 18");
    Text(mix, 40, 340, {0x99, 0xff, 0x99}, Font(4, 16, 2), "Arial Bold 16, slanted");
    mix.EndDraw(nullptr);

    mix.BlitFrom({0, 0, 640, 480}, screen, {0, 0, 640, 480});
    platform::PresentAllWindows();
    if (argc > 1) {
        std::ofstream(argv[1]) << "ready\n";
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        platform::MarkBackBufferChanged(screen.GetWindow());
        platform::PresentAllWindows();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}
