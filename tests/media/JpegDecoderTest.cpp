#include "media/JpegDecoder.h"

#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace media {
namespace {

using testing::EncodeOptions;
using testing::FindSegment;
using testing::RawImage;
using Bytes = std::vector<std::uint8_t>;

// Largest difference per channel allowed against libjpeg's float decode: both
// use the same transform, but the colour offsets here are rounded per table.
constexpr int kTolerance = 3;

struct Decoded {
    const char* error = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool corrupt = false;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * stride + x]; }
};

Decoded DecodeAll(const Bytes& jpeg) {
    Decoded out;
    JpegDecoder decoder;
    out.error = decoder.ReadHeaders(jpeg);
    if (out.error != nullptr) {
        return out;
    }
    out.width = decoder.Width();
    out.height = decoder.Height();
    out.stride = decoder.McusAcross() * decoder.McuWidth();
    out.pixels.assign(static_cast<std::size_t>(out.stride) * decoder.McusDown() * decoder.McuHeight(), 0xDEADBEEF);
    EXPECT_TRUE(decoder.DecodeRegion(out.pixels, out.stride, 0, 0, decoder.McusAcross(), decoder.McusDown()));
    out.corrupt = decoder.SawCorruptData();
    return out;
}

// Largest channel difference between our decode and libjpeg's over the picture.
int MaxDifference(const Decoded& ours, const RawImage& reference) {
    int worst = 0;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const std::uint32_t p = ours.At(x, y);
            const int got[3] = {static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255),
                                static_cast<int>(p & 255)};
            for (int c = 0; c < 3; ++c) {
                const std::size_t index = static_cast<std::size_t>(y) * reference.width + x;
                const int want = reference.channels == 3 ? reference.samples[index * 3 + c] : reference.samples[index];
                worst = std::max(worst, std::abs(got[c] - want));
            }
        }
    }
    return worst;
}

struct AccuracyCase {
    const char* name;
    int width;
    int height;
    int channels;
    int hSampling;
    int vSampling;
    int restartInterval;
    int quality;
    // The MCU the decoder must use.
    int mcuWidth;
    int mcuHeight;
};

class JpegAccuracyTest : public ::testing::TestWithParam<AccuracyCase> {};

