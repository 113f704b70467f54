#include "sound/StoredMusic.h"

#include "sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <vector>

namespace sound {
namespace {

using Frame = std::array<std::int16_t, kMpegAudioFrameSamples>;

const MpegAudioTables& Tables() {
    static const MpegAudioTables tables;
    return tables;
}

// Stored frames of a real sound, so decoded samples are not all zero.
std::vector<std::uint8_t> RealFrames(std::uint8_t* headerByte) {
    const std::vector<std::uint8_t> data = test::ReadFixture("music_32k.xmp");
    *headerByte = data.at(3);
    return {data.begin() + StoredMusic::kHeaderBytes, data.end()};
}

TEST(StoredMusicTest, RebuildsTheFrameHeader) {
    EXPECT_EQ(StoredMusic::RebuildFrameHeader(0x52), (std::array<std::uint8_t, 4>{0xFF, 0xF5, 0x52, 0xC8}));
    EXPECT_TRUE(StoredMusic::IsAcceptedFrameHeader(StoredMusic::RebuildFrameHeader(0x52)));
}

TEST(StoredMusicTest, AcceptsOnlyTwentyTwoKilohertzLayerTwoSingleChannel) {
    struct Case {
        std::array<std::uint8_t, 4> header;
        bool accepted;
    };
    const Case cases[] = {
        {{0xFF, 0xF5, 0x90, 0xC8}, true},
        {{0xFF, 0xF4, 0x93, 0xFF}, true},   // CRC, padding, private bit: still accepted
        {{0xFE, 0xF5, 0x90, 0xC8}, false},  // sync
        {{0xFF, 0xE5, 0x90, 0xC8}, false},  // sync nibble
        {{0xFF, 0xFD, 0x90, 0xC8}, false},  // MPEG-1
        {{0xFF, 0xF3, 0x90, 0xC8}, false},  // Layer III
        {{0xFF, 0xF7, 0x90, 0xC8}, false},  // Layer I
        {{0xFF, 0xF5, 0x94, 0xC8}, false},  // 24000 Hz
        {{0xFF, 0xF5, 0x98, 0xC8}, false},  // 16000 Hz
        {{0xFF, 0xF5, 0x9C, 0xC8}, false},  // reserved rate
        {{0xFF, 0xF5, 0x90, 0x48}, false},  // joint stereo
        {{0xFF, 0xF5, 0x90, 0x08}, false},  // stereo
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.header[1]) * 65536 + c.header[2] * 256 + c.header[3]);
        EXPECT_EQ(StoredMusic::IsAcceptedFrameHeader(c.header), c.accepted);
    }
}

TEST(StoredMusicTest, HeaderByteDecidesLengthStrideAndAcceptance) {
    const std::size_t lengths[16] = {0,   52,  104, 156, 208, 261, 313,  365,
                                     417, 522, 626, 731, 835, 940, 1044, 0};
    for (int bitrate = 0; bitrate < 16; ++bitrate) {
        for (int rate = 0; rate < 4; ++rate) {
            for (int low = 0; low < 4; ++low) {  // padding and private bits change nothing here
                const auto headerByte = static_cast<std::uint8_t>(bitrate << 4 | rate << 2 | low);
                SCOPED_TRACE(static_cast<int>(headerByte));
                const std::vector<std::uint8_t> frames(2000, 0);
                const StoredMusicParseResult parsed =
                    StoredMusic::Parse(test::MakeStoredMusic(headerByte, 1152, frames));
                EXPECT_EQ(StoredMusic::FrameLength(headerByte), lengths[bitrate]);
                const bool accepted = rate == 0 && bitrate != 0 && bitrate != 15;
                ASSERT_EQ(parsed.music.has_value(), accepted);
                if (accepted) {
                    EXPECT_EQ(parsed.music->Stride(), lengths[bitrate] - 3);
                    EXPECT_EQ(parsed.music->HeaderByte(), headerByte);
                } else {
                    EXPECT_EQ(parsed.error, StoredMusicError::kRefusedHeader);
                }
            }
        }
    }
}

TEST(StoredMusicTest, RefusesWhatIsNotStoredMusic) {
    struct Case {
        std::vector<std::uint8_t> data;
        StoredMusicError error;
    };
    const Case cases[] = {
        {{}, StoredMusicError::kTooShort},
        {{'X', 'M'}, StoredMusicError::kTooShort},
        {{'X', 'M', 'P', 0x50, 0, 0, 4}, StoredMusicError::kTooShort},
        {{'T', 'S', 0, 0, 0, 0, 0, 0, 0, 0}, StoredMusicError::kNotMusic},
        {{'X', 'I', 'M', 'A', 0, 0, 0, 1}, StoredMusicError::kNotMusic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data.size());
        const StoredMusicParseResult parsed = StoredMusic::Parse(c.data);
        EXPECT_FALSE(parsed.music.has_value());
        EXPECT_EQ(parsed.error, c.error);
    }
}

