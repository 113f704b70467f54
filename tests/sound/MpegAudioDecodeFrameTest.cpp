#include "sound/MpegAudioDecodeFrame.h"

#include "sound/SoundTestSupport.h"
#include "sound/StoredMusic.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace sound {
namespace {

using test::BitWriter;

// Agreement with ffmpeg's float Layer II decoder: single-precision synthesis may round a
// sample to the neighbouring value, never further.
constexpr double kMinSnrDb = 60.0;
constexpr int kMaxLsbDifference = 2;

using Frame = std::array<std::int16_t, kMpegAudioFrameSamples>;

class MpegAudioDecodeFrameTest : public ::testing::Test {
  protected:
    static const MpegAudioTables& Tables() {
        static const MpegAudioTables tables;
        return tables;
    }

    // Every frame of stored music, whole, as the decoder writes it.
    static std::vector<std::int16_t> DecodeAll(const std::vector<std::uint8_t>& data) {
        const auto parsed = StoredMusic::Parse(data);
        EXPECT_TRUE(parsed.music.has_value());
        std::vector<std::int16_t> out;
        if (!parsed.music) {
            return out;
        }
        MpegAudioSynthesisHistory history;
        Frame frame{};
        for (std::size_t i = 0; i < parsed.music->FrameCount(); ++i) {
            parsed.music->DecodeFrame(i, Tables(), history, frame);
            out.insert(out.end(), frame.begin(), frame.end());
        }
        return out;
    }

    // The frame header FF F5 h C8 followed by side information and samples from `bits`.
    static BitWriter StartFrame(std::uint8_t headerByte) {
        BitWriter bits;
        for (std::uint8_t byte : StoredMusic::RebuildFrameHeader(headerByte)) {
            bits.Put(byte, 8);
        }
        return bits;
    }
};

class ReferenceDecodeTest : public MpegAudioDecodeFrameTest, public ::testing::WithParamInterface<int> {};

TEST_P(ReferenceDecodeTest, MatchesTheReferenceDecoder) {
    const std::string name = "music_" + std::to_string(GetParam()) + "k";
    const std::vector<std::uint8_t> data = test::ReadFixture(name + ".xmp");
    const std::vector<std::int16_t> reference = test::ReadSamples(name + ".ref.s16");
    ASSERT_FALSE(data.empty());
    const std::vector<std::int16_t> decoded = DecodeAll(data);
    ASSERT_EQ(decoded.size(), reference.size());

    double signal = 0.0;
    double noise = 0.0;
    int worst = 0;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const double difference = decoded[i] - reference[i];
        signal += static_cast<double>(reference[i]) * reference[i];
        noise += difference * difference;
        worst = std::max(worst, std::abs(decoded[i] - reference[i]));
    }
    ASSERT_GT(signal, 1e9) << "the fixture should not be silent";
    const double snr = noise == 0.0 ? 200.0 : 10.0 * std::log10(signal / noise);
    EXPECT_GE(snr, kMinSnrDb);
    EXPECT_LE(worst, kMaxLsbDifference);
}

INSTANTIATE_TEST_SUITE_P(Bitrates, ReferenceDecodeTest, ::testing::Values(8, 32, 64, 96, 160));

TEST_F(MpegAudioDecodeFrameTest, ReportsFrameLengthAndOutput) {
    struct Case {
        std::uint8_t headerByte;
        std::size_t frameBytes;
    };
    for (const Case& c :
         {Case{0x10, 52}, Case{0x12, 53}, Case{0x50, 261}, Case{0x93, 523}, Case{0xE0, 1044}}) {
        SCOPED_TRACE(static_cast<int>(c.headerByte));
        BitWriter bits = StartFrame(c.headerByte);
        const std::vector<std::uint8_t> frame = bits.Bytes(c.frameBytes);
        MpegAudioSynthesisHistory history;
        Frame out{};
        const MpegAudioFrameResult result = MpegAudioDecodeFrame(Tables(), frame, history, out);
        EXPECT_EQ(result.frameBytes, c.frameBytes);
        EXPECT_EQ(result.outputBytes, 2304u);
    }
}

