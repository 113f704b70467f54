#include "media/JpegPicture.h"

#include "JpegFixtures.h"

#include "platform/DrawContext.h"
#include "platform/HostPath.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace media {
namespace {

using testing::EncodeOptions;
using Bytes = std::vector<std::uint8_t>;

// Pixel (x, y) of a 32-bit surface as 0x00RRGGBB (the unused byte dropped).
std::uint32_t PixelAt(const platform::Surface& surface, int x, int y) {
    std::uint32_t p = 0;
    std::memcpy(&p, surface.Row(y) + static_cast<std::size_t>(x) * 4, 4);
    return p & 0xFFFFFF;
}

Bytes Picture(int width, int height, int h, int v, int channels = 3) {
    EncodeOptions options;
    options.hSampling = h;
    options.vSampling = v;
    return testing::Encode(testing::MakePattern(width, height, channels), options);
}

TEST(JpegPictureTest, NewPictureHoldsNoBitmap) {
    JpegPicture picture;
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.Bitmap(), nullptr);
    EXPECT_FALSE(picture.CreateBitmap()) << "nothing to decode";
    picture.Free();
    EXPECT_TRUE(picture.IsEmpty());
}

TEST(JpegPictureTest, BitmapIsOneMcuLargerThanThePicture) {
    struct Case {
        int width, height, h, v;
        int bitmapWidth, bitmapHeight;
    };
    const Case cases[] = {
        {640, 480, 2, 2, 656, 496},  // exact multiples still get a spare MCU
        {33, 17, 2, 2, 48, 32},
        {33, 17, 1, 1, 40, 24},
        {50, 20, 2, 1, 64, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " at " << c.h << "x" << c.v);
        const Bytes jpeg = Picture(c.width, c.height, c.h, c.v);
        JpegPicture picture;
        JpegPicture::Rect rect{9, 9, 9, 9};
        ASSERT_TRUE(picture.LoadMemory(jpeg, rect));
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, c.width);
        EXPECT_EQ(rect.bottom, c.height);
        EXPECT_EQ(picture.Width(), c.width);
        EXPECT_EQ(picture.Height(), c.height);
        const platform::Surface* bitmap = picture.Bitmap();
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->Width(), c.bitmapWidth);
        EXPECT_EQ(bitmap->Height(), c.bitmapHeight);
        EXPECT_EQ(bitmap->Depth(), 32);
        EXPECT_FALSE(bitmap->BottomUp());

        // The picture's pixels are the decoder's.
        JpegDecoder decoder;
        ASSERT_EQ(decoder.ReadHeaders(jpeg), nullptr);
        const int stride = decoder.McusAcross() * decoder.McuWidth();
        std::vector<std::uint32_t> expected(static_cast<std::size_t>(stride) * decoder.McusDown() *
                                            decoder.McuHeight());
        ASSERT_TRUE(decoder.DecodeRegion(expected, stride, 0, 0, decoder.McusAcross(), decoder.McusDown()));
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(PixelAt(*bitmap, x, y), expected[static_cast<std::size_t>(y) * stride + x])
                    << "at " << x << "," << y;
            }
        }
        // Rows below the scan's MCUs (a spare row when the height is a whole
        // number of MCUs) are left black.
        for (int y = decoder.McusDown() * decoder.McuHeight(); y < c.bitmapHeight; ++y) {
            for (int x = 0; x < c.bitmapWidth; ++x) {
                ASSERT_EQ(PixelAt(*bitmap, x, y), 0u) << "at " << x << "," << y;
            }
        }
    }
}

TEST(JpegPictureTest, RefusedOrMissingDataLeavesItEmpty) {
    JpegPicture picture;
    JpegPicture::Rect rect;
    ASSERT_TRUE(picture.LoadMemory(Picture(16, 16, 1, 1), rect));

    EncodeOptions progressive;
    progressive.progressive = true;
    const Bytes refused = testing::Encode(testing::MakePattern(16, 16, 3), progressive);
    rect = JpegPicture::Rect{1, 2, 3, 4};
    EXPECT_FALSE(picture.LoadMemory(refused, rect));
    EXPECT_TRUE(picture.IsEmpty()) << "a failed load drops the previous picture";
    EXPECT_STREQ(picture.LastError(), "SOF2 - Progressive JPEG not supported");
    EXPECT_EQ(rect.right, 3) << "the rectangle is set only on success";

    EXPECT_FALSE(picture.LoadMemory({}, rect));
    EXPECT_TRUE(picture.IsEmpty());
}

TEST(JpegPictureTest, LoadsFilesAndReplacesThePicture) {
    const std::string path = ::testing::TempDir() + "jpeg_picture_test.jpg";
    const Bytes jpeg = Picture(40, 30, 2, 2);
    {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    }
    JpegPicture picture;
    JpegPicture::Rect rect;
    ASSERT_TRUE(picture.LoadMemory(Picture(16, 8, 1, 1, 1), rect));
    ASSERT_TRUE(picture.LoadFile(path, rect));
    EXPECT_EQ(rect.right, 40);
    EXPECT_EQ(rect.bottom, 30);
    EXPECT_EQ(picture.Bitmap()->Width(), 48);
    EXPECT_EQ(picture.Bitmap()->Height(), 32);

    JpegPicture fromMemory;
    ASSERT_TRUE(fromMemory.LoadMemory(jpeg, rect));
    EXPECT_TRUE(std::ranges::equal(picture.Bitmap()->Bits(), fromMemory.Bitmap()->Bits()));

    // The program names files by Windows path texts, in any case.
    JpegPicture byWindowsPath;
    ASSERT_TRUE(byWindowsPath.LoadFile(
        platform::ToWindowsPath(::testing::TempDir()) + "JPEG_Picture_Test.JPG", rect));
    EXPECT_EQ(byWindowsPath.Width(), 40);

    EncodeOptions progressive;
    progressive.progressive = true;
    EXPECT_FALSE(picture.LoadMemory(testing::Encode(testing::MakePattern(16, 16, 3), progressive), rect));
    ASSERT_NE(picture.LastError(), nullptr);
    EXPECT_FALSE(picture.LoadFile(path + ".missing", rect));
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.LastError(), nullptr) << "a missing file is no decoder refusal";
    std::remove(path.c_str());

    picture.Free();
    picture.Free();
    EXPECT_TRUE(picture.IsEmpty());
}

class JpegPictureDrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A 640 x 480 picture has a 656 x 496 bitmap at 4:2:0; the spare
        // column and row must never be shown by a plain copy of the picture.
        JpegPicture::Rect rect;
        ASSERT_TRUE(picture_.LoadMemory(Picture(640, 480, 2, 2), rect));
        std::ranges::fill(target_.Bits(), 0xEE);
    }

    std::uint32_t Bitmap(int x, int y) const { return PixelAt(*picture_.Bitmap(), x, y); }
    std::uint32_t Target(int x, int y) const { return PixelAt(target_, x, y); }
    bool Untouched(int x, int y) const {
        std::uint32_t p = 0;
        std::memcpy(&p, target_.Row(y) + static_cast<std::size_t>(x) * 4, 4);
        return p == 0xEEEEEEEE;
    }

    JpegPicture picture_;
    platform::Surface target_{700, 520, 32, false};
    platform::DrawContext dc_{&target_};
};

TEST_F(JpegPictureDrawTest, CopiesTheTargetsSizeUnscaled) {
    struct Case {
        xRect source;
        xRect target;
        int fromX, fromY;  // bitmap pixel drawn at the target's top-left
    };
    const Case cases[] = {
        {{}, {0, 0, 640, 480}, 0, 0},                    // the whole picture, nothing of the spare MCU
        {{}, {30, 20, 130, 70}, 0, 0},                   // a piece from the top-left corner
        {{100, 50, 400, 300}, {5, 7, 45, 37}, 100, 50},  // from the source's corner, the target's size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "target " << c.target.left << "," << c.target.top << " to "
                                          << c.target.right << "," << c.target.bottom);
        std::ranges::fill(target_.Bits(), 0xEE);
        ASSERT_TRUE(picture_.Draw(&dc_, c.source, c.target, false));
        for (int y = 0; y < target_.Height(); ++y) {
            for (int x = 0; x < target_.Width(); ++x) {
                const bool inside =
                    x >= c.target.left && x < c.target.right && y >= c.target.top && y < c.target.bottom;
                if (inside) {
                    ASSERT_EQ(Target(x, y), Bitmap(c.fromX + x - c.target.left, c.fromY + y - c.target.top))
                        << "at " << x << "," << y;
                } else {
                    ASSERT_TRUE(Untouched(x, y)) << "drawn outside the target at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(JpegPictureDrawTest, StretchesTheSourceOntoTheTarget) {
    // Twice the size: every target pixel shows the bitmap pixel under its centre.
    ASSERT_TRUE(picture_.Draw(&dc_, {10, 20, 310, 250}, {50, 10, 650, 470}, true));
    for (int y = 10; y < 470; ++y) {
        for (int x = 50; x < 650; ++x) {
            ASSERT_EQ(Target(x, y), Bitmap(10 + (x - 50) / 2, 20 + (y - 10) / 2)) << "at " << x << "," << y;
        }
    }
    EXPECT_TRUE(Untouched(49, 10));
    EXPECT_TRUE(Untouched(650, 10));
    EXPECT_TRUE(Untouched(50, 470));

    // No source: the picture's rectangle, here halved onto 320 x 240.
    std::ranges::fill(target_.Bits(), 0xEE);
    ASSERT_TRUE(picture_.Draw(&dc_, {}, {0, 0, 320, 240}, true));
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            ASSERT_EQ(Target(x, y), Bitmap(2 * x + 1, 2 * y + 1)) << "at " << x << "," << y;
        }
    }
    EXPECT_TRUE(Untouched(320, 0));
    EXPECT_TRUE(Untouched(0, 240));
}

TEST_F(JpegPictureDrawTest, DrawsNothingWithoutTargetContextOrPicture) {
    const xRect empties[] = {{10, 10, 10, 20}, {10, 10, 20, 10}, {30, 10, 20, 20}};
    for (const xRect& target : empties) {
        for (bool stretch : {false, true}) {
            EXPECT_FALSE(picture_.Draw(&dc_, {}, target, stretch));
        }
    }
    EXPECT_FALSE(picture_.Draw(nullptr, {}, {0, 0, 10, 10}, false));
    JpegPicture empty;
    EXPECT_FALSE(empty.Draw(&dc_, {}, {0, 0, 10, 10}, false));
    picture_.Free();
    EXPECT_FALSE(picture_.Draw(&dc_, {}, {0, 0, 10, 10}, true));
    for (int y = 0; y < target_.Height(); ++y) {
        for (int x = 0; x < target_.Width(); ++x) {
            ASSERT_TRUE(Untouched(x, y));
        }
    }
}

}  // namespace
}  // namespace media
