#include "media/XAppOffsetStrip.h"

#include "media/xMixCanvas.h"
#include "media/xPalette.h"
#include "media/xSpriteRegion.h"

#include "resource/xSimpleResFile.h"

#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xFilePath.h"
#include "divir/xTryFrame.h"

#include "Off4Writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t kBackground = 200;

std::unique_ptr<xMixCanvas> Canvas(int w, int h, int depth) {
    auto c = std::make_unique<xMixCanvas>();
    c->Create(nullptr, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h), depth);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w * depth / 8; ++x) {
            c->GetRow(y)[x] = kBackground;
        }
    }
    return c;
}

// A pixel as a number: the index on an 8-bit canvas, blue, green and red
// packed on a 24-bit one.
int PixelAt(const xMixCanvas& c, int x, int y) {
    const std::uint8_t* p = c.GetRow(y);
    if (c.GetDepth() == 8) {
        return p[x];
    }
    const std::uint8_t* px = p + 3 * x;
    return px[0] << 16 | px[1] << 8 | px[2];
}

int PixelOf(int index, int depth) {
    if (depth == 8) {
        return index;
    }
    if (index == kBackground) {
        return kBackground << 16 | kBackground << 8 | kBackground;
    }
    xRGB rgb;
    xPalette::Default().GetEntry(rgb, static_cast<std::uint8_t>(index));
    return rgb.blue << 16 | rgb.green << 8 | rgb.red;
}

// What the canvas should hold: the background with the image's opaque pixels
// (placed at dx, dy, optionally mirrored) on it, inside `clip`.
std::vector<int> Expected(int w, int h, const off4::Image& image, int dx, int dy, bool mirror, bool flip,
                          const xRect& clip) {
    std::vector<int> out(static_cast<std::size_t>(w * h), kBackground);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int sx = mirror ? image.width - 1 - x : x;
            const int sy = flip ? image.height - 1 - y : y;
            const std::uint8_t v = image.pixels[static_cast<std::size_t>(sy * image.width + sx)];
            const int tx = dx + x;
            const int ty = dy + y;
            if (v != 0 && tx >= 0 && ty >= 0 && tx < w && ty < h &&
                clip.Contains(xPoint{static_cast<std::int16_t>(tx), static_cast<std::int16_t>(ty)})) {
                out[static_cast<std::size_t>(ty * w + tx)] = v;
            }
        }
    }
    return out;
}

std::vector<int> Actual(const xMixCanvas& c) {
    std::vector<int> out;
    for (int y = 0; y < c.GetBounds().bottom; ++y) {
        for (int x = 0; x < c.GetBounds().right; ++x) {
            out.push_back(PixelAt(c, x, y));
        }
    }
    return out;
}

std::vector<int> AsPixels(std::vector<int> indices, int depth) {
    for (int& v : indices) {
        v = PixelOf(v, depth);
    }
    return indices;
}

// The first differing pixel, or "same".
std::string Diff(const std::vector<int>& a, const std::vector<int>& b, int width) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) {
            return "at " + std::to_string(i % width) + "," + std::to_string(i / width) + ": " +
                   std::to_string(a[i]) + " != " + std::to_string(b[i]);
        }
    }
    return a.size() == b.size() ? "same" : "sizes differ";
}

off4::Image Noise(int w, int h, unsigned seed, int transparentPercent) {
    std::mt19937 rng(seed);
    off4::Image image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) {
        const bool clear = static_cast<int>(rng() % 100) < transparentPercent;
        image.pixels.push_back(clear ? 0 : static_cast<std::uint8_t>(10 + rng() % 180));
    }
    return image;
}

// An image whose rows end inside runs, with a transparent stretch over 255.
off4::Image Stretchy() {
    off4::Image image;
    image.width = 300;
    image.height = 4;
    image.pixels.assign(1200, 0);
    for (int x = 290; x < 300; ++x) {
        image.pixels[static_cast<std::size_t>(x)] = 40;  // runs on into row 1
    }
    for (int x = 300; x < 305; ++x) {
        image.pixels[static_cast<std::size_t>(x)] = 41;
    }
    image.pixels[900 + 299] = 42;  // after 294 transparent pixels
    return image;
}

struct LoadedStrip {
    XAppOffsetStrip strip;
    off4::Strip source;
};

std::unique_ptr<LoadedStrip> Load(const off4::Strip& s) {
    auto l = std::make_unique<LoadedStrip>();
    l->source = s;
    const std::vector<std::uint8_t> data = off4::Build(s);
    EXPECT_TRUE(l->strip.LoadData(data, nullptr));
    return l;
}