TEST_F(MpegAudioDecodeFrameTest, MissingSyncDecodesNothing) {
    for (const std::vector<std::uint8_t>& frame : std::vector<std::vector<std::uint8_t>>{
             {0xFF, 0xE5, 0x10, 0xC8}, {0x7F, 0xF5, 0x10, 0xC8}, {0xFF}, {}}) {
        MpegAudioSynthesisHistory history;
        history.values.fill(1.0f);
        Frame out{};
        out.fill(7);
        const MpegAudioFrameResult result = MpegAudioDecodeFrame(Tables(), frame, history, out);
        EXPECT_EQ(result.frameBytes, 0u);
        EXPECT_EQ(result.outputBytes, 0u);
        EXPECT_EQ(out[0], 7);
        EXPECT_EQ(history.values[5], 1.0f);
    }
}

TEST_F(MpegAudioDecodeFrameTest, CrcWordIsSkipped) {
    // The same side information and samples behind a header without and with a CRC word.
    const std::vector<std::uint8_t> data = test::ReadFixture("music_96k.xmp");
    ASSERT_GT(data.size(), 700u);
    const std::uint8_t headerByte = data[3];
    const std::size_t stride = StoredMusic::FrameLength(headerByte) - 3;
    const auto payload = data.begin() + StoredMusic::kHeaderBytes;

    std::vector<std::uint8_t> plain = {0xFF, 0xF5, headerByte, 0xC8};
    plain.insert(plain.end(), payload, payload + stride);
    std::vector<std::uint8_t> protectedFrame = {0xFF, 0xF4, headerByte, 0xC8, 0x5A, 0xA5};
    protectedFrame.insert(protectedFrame.end(), payload, payload + stride);

    MpegAudioSynthesisHistory a;
    MpegAudioSynthesisHistory b;
    Frame outA{};
    Frame outB{};
    MpegAudioDecodeFrame(Tables(), plain, a, outA);
    MpegAudioDecodeFrame(Tables(), protectedFrame, b, outB);
    EXPECT_EQ(outA, outB);
    EXPECT_NE(outA[600], 0);
}

TEST_F(MpegAudioDecodeFrameTest, EmptyAllocationIsSilence) {
    const std::vector<std::uint8_t> frame = StartFrame(0x10).Bytes(52);
    MpegAudioSynthesisHistory history;
    Frame out{};
    out.fill(7);
    MpegAudioDecodeFrame(Tables(), frame, history, out);
    for (std::int16_t sample : out) {
        ASSERT_EQ(sample, 0);
    }
}

// Subband 0 at 16383 levels (14 bits a sample, 42 bits a granule) with one scale factor:
// in a 52-byte frame the side information takes 115 bits and granules 0-6 fit, granule 7
// runs past the end. The decoder must stop there and treat the rest as silence, exactly
// as if granules 7-11 had been sent with the zero code.
TEST_F(MpegAudioDecodeFrameTest, AllocationBeyondTheFrameEndsInSilence) {
    constexpr std::uint32_t kZeroCode = 8191;
    auto build = [&](int granulesSent, std::size_t size) {
        BitWriter bits = StartFrame(0x10);
        bits.Put(15, 4);  // subband 0: 16383 levels
        for (int sb = 1; sb < 30; ++sb) {
            bits.Put(0, sb < 4 ? 4 : sb < 11 ? 3 : 2);
        }
        bits.Put(2, 2);  // one scale factor for the whole frame
        bits.Put(9, 6);
        for (int granule = 0; granule < 12; ++granule) {
            for (int s = 0; s < 3; ++s) {
                const std::uint32_t code =
                    granule < granulesSent ? (granule * 2011 + s * 977) % 16383 : kZeroCode;
                bits.Put(code, 14);
            }
        }
        return bits.Bytes(size);
    };

    // Exactly 52 bytes on the heap, so any read past the frame is caught by the sanitizer.
    const std::vector<std::uint8_t> cut = build(12, 52);
    const auto exact = std::make_unique<std::uint8_t[]>(cut.size());
    std::copy(cut.begin(), cut.end(), exact.get());
    const std::vector<std::uint8_t> silentTail = build(7, 200);

    MpegAudioSynthesisHistory a;
    MpegAudioSynthesisHistory b;
    Frame outA{};
    Frame outB{};
    MpegAudioDecodeFrame(Tables(), std::span<const std::uint8_t>(exact.get(), cut.size()), a, outA);
    MpegAudioDecodeFrame(Tables(), silentTail, b, outB);
    EXPECT_EQ(outA, outB);
    EXPECT_EQ(a.values, b.values);
    EXPECT_NE(outA[100], 0);
}

