// Plays writer-made animations in the game window through the whole chain:
// the resource service catalogues a .srf, the UI root's animation service
// plays Animation processes on the screen canvas. A ball rolls across the
// window again and again, a tile pattern repeats in the corner, and a caption
// sits on a panel. Used by show_animation.sh to capture the window under Xvfb.
// Arguments: the .srf, then a file to create once the animations have played
// for a while. Runs for 20 seconds.

#include "media/Animation.h"
#include "media/PaletteResource.h"
#include "media/TextStrip.h"

#include "framework/ExecutionService.h"
#include "framework/ObjectRegistry.h"
#include "framework/View.h"
#include "platform/GameWindow.h"
#include "support/AnimationStage.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: animation_demo FILE.srf [READY]\n");
        return 2;
    }
    ExecutionService::Register();
    auto stage = std::make_unique<AnimationStage>();
    auto view = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
    if (view->GetWindow() == nullptr) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    const std::string srf = std::filesystem::absolute(argv[1]).string();
    stage->AddStrips(srf, {2000}, view.get(), false);
    {
        PaletteResource palette(platform::ToWindowsPath(srf), 1);
        view->SetBackgroundColour(xRGB{0, 0, 40});
        view->ClearScreen(palette);
    }

    Animation ball(view.get(), 2000, 1);
    ball.MoveBy(xPoint{20, 300});
    ball.SetFullMotion(xPoint{560, 0});
    ball.SetRate(6.0f);
    ball.SetRepeatForever();
    ball.Start();

    Animation tiles(view.get(), 2000, 8);
    tiles.MoveBy(xPoint{560, 40});
    tiles.SetRate(4.0f);
    tiles.SetRepeatForever();
    tiles.Start();

    Animation caption(view.get(), 2000, 13);
    caption.MoveBy(xPoint{140, 120});
    TextStrip& text = *caption.GetService()->GetTextStrip();
    const int item = text.FindItem(21010);
    caption.SetText(item, "Animations from a .srf of our own, played by the animation service");
    caption.SetItemColour(item, xRGB{255, 255, 255});
    text.SetCurrentColour(item, 0);
    caption.SetHoldAtEnd();
    caption.Start();

    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    while (std::chrono::steady_clock::now() < start + std::chrono::seconds(20)) {
        ExecutionService::GetInstance().RunExecutables();
        platform::PresentAllWindows();
        if (!told && argc > 2 && std::chrono::steady_clock::now() > start + std::chrono::seconds(2)) {
            std::ofstream(argv[2]) << "ready\n";
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    caption.Stop();
    view.reset();
    stage.reset();
    ObjectRegistry::DestroyAll();
    return 0;
}