TEST(xOffsetStripTest, ImagesDrawExactlyAtBothDepthsOnEveryPath) {
    const std::vector<off4::Image> images = {
        off4::ImageOf({"..12.", "3...4", "56789"}),
        Stretchy(),
        Noise(64, 100, 7, 30),  // over 6008 coded bytes: the window refills
        Noise(40, 30, 8, 0),
    };
    struct Case {
        const char* name;
        int image;
        int dx, dy;
        std::uint16_t flags;
        xRect clip;  // relative to the canvas; empty: whole canvas
    } cases[] = {
        {"direct", 1, 2, 1, 0, {}},
        {"direct clipped left and top", 1, 2, 1, 0, {3, 2, 100, 100}},
        {"direct cut by the canvas", 1, -2, -1, 0, {}},
        {"long transparent runs", 2, 0, 3, 0, {}},
        {"long runs clipped", 2, 0, 3, 0, {100, 4, 295, 6}},
        {"refilled window", 3, 5, 5, 0, {}},
        {"refilled window clipped", 3, 5, 5, 0, {10, 50, 30, 90}},
        {"opaque", 4, 1, 1, 0, {}},
        {"mirrored", 1, 2, 1, xArtStrip::kMirror, {}},
        {"flipped", 1, 2, 1, xArtStrip::kFlip, {}},
        {"both", 3, 5, 5, xArtStrip::kMirror | xArtStrip::kFlip, {}},
        {"mirrored clipped", 3, 5, 5, xArtStrip::kMirror, {10, 20, 50, 70}},
        {"mirrored long runs", 2, 0, 3, xArtStrip::kMirror, {}},
    };
    off4::Strip s;
    s.images = images;
    s.cels.push_back(off4::SimpleCel(images[0], 1));
    auto l = Load(s);
    for (int depth : {8, 24}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(depth));
            const off4::Image& image = images[static_cast<std::size_t>(c.image - 1)];
            auto canvas = Canvas(320, 120, depth);
            const xRect clip = c.clip.IsEmpty() ? canvas->GetBounds() : c.clip;
            const xRect target(c.dx, c.dy, c.dx + image.width, c.dy + image.height);
            l->strip.DrawCel(*canvas, target, static_cast<std::int16_t>(c.image), clip, c.flags, 0);
            EXPECT_EQ(Diff(Actual(*canvas),
                           AsPixels(Expected(320, 120, image, c.dx, c.dy, (c.flags & 1) != 0,
                                             (c.flags & 2) != 0, clip),
                                    depth),
                           320),
                      "same");
        }
    }
}

TEST(xOffsetStripTest, TranslucentImagesAreDrawnOpaque) {
    const off4::Image image = off4::ImageOf({"12", "3."});
    off4::Strip s;
    s.images = {image};
    s.opaqueCount = 0;  // image 1 is translucent
    s.cels.push_back(off4::SimpleCel(image, 1));
    auto l = Load(s);
    for (int depth : {8, 24}) {
        auto canvas = Canvas(4, 4, depth);
        EXPECT_NO_THROW(l->strip.Draw(*canvas, xRect(1, 1, 3, 3), 1, 0, 0));
        EXPECT_EQ(Diff(Actual(*canvas),
                       AsPixels(Expected(4, 4, image, 1, 1, false, false, canvas->GetBounds()), depth), 4),
                  "same");
    }
}

TEST(xOffsetStripTest, ScaledImagesGoThroughTheSpanWalk) {
    const off4::Image image = off4::ImageOf({"12", "3."});
    off4::Strip s;
    s.images = {image};
    s.cels.push_back(off4::SimpleCel(image, 1));
    auto l = Load(s);
    auto canvas = Canvas(6, 5, 8);
    l->strip.DrawCel(*canvas, xRect(1, 1, 5, 5), 1, canvas->GetBounds(), 0, 0);
    const std::vector<int> b(1, kBackground);
    const int B = kBackground;
    const std::vector<int> expected = {
        B, B, B, B, B, B,  //
        B, 1, 1, 2, 2, B,  //
        B, 1, 1, 2, 2, B,  //
        B, 3, 3, B, B, B,  //
        B, 3, 3, B, B, B,
    };
    EXPECT_EQ(Actual(*canvas), expected);
}