TEST_F(MpegAudioDecodeFrameTest, SideInformationBeyondTheFrameIsSilence) {
    // Every subband at its largest class: the scale factors alone outrun 52 bytes.
    BitWriter bits = StartFrame(0x10);
    for (int sb = 0; sb < 30; ++sb) {
        const int width = sb < 4 ? 4 : sb < 11 ? 3 : 2;
        bits.Put((1u << width) - 1, width);
    }
    for (int sb = 0; sb < 30; ++sb) {
        bits.Put(0, 2);
    }
    for (int i = 0; i < 90; ++i) {
        bits.Put(0x2A, 6);
    }
    const std::vector<std::uint8_t> all = bits.Bytes(bits.BitCount() / 8 + 1);
    const auto exact = std::make_unique<std::uint8_t[]>(52);
    std::copy(all.begin(), all.begin() + 52, exact.get());
    MpegAudioSynthesisHistory history;
    Frame out{};
    out.fill(7);
    MpegAudioDecodeFrame(Tables(), std::span<const std::uint8_t>(exact.get(), 52), history, out);
    for (std::int16_t sample : out) {
        ASSERT_EQ(sample, 0);
    }
}

TEST_F(MpegAudioDecodeFrameTest, ChannelsKeepTheirOwnHistory) {
    const auto first = test::ReadFixture("music_64k.xmp");
    const auto second = test::ReadFixture("music_8k.xmp");
    const std::vector<std::int16_t> aloneFirst = DecodeAll(first);
    const std::vector<std::int16_t> aloneSecond = DecodeAll(second);

    const auto a = StoredMusic::Parse(first);
    const auto b = StoredMusic::Parse(second);
    ASSERT_TRUE(a.music && b.music);
    MpegAudioSynthesisHistory historyA;
    MpegAudioSynthesisHistory historyB;
    std::vector<std::int16_t> mixedFirst;
    std::vector<std::int16_t> mixedSecond;
    Frame frame{};
    for (std::size_t i = 0; i < std::max(a.music->FrameCount(), b.music->FrameCount()); ++i) {
        if (i < a.music->FrameCount()) {
            a.music->DecodeFrame(i, Tables(), historyA, frame);
            mixedFirst.insert(mixedFirst.end(), frame.begin(), frame.end());
        }
        if (i < b.music->FrameCount()) {
            b.music->DecodeFrame(i, Tables(), historyB, frame);
            mixedSecond.insert(mixedSecond.end(), frame.begin(), frame.end());
        }
    }
    EXPECT_EQ(mixedFirst, aloneFirst);
    EXPECT_EQ(mixedSecond, aloneSecond);
}

TEST_F(MpegAudioDecodeFrameTest, ClearedHistoryRestartsTheSound) {
    const auto data = test::ReadFixture("music_32k.xmp");
    const std::vector<std::int16_t> once = DecodeAll(data);
    const auto parsed = StoredMusic::Parse(data);
    ASSERT_TRUE(parsed.music);
    MpegAudioSynthesisHistory history;
    Frame frame{};
    parsed.music->DecodeFrame(3, Tables(), history, frame);
    history.Clear();
    parsed.music->DecodeFrame(0, Tables(), history, frame);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), once.begin()));
}

TEST_F(MpegAudioDecodeFrameTest, RandomFramesStayInBounds) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 1100);
    MpegAudioSynthesisHistory history;
    Frame out{};
    for (int round = 0; round < 3000; ++round) {
        const std::size_t n = size(random);
        auto frame = std::make_unique<std::uint8_t[]>(n);
        for (std::size_t i = 0; i < n; ++i) {
            frame[i] = static_cast<std::uint8_t>(byte(random));
        }
        // Mostly valid sync and headers of every bitrate, protection and padding.
        if (n >= 4 && round % 4 != 0) {
            frame[0] = 0xFF;
            frame[1] = static_cast<std::uint8_t>(0xF4 | (frame[1] & 1));
        }
        if (round % 97 == 0) {
            history.offset = static_cast<std::uint32_t>(random());  // a channel's garbage offset
        }
        const MpegAudioFrameResult result =
            MpegAudioDecodeFrame(Tables(), std::span<const std::uint8_t>(frame.get(), n), history, out);
        if (result.outputBytes != 0) {
            EXPECT_EQ(result.outputBytes, 2304u);
            EXPECT_LE(result.frameBytes, 1045u);
        }
        for (float value : history.values) {
            ASSERT_TRUE(std::isfinite(value));
        }
    }
}

}  // namespace
}  // namespace sound
