#include "media/JpegPicture.h"

#include "JpegFixtures.h"

#include "platform/HostPath.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace media {
namespace {

using testing::EncodeOptions;
using Bytes = std::vector<std::uint8_t>;

Bytes Picture(int width, int height, int h, int v, int channels = 3) {
    EncodeOptions options;
    options.hSampling = h;
    options.vSampling = v;
    return testing::Encode(testing::MakePattern(width, height, channels), options);
}

TEST(JpegPictureTest, NewPictureHoldsNoBitmap) {
    JpegPicture picture;
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_TRUE(picture.Pixels().empty());
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
        EXPECT_EQ(picture.BitmapWidth(), c.bitmapWidth);
        EXPECT_EQ(picture.BitmapHeight(), c.bitmapHeight);
        ASSERT_EQ(picture.Pixels().size(), static_cast<std::size_t>(c.bitmapWidth) * c.bitmapHeight);

        // The picture's pixels are the decoder's.
        JpegDecoder decoder;
        ASSERT_EQ(decoder.ReadHeaders(jpeg), nullptr);
        const int stride = decoder.McusAcross() * decoder.McuWidth();
        std::vector<std::uint32_t> expected(static_cast<std::size_t>(stride) * decoder.McusDown() * decoder.McuHeight());
        ASSERT_TRUE(decoder.DecodeRegion(expected, stride, 0, 0, decoder.McusAcross(), decoder.McusDown()));
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(picture.Pixels()[static_cast<std::size_t>(y) * c.bitmapWidth + x],
                          expected[static_cast<std::size_t>(y) * stride + x])
                    << "at " << x << "," << y;
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
    EXPECT_EQ(picture.BitmapWidth(), 48);
    EXPECT_EQ(picture.BitmapHeight(), 32);

    JpegPicture fromMemory;
    ASSERT_TRUE(fromMemory.LoadMemory(jpeg, rect));
    EXPECT_TRUE(std::equal(picture.Pixels().begin(), picture.Pixels().end(), fromMemory.Pixels().begin()));

    // The program names files by Windows path texts, in any case.
    JpegPicture byWindowsPath;
    ASSERT_TRUE(byWindowsPath.LoadFile(platform::ToWindowsPath(::testing::TempDir()) + "JPEG_Picture_Test.JPG", rect));
    EXPECT_EQ(byWindowsPath.Width(), 40);

    EXPECT_FALSE(picture.LoadFile(path + ".missing", rect));
    EXPECT_TRUE(picture.IsEmpty());
    std::remove(path.c_str());

    picture.Free();
    picture.Free();
    EXPECT_TRUE(picture.IsEmpty());
}

}  // namespace
}  // namespace media
