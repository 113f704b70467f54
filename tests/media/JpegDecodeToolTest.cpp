// The jpeg-decode command-line tool, run as a program.

#include "media/JpegDecoder.h"

#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace media {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kTool = JPEG_DECODE_TOOL;

void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int RunTool(const std::string& arguments, const std::string& errorPath) {
    const int status = std::system((kTool + " " + arguments + " 2>" + errorPath).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(JpegDecodeToolTest, WritesThePictureAsPpm) {
    const std::string dir = ::testing::TempDir();
    const Bytes jpeg = testing::Encode(testing::MakePattern(33, 17, 3), testing::EncodeOptions{});
    WriteFile(dir + "tool_in.jpg", jpeg);
    ASSERT_EQ(RunTool(dir + "tool_in.jpg " + dir + "tool_out.ppm --repeat 3", dir + "tool_ok_err.txt"), 0);

    JpegDecoder decoder;
    ASSERT_EQ(decoder.ReadHeaders(jpeg), nullptr);
    const int stride = decoder.McusAcross() * decoder.McuWidth();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * decoder.McusDown() *
                                      decoder.McuHeight());
    ASSERT_TRUE(decoder.DecodeRegion(pixels, stride, 0, 0, decoder.McusAcross(), decoder.McusDown()));
    std::string expected = "P6\n33 17\n255\n";
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 33; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * stride + x];
            expected += static_cast<char>(p >> 16);
            expected += static_cast<char>(p >> 8);
            expected += static_cast<char>(p);
        }
    }
    EXPECT_EQ(ReadFile(dir + "tool_out.ppm"), expected);
}

TEST(JpegDecodeToolTest, RefusedFilePrintsTheDecodersMessage) {
    const std::string dir = ::testing::TempDir();
    testing::EncodeOptions progressive;
    progressive.progressive = true;
    WriteFile(dir + "tool_progressive.jpg", testing::Encode(testing::MakePattern(16, 16, 3), progressive));
    EXPECT_EQ(RunTool(dir + "tool_progressive.jpg " + dir + "tool_unused.ppm", dir + "tool_err.txt"), 1);
    EXPECT_EQ(ReadFile(dir + "tool_err.txt"),
              "jpeg-decode: " + dir + "tool_progressive.jpg: SOF2 - Progressive JPEG not supported\n");
}

}  // namespace
}  // namespace media