TEST_P(JpegAccuracyTest, MatchesLibjpegFloatDecode) {
    const AccuracyCase& c = GetParam();
    const RawImage image = testing::MakePattern(c.width, c.height, c.channels);
    EncodeOptions options;
    options.hSampling = c.hSampling;
    options.vSampling = c.vSampling;
    options.restartInterval = c.restartInterval;
    options.quality = c.quality;
    const Bytes jpeg = testing::Encode(image, options);
    ASSERT_FALSE(jpeg.empty());
    const RawImage reference = testing::ReferenceDecode(jpeg);
    ASSERT_EQ(reference.width, c.width);

    JpegDecoder decoder;
    ASSERT_EQ(decoder.ReadHeaders(jpeg), nullptr);
    EXPECT_EQ(decoder.Width(), c.width);
    EXPECT_EQ(decoder.Height(), c.height);
    EXPECT_EQ(decoder.Components(), c.channels);
    EXPECT_EQ(decoder.McuWidth(), c.mcuWidth);
    EXPECT_EQ(decoder.McuHeight(), c.mcuHeight);
    EXPECT_EQ(decoder.McusAcross(), (c.width + c.mcuWidth - 1) / c.mcuWidth);
    EXPECT_EQ(decoder.McusDown(), (c.height + c.mcuHeight - 1) / c.mcuHeight);

    const Decoded ours = DecodeAll(jpeg);
    EXPECT_FALSE(ours.corrupt);
    const int worst = MaxDifference(ours, reference);
    RecordProperty("max_difference", worst);
    EXPECT_LE(worst, kTolerance);
    if (c.channels == 1) {
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const std::uint32_t p = ours.At(x, y);
                ASSERT_EQ(p, (p & 255) * 0x010101u) << "grey pixel " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, JpegAccuracyTest,
    ::testing::Values(AccuracyCase{"Colour444", 64, 48, 3, 1, 1, 0, 85, 8, 8},
                      AccuracyCase{"Colour422", 64, 48, 3, 2, 1, 0, 85, 16, 8},
                      AccuracyCase{"Colour420", 64, 48, 3, 2, 2, 0, 85, 16, 16},
                      AccuracyCase{"Colour440", 40, 48, 3, 1, 2, 0, 85, 8, 16},
                      AccuracyCase{"Colour411", 64, 24, 3, 4, 1, 0, 85, 32, 8},
                      AccuracyCase{"Grey", 64, 48, 1, 1, 1, 0, 85, 8, 8},
                      // A lone component is one block per MCU whatever its factors say.
                      AccuracyCase{"GreySampled2x2", 40, 24, 1, 2, 2, 0, 85, 8, 8},
                      AccuracyCase{"OddSize420", 33, 17, 3, 2, 2, 0, 85, 16, 16},
                      AccuracyCase{"OddSize444", 33, 17, 3, 1, 1, 0, 85, 8, 8},
                      AccuracyCase{"OddSizeGrey", 33, 17, 1, 1, 1, 0, 85, 8, 8},
                      AccuracyCase{"Full420", 640, 480, 3, 2, 2, 0, 75, 16, 16},
                      AccuracyCase{"Quality100", 48, 32, 3, 2, 2, 0, 100, 16, 16},
                      AccuracyCase{"Quality10", 48, 32, 3, 2, 2, 0, 10, 16, 16},
                      AccuracyCase{"RestartEveryMcu", 33, 17, 3, 2, 2, 1, 85, 16, 16},
                      AccuracyCase{"RestartEvery7", 200, 72, 3, 2, 2, 7, 85, 16, 16},
                      AccuracyCase{"RestartGrey", 40, 40, 1, 1, 1, 3, 85, 8, 8}),
    [](const ::testing::TestParamInfo<AccuracyCase>& info) { return std::string(info.param.name); });

int RoundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

// The colour conversion the decoder promises: each chroma term rounded on its
// own, so green may sit a level away from libjpeg's single rounding.
std::uint32_t ExpectedRgb(int y, int cb, int cr) {
    const int r = std::clamp(y + RoundHalfUp(1.402 * (cr - 128)), 0, 255);
    const int g = std::clamp(y + RoundHalfUp(-0.34414 * (cb - 128)) + RoundHalfUp(-0.71414 * (cr - 128)), 0, 255);
    const int b = std::clamp(y + RoundHalfUp(1.772 * (cb - 128)), 0, 255);
    return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

TEST(JpegDecoderTest, FlatColoursAreExact) {
    const std::uint8_t colours[][3] = {{0, 0, 0},     {255, 255, 255}, {128, 128, 128}, {255, 0, 0},
                                       {0, 255, 0},   {0, 0, 255},     {200, 30, 90},   {17, 140, 230},
                                       {250, 250, 5}, {90, 60, 20}};
    const int samplings[][2] = {{1, 1}, {2, 1}, {2, 2}};
    for (const auto& colour : colours) {
        for (const auto& sampling : samplings) {
            SCOPED_TRACE(::testing::Message() << "colour " << int(colour[0]) << "," << int(colour[1]) << ","
                                              << int(colour[2]) << " sampling " << sampling[0] << "x" << sampling[1]);
            EncodeOptions options;
            options.hSampling = sampling[0];
            options.vSampling = sampling[1];
            const Bytes jpeg = testing::Encode(testing::MakeFlat(37, 21, colour[0], colour[1], colour[2]), options);
            const RawImage ycc = testing::ReferenceDecodeYCbCr(jpeg);
            const Decoded ours = DecodeAll(jpeg);
            ASSERT_EQ(ours.error, nullptr);
            EXPECT_LE(MaxDifference(ours, testing::ReferenceDecode(jpeg)), 1);
            for (int y = 0; y < ours.height; ++y) {
                for (int x = 0; x < ours.width; ++x) {
                    const std::uint8_t* s = &ycc.samples[(static_cast<std::size_t>(y) * ycc.width + x) * 3];
                    ASSERT_EQ(ours.At(x, y), ExpectedRgb(s[0], s[1], s[2])) << "at " << x << "," << y;
                }
            }
        }
    }
}

// Hand-made pictures: an 8 x 8 grey picture whose entropy-coded data is written
// bit by bit with two small Huffman tables.
//   DC codes: "0" category 0, "10" category 12 (impossible).
//   AC codes: "0" end of block, "10" run 15 size 1, "110" size 11 (impossible),
//             "1110" run 0 size 1. "1111..." is no code at all.
void AddSegment(Bytes& out, std::uint8_t marker, const Bytes& body) {
    out.push_back(0xFF);
    out.push_back(marker);
    const std::size_t length = body.size() + 2;
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length));
    out.insert(out.end(), body.begin(), body.end());
}

