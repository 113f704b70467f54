#include "StripFixtures.h"

namespace fixtures {

std::unique_ptr<CountingStrip> SolidStrip(int w, int h, int cels, int base) {
    off4::Strip s;
    for (int c = 1; c <= cels; ++c) {
        off4::Image image;
        image.width = w;
        image.height = h;
        image.pixels.assign(static_cast<std::size_t>(w * h), static_cast<std::uint8_t>(base + c));
        s.images.push_back(image);
        s.cels.push_back(off4::SimpleCel(image, static_cast<std::int16_t>(c)));
    }
    auto strip = std::make_unique<CountingStrip>();
    strip->LoadData(off4::Build(s), nullptr);
    return strip;
}

std::unique_ptr<RecordingScreen> Screen(int w, int h, int depth) {
    auto screen = std::make_unique<RecordingScreen>();
    screen->Create(nullptr, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h), depth);
    return screen;
}

}  // namespace fixtures