TEST(xOffsetStripTest, CelsPartsAndLayers) {
    const off4::Image a = off4::ImageOf({"11", "11"});
    const off4::Image b = off4::ImageOf({"22", "22"});
    off4::Strip s;
    s.images = {a, b};
    off4::Cel one;
    one.rect = xRect(-4, -6, 4, 2);
    one.parts = {{static_cast<std::uint16_t>(1 << 8), xRect(0, 0, 2, 2), 1},
                 {static_cast<std::uint16_t>((2 << 8) | (3 << 2)), xRect(4, 0, 6, 2), 2},
                 {static_cast<std::uint16_t>((60 << 8) | 0x8000), xRect(0, 4, 2, 6), 2}};
    off4::Cel shared;  // uses cel 1's parts with its own rectangle and count
    shared.rect = xRect(0, 0, 8, 8);
    shared.partSlot = 1;
    shared.partCount = 2;
    off4::Cel missing;
    missing.exists = false;
    s.cels = {one, shared, missing, one};
    auto l = Load(s);
    XAppOffsetStrip& strip = l->strip;

    EXPECT_EQ(strip.GetCelCount(), 4);
    EXPECT_TRUE(strip.HasCel(1));
    EXPECT_FALSE(strip.HasCel(3));
    EXPECT_FALSE(strip.HasCel(0));
    EXPECT_FALSE(strip.HasCel(5));
    EXPECT_EQ(strip.GetCelSize(3), xRect());
    EXPECT_EQ(strip.GetAnimRect(1), xRect(-4, -6, 4, 2));
    EXPECT_EQ(strip.GetSize(), xRect(-4, -6, 8, 8));
    EXPECT_EQ(strip.GetRunLength(1), 2);
    EXPECT_EQ(strip.GetRunLength(4), 1);
    EXPECT_EQ(strip.GetRunLength(3), 0);
    EXPECT_EQ(strip.FindPartOfKind(1, 3), 2);
    EXPECT_EQ(strip.FindPartOfKind(1, 4), 0);
    EXPECT_EQ(strip.GetAnimInfo(2), xRect(0, 0, 2, 2));
    EXPECT_EQ(strip.GetAnimInfo(3), xRect());
    EXPECT_EQ(strip.GetAnimBounds(), xRect(0, 0, 2, 2));
    EXPECT_EQ(strip.GetPartRect(1, 2), xRect(0, -6, 2, -4));
    EXPECT_EQ(strip.GetPartRect(1, 9), xRect(-4, -6, 4, 2));

    const auto* parts = strip.GetCelParts(2, xPoint{10, 20}, 0);
    ASSERT_NE(parts, nullptr);
    EXPECT_EQ(parts->count, 2);
    EXPECT_EQ(parts->rect, xRect(10, 20, 18, 28));
    EXPECT_EQ(parts->parts[1].rect, xRect(14, 20, 16, 22));
    const auto* mirrored = strip.GetCelParts(1, xPoint{10, 20}, xArtStrip::kMirror);
    EXPECT_EQ(mirrored->parts[0].rect, xRect(16, 20, 18, 22));  // reflected within the 8-wide cel
    EXPECT_EQ(parts->parts[1].rect, xRect(14, 20, 16, 22));     // the previous buffer still holds
    EXPECT_EQ(strip.GetCelParts(3, xPoint{}, 0), nullptr);

    struct Case {
        const char* name;
        int hide;  // layer to hide, -1 none
        std::vector<int> row0;
    } cases[] = {
        {"all shown", -1, {1, 1, kBackground, kBackground, 2, 2}},
        {"layer 2 hidden", 2, {1, 1, kBackground, kBackground, kBackground, kBackground}},
        {"all hidden", 0, {kBackground, kBackground, kBackground, kBackground, kBackground, kBackground}},
        {"layer 60 has no flag", 60, {1, 1, kBackground, kBackground, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        strip.ShowLayer(0);
        if (c.hide >= 0) {
            strip.HideLayer(c.hide);
        }
        for (bool clipped : {false, true}) {
            auto canvas = Canvas(8, 8, 8);
            const xRect place(0, 0, 8, 8);
            if (clipped) {
                xSpriteRegion everything;
                everything.Add(canvas->GetBounds(), 0, 10);
                strip.DrawClipped(*canvas, place, 2, 0, 0, everything);
            } else {
                strip.Draw(*canvas, place, 2, 0, 0);
            }
            std::vector<int> row;
            for (int x = 0; x < 6; ++x) {
                row.push_back(canvas->GetRow(0)[x]);
            }
            EXPECT_EQ(row, c.row0);
            EXPECT_EQ(canvas->GetRow(4)[0], kBackground);  // the hidden part never draws
        }
        xSpriteRegion dirty;
        strip.AddDirtyArea(dirty, xRect(0, 0, 8, 8), 1, 0, 0);
        EXPECT_TRUE(dirty.Meets(xRect(0, 4, 2, 6)));  // the hidden part's area counts
    }
    strip.ShowLayer(0);
}

TEST(xOffsetStripTest, ChangedAreasCoverOnlyWhatDiffers) {
    const off4::Image a = off4::ImageOf({"11", "11"});
    off4::Strip s;
    s.images = {a, a};
    off4::Cel one;
    one.rect = xRect(0, 0, 40, 8);
    one.parts = {{static_cast<std::uint16_t>(1 << 8), xRect(0, 0, 2, 2), 1},
                 {static_cast<std::uint16_t>(2 << 8), xRect(32, 0, 34, 2), 1}};
    off4::Cel two = one;
    two.parts[1].number = 2;
    s.cels = {one, two};
    auto l = Load(s);
    xSpriteRegion region;
    l->strip.AddChangedArea(region, xRect(0, 0, 40, 8), 1, 0, 0, xRect(0, 0, 40, 8), 2, 0, 0);
    ASSERT_EQ(region.GetCount(), 1);
    EXPECT_EQ(region.GetRect(0), xRect(32, 0, 36, 2));
    region.Clear();
    l->strip.AddChangedArea(region, xRect(0, 0, 40, 8), 1, 0, 0, xRect(0, 0, 40, 8), 1, 0, 0);
    EXPECT_EQ(region.GetCount(), 0);
}

TEST(xOffsetStripTest, DamagedDataIsRefusedWithErrorThree) {
    const off4::Image a = off4::ImageOf({"11", "11"});
    off4::Strip s;
    s.images = {a};
    s.cels = {off4::SimpleCel(a, 1)};
    const std::vector<std::uint8_t> good = off4::Build(s);
    const std::uint32_t frame = 4 + 2 + 2 + 2 + 2 + 2 * 12;  // H of the good strip
    ASSERT_EQ(good[3], frame);
    struct Case {
        const char* name;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
        std::size_t keep;  // 0: all
    } cases[] = {
        {"too short", 0, {}, 8},
        {"odd frame size", 0, {0, 0, 0, frame + 1}, 0},
        {"frame past the end", 0, {0, 0x10, 0, 0}, 0},
        {"cel count past the frame", 8, {0x40, 0}, 0},
        {"slot past the frame", 10, {0, 9}, 0},
        {"slot too small", 6, {0, 2}, 0},
        {"too many parts", 12 + 10, {0, 49}, 0},
        {"parts past the slot", 12 + 10, {0, 3}, 0},
        {"part slot past the frame", 12, {0, 7}, 0},
        {"image table past the end", frame, {0x10, 0, 0x10, 0}, 0},
        {"opaque above count", frame + 2, {0, 2}, 0},
        {"image offset past the end", frame + 4, {0, 1, 0, 0}, 0},
        {"image wider than 2048", frame + 8, {0x08, 0x01}, 0},
        {"cut short", 0, {}, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> data = good;
        std::copy(c.bytes.begin(), c.bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(c.at));
        if (c.keep != 0) {
            data.resize(c.keep);
        }
        XAppOffsetStrip strip;
        xErrorCode = 0;
        EXPECT_FALSE(strip.LoadData(data, nullptr));
        EXPECT_EQ(xErrorCode, kErrResourceFile);
        EXPECT_FALSE(strip.IsLoaded());
        EXPECT_FALSE(strip.HasCel(1));
    }
    XAppOffsetStrip strip;
    EXPECT_TRUE(strip.LoadData(good, nullptr));
}

TEST(xOffsetStripTest, BrokenStreamsDrawWhatTheyHaveAndNoMore) {
    const off4::Image a = off4::ImageOf({"1234", "5678"});
    const std::vector<std::uint8_t> run = off4::RunStream(a);  // 0, 8, indices
    struct Case {
        const char* name;
        std::vector<std::uint8_t> stored;
        std::vector<int> expected;
    } cases[] = {
        {"no end marker", {0, 8, 1, 0x00, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"stops after three pixels", {0, 8, 1, 0x00, 2, 3}, {1, 2, 3, 0, 0, 0, 0, 0}},
        {"match before the data", {0, 8, 1, 0x80, 0x09, 0x10}, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"only the head", {0, 8, 1}, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"overlapping match repeats", {0, 8, 1, 0x80, 0x01, 0x40}, {1, 1, 1, 1, 1, 1, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OffsetRunDecoder decoder;
        decoder.Start(c.stored);
        std::vector<std::uint8_t> out(8, 0);
        decoder.BeforeRow(4);
        decoder.Copy(out.data(), 8);
        EXPECT_EQ(std::vector<int>(out.begin(), out.end()), c.expected);
        decoder.Skip(100000);  // walking past the end is harmless
    }
}

TEST(xOffsetStripTest, RandomDamageNeverCrashes) {
    std::vector<off4::Image> images = {Noise(30, 20, 1, 40), Stretchy(), off4::ImageOf({"12", "34"})};
    off4::Strip s;
    s.images = images;
    for (int i = 0; i < 3; ++i) {
        off4::Cel c;
        c.rect = xRect(0, 0, 300, 20);
        c.parts = {{static_cast<std::uint16_t>(1 << 8),
                    xRect(0, 0, images[static_cast<std::size_t>(i)].width,
                          images[static_cast<std::size_t>(i)].height),
                    static_cast<std::int16_t>(i + 1)},
                   {static_cast<std::uint16_t>((2 << 8) | 1), xRect(5, 5, 25, 15), 1}};
        s.cels.push_back(c);
    }
    const std::vector<std::uint8_t> good = off4::Build(s);
    std::mt19937 rng(1234);
    auto canvas = Canvas(320, 40, 8);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> data = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int f = 0; f < flips; ++f) {
            data[rng() % data.size()] = static_cast<std::uint8_t>(rng());
        }
        if (rng() % 4 == 0) {
            data.resize(rng() % data.size());
        }
        XAppOffsetStrip strip;
        xErrorCode = 0;
        if (!strip.LoadData(data, nullptr)) {
            EXPECT_EQ(xErrorCode, kErrResourceFile);
            continue;
        }
        ++loaded;
        for (std::int16_t cel = 0; cel <= 4; ++cel) {
            strip.Draw(*canvas, xRect(-3, 2, 297, 22), cel, static_cast<std::uint16_t>(rng() % 4), 0);
            xSpriteRegion region;
            strip.AddDirtyArea(region, xRect(0, 0, 300, 20), cel, 0, 0);
            strip.AddChangedArea(region, xRect(0, 0, 300, 20), cel, 0, 0, xRect(1, 1, 301, 21), 1, 1, 0);
        }
    }
    EXPECT_GT(loaded, 100);
}

TEST(xOffsetStripTest, LoadsThroughTheResourceReader) {
    xFileStartup(8);
    xSimpleResFile reader("strips");
    const std::string path = std::string(SRF_FIXTURES) + "/strips.srf";
    ASSERT_EQ(xTry([&] { reader.OpenAt(1, xFileSpec(path.c_str()), 0); }), 0);

    XAppOffsetStrip strip;
    ASSERT_EQ(xTry([&] { strip.Load(reader, 5, 0, nullptr); }), 0);
    EXPECT_EQ(strip.GetCelCount(), 3);
    EXPECT_TRUE(strip.HasCel(1));
    EXPECT_FALSE(strip.HasCel(2));
    EXPECT_EQ(strip.GetAnimRect(3), xRect(0, 0, 300, 2));
    for (int depth : {8, 24}) {
        SCOPED_TRACE(depth);
        auto canvas = Canvas(310, 4, depth);
        strip.Draw(*canvas, xRect(1, 1, 5, 3), 1, 0, 0);
        const off4::Image image = off4::ImageOf({".12.", "3333"});
        EXPECT_EQ(
            Diff(Actual(*canvas),
                 AsPixels(Expected(310, 4, image, 1, 1, false, false, canvas->GetBounds()), depth), 310),
            "same");
        strip.Draw(*canvas, xRect(5, 2, 305, 4), 3, 0, 0);
        EXPECT_EQ(PixelAt(*canvas, 304, 3), PixelOf(7, depth));
    }

    EXPECT_EQ(xTry([&] { strip.Load(reader, 6, 0, nullptr); }), kErrResourceFile);
    EXPECT_FALSE(strip.IsLoaded());
    EXPECT_EQ(xTry([&] { strip.Load(reader, 99, 0, nullptr); }), kErrResourceMissing);
    reader.Close(xSimpleResFile::kAnyFile);
    xFileCleanup();
    xErrorCode = 0;
}

}  // namespace