Bytes HuffmanBody(std::uint8_t classAndId, const std::vector<int>& countsByLength, const Bytes& values) {
    Bytes body{classAndId};
    for (int i = 0; i < 16; ++i) {
        body.push_back(static_cast<std::uint8_t>(i < static_cast<int>(countsByLength.size()) ? countsByLength[i] : 0));
    }
    body.insert(body.end(), values.begin(), values.end());
    return body;
}

// Packs "0"/"1" text into bytes, padded with 1 bits and with 0xFF stuffed.
Bytes PackBits(const std::string& bits) {
    Bytes out;
    int byte = 0;
    int count = 0;
    auto push = [&](int value) {
        out.push_back(static_cast<std::uint8_t>(value));
        if (value == 0xFF) {
            out.push_back(0x00);
        }
    };
    for (char bit : bits) {
        byte = (byte << 1) | (bit == '1');
        if (++count == 8) {
            push(byte);
            byte = 0;
            count = 0;
        }
    }
    if (count != 0) {
        push(((byte << (8 - count)) | ((1 << (8 - count)) - 1)) & 255);
    }
    return out;
}

Bytes HandMadeGrey(const Bytes& entropy, const Bytes& dht = {}) {
    Bytes out{0xFF, 0xD8};
    Bytes dqt{0x00};
    dqt.insert(dqt.end(), 64, 1);
    AddSegment(out, 0xDB, dqt);
    AddSegment(out, 0xC0, {8, 0, 8, 0, 8, 1, 1, 0x11, 0});
    if (dht.empty()) {
        AddSegment(out, 0xC4, HuffmanBody(0x00, {1, 1}, {0, 12}));
        AddSegment(out, 0xC4, HuffmanBody(0x10, {1, 1, 1, 1}, {0x00, 0xF1, 0x0B, 0x01}));
    } else {
        AddSegment(out, 0xC4, dht);
    }
    AddSegment(out, 0xDA, {1, 1, 0x00, 0, 63, 0});
    out.insert(out.end(), entropy.begin(), entropy.end());
    out.push_back(0xFF);
    out.push_back(0xD9);
    return out;
}

TEST(JpegDecoderTest, MalformedEntropyDataIsContained) {
    struct Case {
        const char* name;
        std::string bits;
        bool corrupt;
    };
    const Case cases[] = {
        {"well formed", "0" "1110" "1" "0", false},
        {"run past the last coefficient", "0" "10" "1" "10" "1" "10" "1" "10" "1", true},
        {"AC magnitude category 11", "0" "110", true},
        {"DC magnitude category 12", "10", true},
        {"no such code reads as symbol 0", "1111111111111111", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = DecodeAll(HandMadeGrey(PackBits(c.bits)));
        ASSERT_EQ(d.error, nullptr);
        EXPECT_EQ(d.corrupt, c.corrupt);
        for (std::uint32_t p : d.pixels) {
            ASSERT_EQ(p, (p & 255) * 0x010101u);
        }
    }
}

TEST(JpegDecoderTest, MissingCodeDecodesAsFlatGrey) {
    // All one bits match no code: DC category 0 and end of block, so mid grey.
    const Decoded d = DecodeAll(HandMadeGrey(PackBits("1111111111111111111111")));
    ASSERT_EQ(d.error, nullptr);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(d.At(x, y), 0x808080u);
        }
    }
}

// Canonical codes of a table given as code counts per length and symbols.
struct Code {
    int bits = 0;
    int length = 0;
};

std::vector<Code> CanonicalCodes(const std::vector<int>& countsByLength, const Bytes& values) {
    std::vector<Code> codes(256);
    int code = 0;
    std::size_t k = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = length <= static_cast<int>(countsByLength.size()) ? countsByLength[length - 1] : 0;
        for (int i = 0; i < count; ++i, ++code) {
            codes[values[k++]] = Code{code, length};
        }
        code <<= 1;
    }
    return codes;
}

