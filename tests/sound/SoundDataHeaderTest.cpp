#include "sound/SoundDataHeader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "MixerTestSupport.h"
#include "SoundTestSupport.h"
#include "sound/ImaAdpcm.h"
#include "sound/SpeechData.h"
#include "sound/StoredMusic.h"
#include "sound/xMixer.h"

namespace {

using sound::SoundDataHeader;
using sound::SoundFormat;
using namespace sound::mixer_test;

std::vector<std::int16_t> Ramp(std::size_t n) {
    std::vector<std::int16_t> samples(n);
    for (std::size_t i = 0; i < n; ++i) {
        samples[i] = static_cast<std::int16_t>(i * 37);
    }
    return samples;
}

struct HeaderCase {
    const char* what;
    std::function<std::vector<std::uint8_t>()> make;
    SoundFormat format;
    std::size_t samples;
};

std::vector<std::uint8_t> OddListChunk() {
    std::vector<std::uint8_t> chunk;
    PutTag(chunk, "LIST");
    PutLe32(chunk, 3);
    chunk.insert(chunk.end(), {'a', 'b', 'c', 0});  // three bytes and the pad byte
    return chunk;
}

const HeaderCase kCases[] = {
    {"wave 22050 mono", [] { return MakeWave(Ramp(100)); }, SoundFormat::kPcm, 100},
    {"wave stereo", [] { return MakeWave(Ramp(100), {1, 2, 22050, 4, 16}); }, SoundFormat::kNone, 0},
    {"wave 44100", [] { return MakeWave(Ramp(100), {1, 1, 44100, 2, 16}); }, SoundFormat::kNone, 0},
    {"wave 11025", [] { return MakeWave(Ramp(100), {1, 1, 11025, 2, 16}); }, SoundFormat::kNone, 0},
    {"wave 8-bit", [] { return MakeWave(Ramp(100), {1, 1, 22050, 1, 8}); }, SoundFormat::kNone, 0},
    {"wave not PCM", [] { return MakeWave(Ramp(100), {3, 1, 22050, 2, 16}); }, SoundFormat::kNone, 0},
    // Fields are compared on their low byte only: 0x0122 Hz passes as 22050 (0x5622).
    {"wave rate low byte", [] { return MakeWave(Ramp(100), {1, 1, 0x0122, 2, 16}); }, SoundFormat::kPcm, 100},
    {"wave odd chunk first", [] { return MakeWave(Ramp(10), {}, -1, OddListChunk()); }, SoundFormat::kPcm, 10},
    {"wave data size beyond the file", [] { return MakeWave(Ramp(100), {}, 0x7FFFFFFF); }, SoundFormat::kPcm, 100},
    {"wave odd data size", [] { return MakeWave(Ramp(100), {}, 7); }, SoundFormat::kPcm, 3},
    {"wave empty data", [] { return MakeWave({}); }, SoundFormat::kNone, 0},
    {"wave RIFF size beyond the file",
     [] {
         auto data = MakeWave(Ramp(20));
         data[4] = data[5] = data[6] = data[7] = 0xFF;
         return data;
     },
     SoundFormat::kPcm, 20},
    {"wave RIFF size short of the data chunk",
     [] {
         auto data = MakeWave(Ramp(20));
         data[4] = 4 + 24;  // "WAVE" and the format chunk only
         data[5] = data[6] = data[7] = 0;
         return data;
     },
     SoundFormat::kNone, 0},
    {"xima", [] { return MakeXima(3, ImaBlocks(3)); }, SoundFormat::kIma, 192},
    {"xima count beyond the data", [] { return MakeXima(0xFFFFFFFF, ImaBlocks(3)); }, SoundFormat::kIma, 192},
    {"xima partial block", [] { auto d = MakeXima(4, ImaBlocks(4)); d.resize(d.size() - 1); return d; },
     SoundFormat::kIma, 192},
    {"xima no blocks", [] { return MakeXima(0, ImaBlocks(2)); }, SoundFormat::kNone, 0},
    {"music", [] { return sound::test::ReadFixture("music_64k.xmp"); }, SoundFormat::kMusic, 13230},
    {"music refused rate", [] { auto d = sound::test::ReadFixture("music_64k.xmp"); d[3] |= 0x04; return d; },
     SoundFormat::kNone, 0},
    {"nothing", [] { return std::vector<std::uint8_t>{}; }, SoundFormat::kNone, 0},
    {"unknown", [] { return std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 0, 0, 0, 1}; }, SoundFormat::kNone, 0},
};

TEST(SoundDataHeaderTest, RecognisesEachStoredForm) {
    for (const HeaderCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> data = c.make();
        const SoundDataHeader header = SoundDataHeader::Read(data);
        EXPECT_EQ(header.format, c.format);
        EXPECT_EQ(header.sampleCount, c.samples);
        EXPECT_EQ(xMixerGetSampleCount(data), c.samples);
    }
}

TEST(SoundDataHeaderTest, SpeechLengthIsWhatItsFramesYield) {
    const std::vector<std::uint8_t> data = sound::test::ReadFixture("speech-female.ts");
    const auto speech = sound::SpeechData::Read(data);
    ASSERT_TRUE(speech);
    const SoundDataHeader header = SoundDataHeader::Read(data);
    EXPECT_EQ(header.format, SoundFormat::kSpeech);
    EXPECT_EQ(header.sampleCount, speech->sampleCount);
    EXPECT_GT(header.sampleCount, 0u);
}

// Whatever the bytes, the payload lies inside the data and covers the samples claimed.
void CheckBounded(std::span<const std::uint8_t> data) {
    const SoundDataHeader header = SoundDataHeader::Read(data);
    if (header.format == SoundFormat::kNone) {
        EXPECT_EQ(header.sampleCount, 0u);
        return;
    }
    ASSERT_GE(header.payload.data(), data.data());
    ASSERT_LE(header.payload.data() + header.payload.size(), data.data() + data.size());
    switch (header.format) {
        case SoundFormat::kPcm:
            EXPECT_EQ(header.payload.size(), header.sampleCount * 2);
            break;
        case SoundFormat::kIma:
            EXPECT_EQ(header.payload.size() / sound::kImaBlockBytes * sound::kImaBlockSamples, header.sampleCount);
            break;
        default:
            EXPECT_GT(header.payload.size(), 0u);
            break;
    }
}

TEST(SoundDataHeaderTest, TruncatedAndRandomDataStayInBounds) {
    std::vector<std::vector<std::uint8_t>> sources = {MakeWave(Ramp(300)), MakeXima(5, ImaBlocks(5)),
                                                      sound::test::ReadFixture("music_8k.xmp"),
                                                      sound::test::ReadFixture("speech-female.ts")};
    for (const auto& source : sources) {
        for (std::size_t length = 0; length <= std::min<std::size_t>(source.size(), 400); ++length) {
            // A copy of exactly `length` bytes, so ASan sees any read past it.
            const std::vector<std::uint8_t> prefix(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(length));
            CheckBounded(prefix);
        }
    }
    std::mt19937 random(18);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> data = sources[static_cast<std::size_t>(round) % sources.size()];
        data.resize(random() % (data.size() + 1));
        for (int flips = random() % 8; flips > 0 && !data.empty(); --flips) {
            data[random() % data.size()] = static_cast<std::uint8_t>(random());
        }
        CheckBounded(data);
    }
}

}  // namespace