TEST(StoredMusicTest, SoundOf1153SamplesTakesTwoFrames) {
    std::uint8_t headerByte = 0;
    const std::vector<std::uint8_t> frames = RealFrames(&headerByte);
    const std::size_t stride = StoredMusic::FrameLength(headerByte) - 3;
    const std::vector<std::uint8_t> data =
        test::MakeStoredMusic(headerByte, 1153, {frames.begin(), frames.begin() + 2 * stride});
    const auto parsed = StoredMusic::Parse(data);
    ASSERT_TRUE(parsed.music);
    const StoredMusic& music = *parsed.music;
    EXPECT_EQ(music.DeclaredSamples(), 1153u);
    EXPECT_EQ(music.FrameCount(), 2u);
    EXPECT_EQ(music.SampleCount(), 1153u);
    EXPECT_EQ(music.FrameSamples(0), 1152u);
    EXPECT_EQ(music.FrameSamples(1), 1u);
    EXPECT_EQ(music.FrameSamples(2), 0u);

    MpegAudioSynthesisHistory history;
    Frame out{};
    EXPECT_EQ(music.DecodeFrame(0, Tables(), history, out), 1152u);
    EXPECT_EQ(music.DecodeFrame(1, Tables(), history, out), 1u);
    EXPECT_EQ(music.DecodeFrame(2, Tables(), history, out), 0u);
}

// The declared count is trusted only as far as the data goes: frames wholly missing are not
// played, a frame cut short is decoded as if its missing bytes were zeros.
TEST(StoredMusicTest, DeclaredLengthIsCheckedAgainstTheData) {
    std::uint8_t headerByte = 0;
    const std::vector<std::uint8_t> frames = RealFrames(&headerByte);
    const std::size_t stride = StoredMusic::FrameLength(headerByte) - 3;
    struct Case {
        std::uint32_t declared;
        std::size_t bytes;
        std::size_t frameCount;
        std::size_t sampleCount;
    };
    const Case cases[] = {
        {10 * 1152, 2 * stride + stride / 2, 3, 3 * 1152},  // cut inside the third frame
        {10 * 1152, 2 * stride, 2, 2 * 1152},               // cut at a frame boundary
        {10 * 1152, 1, 1, 1152},                            // one byte of one frame
        {10 * 1152, 0, 0, 0},                               // no frames at all
        {2000, 5 * stride, 2, 2000},                        // more data than declared
        {0, 5 * stride, 0, 0},                              // nothing declared
        {0xFFFFFFFF, 3 * stride, 3, 3 * 1152},              // absurd count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::vector<std::uint8_t> data =
            test::MakeStoredMusic(headerByte, c.declared, {frames.begin(), frames.begin() + c.bytes});
        // An exact-size heap copy, so a read past the data is caught by the sanitizer.
        const auto exact = std::make_unique<std::uint8_t[]>(data.size());
        std::copy(data.begin(), data.end(), exact.get());
        const auto parsed = StoredMusic::Parse(std::span<const std::uint8_t>(exact.get(), data.size()));
        ASSERT_TRUE(parsed.music);
        EXPECT_EQ(parsed.music->FrameCount(), c.frameCount);
        EXPECT_EQ(parsed.music->SampleCount(), c.sampleCount);

        // Decoding equals decoding the same frames explicitly padded with zeros.
        std::vector<std::uint8_t> padded(frames.begin(), frames.begin() + c.bytes);
        padded.resize(c.frameCount * stride, 0);
        const std::vector<std::uint8_t> referenceData = test::MakeStoredMusic(headerByte, c.declared, padded);
        const auto reference = StoredMusic::Parse(referenceData);
        ASSERT_TRUE(reference.music);
        MpegAudioSynthesisHistory history;
        MpegAudioSynthesisHistory referenceHistory;
        Frame out{};
        Frame expected{};
        for (std::size_t i = 0; i < parsed.music->FrameCount(); ++i) {
            const std::size_t delivered = parsed.music->DecodeFrame(i, Tables(), history, out);
            EXPECT_EQ(delivered, reference.music->DecodeFrame(i, Tables(), referenceHistory, expected));
            EXPECT_EQ(out, expected);
        }
    }
}

TEST(StoredMusicTest, RandomDataNeverReadsOutside) {
    std::mt19937 random(1153);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 3000);
    MpegAudioSynthesisHistory history;
    Frame out{};
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = size(random);
        auto data = std::make_unique<std::uint8_t[]>(n);
        for (std::size_t i = 0; i < n; ++i) {
            data[i] = static_cast<std::uint8_t>(byte(random));
        }
        if (n >= 3 && round % 8 != 0) {
            data[0] = 'X';
            data[1] = 'M';
            data[2] = 'P';
        }
        if (n >= 8 && round % 2 == 0) {
            data[4] = data[5] = 0;  // plausible counts
        }
        const auto parsed = StoredMusic::Parse(std::span<const std::uint8_t>(data.get(), n));
        if (!parsed.music) {
            continue;
        }
        EXPECT_LE(parsed.music->FrameCount() * parsed.music->Stride(),
                  n - StoredMusic::kHeaderBytes + parsed.music->Stride());
        std::size_t delivered = 0;
        for (std::size_t i = 0; i < parsed.music->FrameCount(); ++i) {
            delivered += parsed.music->DecodeFrame(i, Tables(), history, out);
        }
        EXPECT_EQ(delivered, parsed.music->SampleCount());
    }
}

}  // namespace
}  // namespace sound