std::string Bits(int value, int length) {
    std::string s;
    for (int b = length - 1; b >= 0; --b) {
        s += ((value >> b) & 1) ? '1' : '0';
    }
    return s;
}

// Magnitude category and its extra bits.
std::string Magnitude(int v, int& size) {
    size = 0;
    while ((std::abs(v) >> size) != 0) {
        ++size;
    }
    return size == 0 ? std::string() : Bits(v >= 0 ? v : v + (1 << size) - 1, size);
}

// The textbook inverse DCT of a natural-order block, rounded and clamped.
int ReferenceSample(const int* coefficients, int x, int y) {
    double sum = 0;
    for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
            const double cu = u == 0 ? 1 / std::sqrt(2.0) : 1;
            const double cv = v == 0 ? 1 / std::sqrt(2.0) : 1;
            sum += cu * cv * coefficients[v * 8 + u] * std::cos((2 * x + 1) * u * M_PI / 16) *
                   std::cos((2 * y + 1) * v * M_PI / 16);
        }
    }
    return std::clamp(static_cast<int>(std::floor(sum / 4 + 128.5)), 0, 255);
}

TEST(JpegDecoderTest, BlocksMatchTheTextbookTransform) {
    // Random sparse blocks (quantiser 1) coded by hand, with an AC table of
    // 8-bit codes (first-level look-up only) and one of 12-bit codes (the tree).
    constexpr int kZig[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                              12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                              35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                              58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    Bytes acSymbols{0x00, 0xF0};
    for (int run = 0; run < 16; ++run) {
        for (int size = 1; size <= 10; ++size) {
            acSymbols.push_back(static_cast<std::uint8_t>(run << 4 | size));
        }
    }
    const std::vector<int> dcCounts{0, 0, 0, 12};
    const Bytes dcSymbols{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const std::vector<int> shortCounts{0, 0, 0, 0, 0, 0, 0, 162};
    const std::vector<int> longCounts{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 160};
    const auto dcCodes = CanonicalCodes(dcCounts, dcSymbols);

    std::mt19937 random(7);
    std::uniform_int_distribution<int> value(-300, 300);
    std::uniform_int_distribution<int> position(1, 63);
    std::uniform_int_distribution<int> howMany(0, 12);
    for (const auto* counts : {&shortCounts, &longCounts}) {
        const auto acCodes = CanonicalCodes(*counts, acSymbols);
        Bytes dht = HuffmanBody(0x00, dcCounts, dcSymbols);
        const Bytes ac = HuffmanBody(0x10, *counts, acSymbols);
        dht.insert(dht.end(), ac.begin(), ac.end());
        for (int round = 0; round < 30; ++round) {
            SCOPED_TRACE(::testing::Message() << (counts == &shortCounts ? "8-bit" : "12-bit") << " codes, round "
                                              << round);
            int coefficients[64] = {};
            coefficients[0] = value(random) * 3;
            for (int n = howMany(random); n > 0; --n) {
                coefficients[kZig[position(random)]] = value(random) / (1 + n);
            }
            int size = 0;
            std::string bits = Magnitude(coefficients[0], size);
            bits = Bits(dcCodes[size].bits, dcCodes[size].length) + bits;
            int run = 0;
            for (int k = 1; k < 64; ++k) {
                const int v = coefficients[kZig[k]];
                if (v == 0) {
                    ++run;
                    continue;
                }
                for (; run >= 16; run -= 16) {
                    bits += Bits(acCodes[0xF0].bits, acCodes[0xF0].length);
                }
                const std::string extra = Magnitude(v, size);
                const Code& c = acCodes[run << 4 | size];
                bits += Bits(c.bits, c.length) + extra;
                run = 0;
            }
            if (run > 0) {
                bits += Bits(acCodes[0].bits, acCodes[0].length);
            }
            const Decoded d = DecodeAll(HandMadeGrey(PackBits(bits), dht));
            ASSERT_EQ(d.error, nullptr);
            ASSERT_FALSE(d.corrupt);
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    ASSERT_NEAR(static_cast<int>(d.At(x, y) & 255), ReferenceSample(coefficients, x, y), 1)
                        << "at " << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace media
