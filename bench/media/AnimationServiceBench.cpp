// One pass of the animation service (scene player tick, sprite engine update,
// purge) with the screen full of animated 32x32 sprites: 20 x 15 = 300 tiles
// over 640x480 on the screen canvas of SDL's dummy driver. Time is a manual
// clock moved between passes.

#include "media/Animation.h"
#include "media/AnimationService.h"

#include "framework/AppTime.h"
#include "framework/ExecutionService.h"
#include "framework/ObjectRegistry.h"
#include "framework/View.h"
#include "support/AnimationStage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::uint32_t now = 1000;

class Tiles {
  public:
    // hold: each tile plays its two cels once and holds the last.
    explicit Tiles(bool hold) {
        ::setenv("SDL_VIDEODRIVER", "dummy", 0);
        SetAppTickSource([] { return now; });
        ExecutionService::Register();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        stage_->AddStrips(TILES_SRF, {900}, view_.get(), false);
        service_ = dynamic_cast<AnimationService*>(view_->GetAnimationService());
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 20; ++x) {
                auto a = std::make_unique<Animation>(view_.get(), 900, 1);
                a->MoveBy(xPoint{static_cast<std::int16_t>(x * 32), static_cast<std::int16_t>(y * 32)});
                if (hold) {
                    a->SetHoldAtEnd();
                } else {
                    a->SetRepeatForever();
                }
                a->Start();
                tiles_.push_back(std::move(a));
            }
        }
        Pass(200);
        Pass(200);
    }
    ~Tiles() {
        tiles_.clear();
        view_.reset();
        stage_.reset();
        ObjectRegistry::DestroyAll();
        SetAppTickSource(nullptr);
    }

    void Pass(std::uint32_t ms) {
        now += ms;
        service_->Execute();
    }
    Animation& Tile(int i) { return *tiles_[static_cast<std::size_t>(i)]; }

  private:
    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
    AnimationService* service_ = nullptr;
    std::vector<std::unique_ptr<Animation>> tiles_;
};

// Every tile shows its next cel on every pass (a frame is 66 ms).
void BM_ExecuteEverySpriteChanging(benchmark::State& state) {
    Tiles tiles(false);
    for (auto _ : state) {
        tiles.Pass(67);
    }
}
BENCHMARK(BM_ExecuteEverySpriteChanging)->Unit(benchmark::kMicrosecond);

// One tile moves a pixel per pass over the 299 held ones.
void BM_ExecuteOneSpriteMovingOverStillOnes(benchmark::State& state) {
    Tiles tiles(true);
    int step = 1;
    int x = 0;
    for (auto _ : state) {
        if (x == 100 || x == 0) step = x == 0 ? 1 : -1;
        x += step;
        tiles.Tile(150).MoveBy(xPoint{static_cast<std::int16_t>(step), 0});
        tiles.Pass(1);
    }
}
BENCHMARK(BM_ExecuteOneSpriteMovingOverStillOnes)->Unit(benchmark::kMicrosecond);

void BM_ExecuteNothingChanging(benchmark::State& state) {
    Tiles tiles(true);
    for (auto _ : state) {
        tiles.Pass(1);
    }
}
BENCHMARK(BM_ExecuteNothingChanging)->Unit(benchmark::kMicrosecond);

}  // namespace
