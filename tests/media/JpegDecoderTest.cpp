#include "media/JpegDecoder.h"

#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
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
constexpr int kTolerance = 2;

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
    out.pixels.assign(static_cast<std::size_t>(out.stride) * decoder.McusDown() * decoder.McuHeight(),
                      0xDEADBEEF);
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
                const int want =
                    reference.channels == 3 ? reference.samples[index * 3 + c] : reference.samples[index];
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

const AccuracyCase kLayouts[] = {
    {"Colour444", 64, 48, 3, 1, 1, 0, 85, 8, 8},
    {"Colour422", 64, 48, 3, 2, 1, 0, 85, 16, 8},
    {"Colour420", 64, 48, 3, 2, 2, 0, 85, 16, 16},
    {"Colour440", 40, 48, 3, 1, 2, 0, 85, 8, 16},
    {"Colour411", 64, 24, 3, 4, 1, 0, 85, 32, 8},
    {"Grey", 64, 48, 1, 1, 1, 0, 85, 8, 8},
    // A lone component is one block per MCU whatever its factors say.
    {"GreySampled2x2", 40, 24, 1, 2, 2, 0, 85, 8, 8},
    {"OddSize420", 33, 17, 3, 2, 2, 0, 85, 16, 16},
    {"OddSize444", 33, 17, 3, 1, 1, 0, 85, 8, 8},
    {"OddSizeGrey", 33, 17, 1, 1, 1, 0, 85, 8, 8},
    {"Full420", 640, 480, 3, 2, 2, 0, 75, 16, 16},
    {"Quality100", 48, 32, 3, 2, 2, 0, 100, 16, 16},
    {"Quality10", 48, 32, 3, 2, 2, 0, 10, 16, 16},
    {"RestartEveryMcu", 33, 17, 3, 2, 2, 1, 85, 16, 16},
    {"RestartEvery7", 200, 72, 3, 2, 2, 7, 85, 16, 16},
    {"RestartGrey", 40, 40, 1, 1, 1, 3, 85, 8, 8},
};
INSTANTIATE_TEST_SUITE_P(Layouts, JpegAccuracyTest, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<AccuracyCase>& info) {
                             return std::string(info.param.name);
                         });

int RoundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

// The colour conversion the decoder promises: each chroma term rounded on its
// own, so green may sit a level away from libjpeg's single rounding.
std::uint32_t ExpectedRgb(int y, int cb, int cr) {
    const int r = std::clamp(y + RoundHalfUp(1.402 * (cr - 128)), 0, 255);
    const int g =
        std::clamp(y + RoundHalfUp(-0.34414 * (cb - 128)) + RoundHalfUp(-0.71414 * (cr - 128)), 0, 255);
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
            SCOPED_TRACE(::testing::Message()
                         << "colour " << int(colour[0]) << "," << int(colour[1]) << "," << int(colour[2])
                         << " sampling " << sampling[0] << "x" << sampling[1]);
            EncodeOptions options;
            options.hSampling = sampling[0];
            options.vSampling = sampling[1];
            const Bytes jpeg =
                testing::Encode(testing::MakeFlat(37, 21, colour[0], colour[1], colour[2]), options);
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
        body.push_back(
            static_cast<std::uint8_t>(i < static_cast<int>(countsByLength.size()) ? countsByLength[i] : 0));
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
    // Written in symbols: d = DC category 0, D = DC category 12, E = end of
    // block, F = run 15 size 1, B = size 11, O = run 0 size 1, Z = run of 16
    // zeros; 0 and 1 are magnitude bits. Each case runs with short AC codes (whole coefficients
    // fit the 8-bit look-up) and with 9-bit ones (they never do).
    struct Case {
        const char* name;
        std::string symbols;
        bool corrupt;
    };
    const Case cases[] = {
        {"well formed", "dO1E", false},
        {"run past the last coefficient", "dF1F1F1F1", true},
        {"AC magnitude category 11", "dB", true},
        {"DC magnitude category 12", "D", true},
        {"zero runs inside the block", "dZZZO1E", false},
        {"zero run past the last coefficient", "dZZZZ", true},
    };
    struct Codes {
        const char* name;
        Bytes acTable;
        const char* eob;
        const char* run15;
        const char* size11;
        const char* size1;
        const char* zeroRun;
    };
    const Codes codes[] = {
        {"short codes", HuffmanBody(0x10, {1, 1, 1, 1, 1}, {0x00, 0xF1, 0x0B, 0x01, 0xF0}), "0", "10", "110",
         "1110", "11110"},
        {"9-bit codes", HuffmanBody(0x10, {0, 0, 0, 0, 0, 0, 0, 0, 5}, {0x00, 0xF1, 0x0B, 0x01, 0xF0}),
         "000000000", "000000001", "000000010", "000000011", "000000100"},
    };
    for (const Codes& table : codes) {
        Bytes dht = HuffmanBody(0x00, {1, 1}, {0, 12});
        dht.insert(dht.end(), table.acTable.begin(), table.acTable.end());
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << " with " << table.name);
            std::string bits;
            for (char symbol : c.symbols) {
                switch (symbol) {
                    case 'd':
                        bits += "0";
                        break;
                    case 'D':
                        bits += "10";
                        break;
                    case 'E':
                        bits += table.eob;
                        break;
                    case 'F':
                        bits += table.run15;
                        break;
                    case 'B':
                        bits += table.size11;
                        break;
                    case 'O':
                        bits += table.size1;
                        break;
                    case 'Z':
                        bits += table.zeroRun;
                        break;
                    default:
                        bits += symbol;
                        break;
                }
            }
            const Decoded d = DecodeAll(HandMadeGrey(PackBits(bits), dht));
            ASSERT_EQ(d.error, nullptr);
            EXPECT_EQ(d.corrupt, c.corrupt);
            for (std::uint32_t p : d.pixels) {
                ASSERT_EQ(p, (p & 255) * 0x010101u);
            }
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
            SCOPED_TRACE(::testing::Message()
                         << (counts == &shortCounts ? "8-bit" : "12-bit") << " codes, round " << round);
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

// Pictures for the header checks: libjpeg output, then patched.
Bytes Colour420() {
    return testing::Encode(testing::MakePattern(32, 32, 3), EncodeOptions{});
}

Bytes Grey() {
    EncodeOptions options;
    options.hSampling = 1;
    options.vSampling = 1;
    return testing::Encode(testing::MakePattern(16, 16, 1), options);
}

// Sets the byte at `offset` from the start (the 0xFF) of the first `marker` segment.
Bytes Patch(Bytes jpeg, std::uint8_t marker, std::size_t offset, std::uint8_t value) {
    const std::size_t at = FindSegment(jpeg, marker);
    EXPECT_NE(at, testing::kNotFound);
    if (at != testing::kNotFound) {
        jpeg.at(at + offset) = value;
    }
    return jpeg;
}

Bytes Truncated(Bytes jpeg, std::size_t size) {
    jpeg.resize(size);
    return jpeg;
}

Bytes WithoutSegment(Bytes jpeg, std::uint8_t marker) {
    const std::size_t at = FindSegment(jpeg, marker);
    const std::size_t length = (jpeg.at(at + 2) << 8 | jpeg.at(at + 3)) + 2;
    jpeg.erase(jpeg.begin() + static_cast<std::ptrdiff_t>(at),
               jpeg.begin() + static_cast<std::ptrdiff_t>(at + length));
    return jpeg;
}

Bytes WithSegmentBefore(Bytes jpeg, std::uint8_t before, std::uint8_t marker, const Bytes& body) {
    Bytes segment;
    AddSegment(segment, marker, body);
    const std::size_t at = FindSegment(jpeg, before);
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(at), segment.begin(), segment.end());
    return jpeg;
}

// Body offsets: a segment's body starts 4 bytes after its 0xFF.
// SOF0 body: precision, height (2), width (2), count, then id, sampling, table per component.
// SOS body: count, then id and tables per component, then start, end, approximation.
constexpr std::size_t kBody = 4;

struct RefusalCase {
    const char* name;
    Bytes (*make)();
    const char* message;  // nullptr: accepted
};

class JpegRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(JpegRefusalTest, GivesItsMessage) {
    const RefusalCase& c = GetParam();
    const Bytes jpeg = c.make();
    JpegDecoder decoder;
    const char* error = decoder.ReadHeaders(jpeg);
    if (c.message == nullptr) {
        EXPECT_EQ(error, nullptr) << error;
        return;
    }
    ASSERT_NE(error, nullptr);
    EXPECT_STREQ(error, c.message);
    std::vector<std::uint32_t> pixels(64 * 64);
    EXPECT_FALSE(decoder.DecodeRegion(pixels, 64, 0, 0, 4, 4)) << "a refused picture decodes nothing";
}

const char* const kNoSoi = "Invalid JPEG image, no 0xFFD8 SOI marker";
const char* const kIncomplete = "Incomplete JPEG data, no SOS segment";
const char* const kNotBaseline = "SOF? - This is not a baseline JPEG image";

const RefusalCase kRefusals[] = {
    {"Accepted", Colour420, nullptr},
    {"AcceptedGrey", Grey, nullptr},
    {"Empty", [] { return Bytes{}; }, kNoSoi},
    {"ThreeBytes",
     [] {
         return Bytes{0xFF, 0xD8, 0xFF};
     },
     kNoSoi},
    {"NoSoi",
     [] {
         Bytes jpeg = Colour420();
         jpeg[1] = 0xD9;
         return jpeg;
     },
     kNoSoi},
    {"FiveBytes",
     [] {
         return Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00};
     },
     kIncomplete},
    {"NoMarker", [] { return Patch(Colour420(), 0xE0, 0, 0x00); }, "Invalid JPEG image, no 0xFF marker"},
    {"CutInFrame", [] { return Truncated(Colour420(), FindSegment(Colour420(), 0xC0) + 8); }, kIncomplete},
    {"CutAfterFrame",
     [] {
         const Bytes jpeg = Colour420();
         const std::size_t sof = FindSegment(jpeg, 0xC0);
         return Truncated(jpeg, sof + 2 + (jpeg[sof + 2] << 8 | jpeg[sof + 3]) + 2);
     },
     kIncomplete},
    {"CutAtScan", [] { return Truncated(Colour420(), FindSegment(Colour420(), 0xDA) + 13); }, kIncomplete},
    {"NoScan", [] { return Truncated(Colour420(), FindSegment(Colour420(), 0xDA)); }, kIncomplete},
    {"Progressive",
     [] {
         EncodeOptions options;
         options.progressive = true;
         return testing::Encode(testing::MakePattern(16, 16, 3), options);
     },
     "SOF2 - Progressive JPEG not supported"},
    {"Arithmetic",
     [] {
         EncodeOptions options;
         options.arithmetic = true;
         return testing::Encode(testing::MakePattern(16, 16, 3), options);
     },
     kNotBaseline},
    {"Extended", [] { return Patch(Colour420(), 0xC0, 1, 0xC1); }, kNotBaseline},
    {"Lossless", [] { return Patch(Colour420(), 0xC0, 1, 0xC3); }, kNotBaseline},
    {"HierarchicalArithmetic", [] { return Patch(Colour420(), 0xC0, 1, 0xCF); }, kNotBaseline},
    {"Precision12", [] { return Patch(Colour420(), 0xC0, kBody, 12); },
     "SOF0 - Sample precision is not 8 bits"},
    {"TwoComponents", [] { return Patch(Colour420(), 0xC0, kBody + 5, 2); },
     "SOF0 - # Of components is not 1 or 3"},
    {"ZeroHeight", [] { return Patch(Patch(Colour420(), 0xC0, kBody + 1, 0), 0xC0, kBody + 2, 0); },
     "SOF0 - Image has zero area"},
    {"ZeroWidth", [] { return Patch(Patch(Colour420(), 0xC0, kBody + 3, 0), 0xC0, kBody + 4, 0); },
     "SOF0 - Image has zero area"},
    {"Width4097", [] { return Patch(Patch(Colour420(), 0xC0, kBody + 3, 0x10), 0xC0, kBody + 4, 0x01); },
     "SOF0 - Image larger than 4096 x 4096"},
    {"Height65535", [] { return Patch(Patch(Colour420(), 0xC0, kBody + 1, 0xFF), 0xC0, kBody + 2, 0xFF); },
     "SOF0 - Image larger than 4096 x 4096"},
    {"Size4096Accepted",
     [] {
         Bytes jpeg = Patch(Patch(Colour420(), 0xC0, kBody + 3, 0x10), 0xC0, kBody + 4, 0x00);
         return Patch(Patch(jpeg, 0xC0, kBody + 1, 0x10), 0xC0, kBody + 2, 0x00);
     },
     nullptr},
    {"FrameComponentId4", [] { return Patch(Colour420(), 0xC0, kBody + 6 + 3, 4); },
     "SOF0 - Component ids not in range"},
    {"FrameComponentId0", [] { return Patch(Colour420(), 0xC0, kBody + 6, 0); },
     "SOF0 - Component ids not in range"},
    {"QuantTableIndex2", [] { return Patch(Colour420(), 0xC0, kBody + 6 + 3 + 2, 2); },
     "SOF0 - Quantization table id out of range"},
    {"QuantTableIndex255", [] { return Patch(Grey(), 0xC0, kBody + 6 + 2, 255); },
     "SOF0 - Quantization table id out of range"},
    {"SamplingZero", [] { return Patch(Colour420(), 0xC0, kBody + 6 + 1, 0x20); },
     "SOF0 - Image subsampling not 1..4"},
    {"SamplingFive", [] { return Patch(Colour420(), 0xC0, kBody + 6 + 1, 0x51); },
     "SOF0 - Image subsampling not 1..4"},
    {"Sampling4x4", [] { return Patch(Colour420(), 0xC0, kBody + 6 + 1, 0x44); },
     "SOF0 - Image subsampling too large"},
    {"ChromaSampled", [] { return Patch(Colour420(), 0xC0, kBody + 6 + 3 + 1, 0x21); },
     "SOF0 - Color Image needs 1x1 color sampling"},
    {"FrameTooShort", [] { return Patch(Colour420(), 0xC0, 3, 2 + 9); }, "SOF0 - Segment too short"},
    {"FrameHeaderTooShort", [] { return Patch(Colour420(), 0xC0, 3, 2 + 5); }, "SOF0 - Segment too short"},
    {"HuffmanId2", [] { return Patch(Colour420(), 0xC4, kBody, 0x02); },
     "DHT - Huffman table id out of range"},
    {"HuffmanClass2", [] { return Patch(Colour420(), 0xC4, kBody, 0x20); },
     "DHT - Huffman table id out of range"},
    {"HuffmanTooManyShortCodes",
     [] {
         return HandMadeGrey({0}, HuffmanBody(0x00, {3}, {0, 1, 2}));
     },
     "DHT - Corrupted Huffman Table"},
    {"HuffmanOnlyLongCodes",
     [] {
         Bytes dht = HuffmanBody(0x00, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4}, {0, 1, 2, 3});
         const Bytes ac = HuffmanBody(0x10, {1}, {0});
         dht.insert(dht.end(), ac.begin(), ac.end());
         return HandMadeGrey({0}, dht);
     },
     nullptr},
    {"HuffmanOverflow",
     [] {
         // 255 codes of 16 bits fill a whole subtree below one prefix.
         Bytes values(255);
         for (int i = 0; i < 255; ++i) {
             values[i] = static_cast<std::uint8_t>(i);
         }
         std::vector<int> counts(16, 0);
         counts[15] = 255;
         return HandMadeGrey({0}, HuffmanBody(0x00, counts, values));
     },
     "DHT - Huffman Table Overflow"},
    {"HuffmanCountsCut", [] { return Patch(Colour420(), 0xC4, 3, 2 + 10); }, "DHT - Segment too short"},
    {"HuffmanValuesCut", [] { return Patch(Colour420(), 0xC4, 3, 2 + 18); }, "DHT - Segment too short"},
    {"QuantPrecision16", [] { return Patch(Colour420(), 0xDB, kBody, 0x10); },
     "DQT - Quant precision is not 8-bit"},
    {"QuantId2", [] { return Patch(Colour420(), 0xDB, kBody, 0x02); }, "DQT - Too many Quantization tables"},
    {"QuantCut", [] { return Patch(Colour420(), 0xDB, 3, 2 + 40); }, "DQT - Segment too short"},
    {"RestartIntervalCut", [] { return WithSegmentBefore(Colour420(), 0xDA, 0xDD, {}); },
     "DRI - Segment too short"},
    {"CommentAndAppSkipped",
     [] {
         return WithSegmentBefore(WithSegmentBefore(Colour420(), 0xC0, 0xFE, {'h', 'i'}), 0xDA, 0xEF,
                                  {1, 2, 3});
     },
     nullptr},
    {"ScanWithoutFrame", [] { return WithoutSegment(Colour420(), 0xC0); }, "SOS - Missing SOF0 segment"},
    {"ScanOfOneComponent", [] { return Patch(Colour420(), 0xDA, kBody, 1); },
     "SOS - Multiscan image not allowed"},
    {"ScanComponentId4", [] { return Patch(Colour420(), 0xDA, kBody + 1 + 2, 4); },
     "SOS - Component ids not in range"},
    {"ScanComponentRepeated", [] { return Patch(Colour420(), 0xDA, kBody + 1 + 4, 2); },
     "SOS - Component ids not in range"},
    {"ScanDcTable2", [] { return Patch(Colour420(), 0xDA, kBody + 2, 0x20); },
     "SOS - Huffman tables out of range"},
    {"ScanAcTable2", [] { return Patch(Colour420(), 0xDA, kBody + 2, 0x02); },
     "SOS - Huffman tables out of range"},
    {"ScanTableUndefined", [] { return Patch(Grey(), 0xDA, kBody + 2, 0x11); }, "SOS - Missing DHT segment"},
    {"ScanWithoutTables", [] { return WithoutSegment(WithoutSegment(Grey(), 0xC4), 0xC4); },
     "SOS - Missing DHT segment"},
    {"SpectralStart1", [] { return Patch(Colour420(), 0xDA, kBody + 7, 1); },
     "SOS - Spectral selection start is not 0"},
    {"SpectralEnd62", [] { return Patch(Colour420(), 0xDA, kBody + 8, 62); },
     "SOS - Spectral selection end is not 63"},
    {"Approximation", [] { return Patch(Colour420(), 0xDA, kBody + 9, 0x10); },
     "SOS - Spectral selection is not 0"},
    {"ScanHeaderCut", [] { return Patch(Colour420(), 0xDA, 3, 2 + 4); }, "SOS - Segment too short"},
};
INSTANTIATE_TEST_SUITE_P(Headers, JpegRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(JpegDecoderTest, ReadsTwoQuantTablesFromOneSegment) {
    // libjpeg writes one table per segment; joined into one they must decode
    // the same, and a third table in that segment is refused.
    const Bytes jpeg = Colour420();
    const std::size_t first = FindSegment(jpeg, 0xDB);
    const std::size_t second = FindSegment(jpeg, 0xDB, first + 2 + 2 + 65);
    ASSERT_EQ(second, first + 2 + 2 + 65);
    Bytes joined = jpeg;
    joined.erase(joined.begin() + static_cast<std::ptrdiff_t>(second),
                 joined.begin() + static_cast<std::ptrdiff_t>(second + 4));
    joined[first + 3] = 2 + 2 * 65;
    const Decoded a = DecodeAll(jpeg);
    const Decoded b = DecodeAll(joined);
    ASSERT_EQ(b.error, nullptr);
    EXPECT_EQ(a.pixels, b.pixels);

    Bytes three = joined;
    Bytes extra{0x02};
    extra.insert(extra.end(), 64, 1);
    three.insert(three.begin() + static_cast<std::ptrdiff_t>(first + 4 + 2 * 65), extra.begin(), extra.end());
    three[first + 3] = 2 + 3 * 65;
    JpegDecoder decoder;
    EXPECT_STREQ(decoder.ReadHeaders(three), "DQT - Too many Quantization tables");
}

TEST(JpegDecoderTest, RegionsMatchTheFullPictureInAnyOrder) {
    // 100 x 72 at 4:2:0 is 7 x 5 MCUs; with and without restart markers.
    const RawImage image = testing::MakePattern(100, 72, 3);
    struct Window {
        int x0, y0, x1, y1;
    };
    // Forwards, then backwards (a rewind), a window clipped at the edges, one
    // continuing on the same row and one starting at the position just reached.
    const Window windows[] = {{2, 1, 5, 3}, {0, 0, 1, 1}, {5, 3, 99, 99}, {1, 4, 3, 5},
                              {3, 4, 7, 5}, {6, 0, 7, 5}, {0, 2, 7, 3},   {0, 3, 2, 4}};
    for (int restart : {0, 3}) {
        EncodeOptions options;
        options.restartInterval = restart;
        const Bytes jpeg = testing::Encode(image, options);
        const Decoded full = DecodeAll(jpeg);
        ASSERT_EQ(full.error, nullptr);
        JpegDecoder decoder;
        ASSERT_EQ(decoder.ReadHeaders(jpeg), nullptr);
        for (const Window& w : windows) {
            SCOPED_TRACE(::testing::Message() << "restart " << restart << " window " << w.x0 << "," << w.y0
                                              << " to " << w.x1 << "," << w.y1);
            const int x1 = std::min(w.x1, 7);
            const int y1 = std::min(w.y1, 5);
            const int stride = (x1 - w.x0) * 16 + 3;
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * (y1 - w.y0) * 16,
                                              0xDEADBEEF);
            ASSERT_TRUE(decoder.DecodeRegion(pixels, stride, w.x0, w.y0, w.x1, w.y1));
            for (int y = 0; y < (y1 - w.y0) * 16; ++y) {
                for (int x = 0; x < stride; ++x) {
                    const std::uint32_t got = pixels[static_cast<std::size_t>(y) * stride + x];
                    if (x >= (x1 - w.x0) * 16) {
                        ASSERT_EQ(got, 0xDEADBEEF) << "written past the window at " << x << "," << y;
                    } else {
                        ASSERT_EQ(got, full.At(w.x0 * 16 + x, w.y0 * 16 + y)) << "at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(JpegDecoderTest, RefusesBuffersTooSmallForTheWindow) {
    const Bytes jpeg = Colour420();  // 2 x 2 MCUs of 16 pixels
    JpegDecoder decoder;
    ASSERT_EQ(decoder.ReadHeaders(jpeg), nullptr);
    std::vector<std::uint32_t> pixels(32 * 32);
    EXPECT_FALSE(decoder.DecodeRegion(pixels, 31, 0, 0, 2, 2)) << "stride narrower than the window";
    EXPECT_FALSE(decoder.DecodeRegion(std::span(pixels).first(32 * 32 - 1), 32, 0, 0, 2, 2))
        << "one pixel short";
    EXPECT_TRUE(decoder.DecodeRegion(std::span(pixels).first(31 * 32 + 16), 32, 1, 1, 2, 2))
        << "exactly enough";
    EXPECT_TRUE(decoder.DecodeRegion(pixels, 32, 2, 0, 9, 9)) << "empty after clipping";
    JpegDecoder fresh;
    EXPECT_FALSE(fresh.DecodeRegion(pixels, 32, 0, 0, 1, 1)) << "no headers read";
}

TEST(JpegDecoderTest, TruncatedPictureDecodesWhatIsThere) {
    // Pictures are cut at 50,000 bytes on the way in. Every MCU whose data lies
    // wholly before the cut decodes as in the whole picture; the rest reads as
    // zero bits and the decode ends normally.
    EncodeOptions options;
    options.quality = 95;
    const Bytes jpeg = testing::Encode(testing::MakePattern(640, 480, 3), options);
    ASSERT_GT(jpeg.size(), 50000u);
    const Decoded full = DecodeAll(jpeg);
    const std::size_t scan = FindSegment(jpeg, 0xDA);
    for (std::size_t cut : {std::size_t{50000}, jpeg.size() / 2, scan + 15, jpeg.size() - 2}) {
        SCOPED_TRACE(::testing::Message() << "cut at " << cut << " of " << jpeg.size());
        const Decoded part = DecodeAll(Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(cut)));
        ASSERT_EQ(part.error, nullptr);
        ASSERT_EQ(part.pixels.size(), full.pixels.size());
        // Without its end marker the picture is whole; the first MCU row lies
        // inside every other cut but the shortest.
        const int rowsIntact = cut == jpeg.size() - 2 ? 480 : (cut > scan + 1000 ? 16 : 0);
        for (int y = 0; y < rowsIntact; ++y) {
            for (int x = 0; x < 640; ++x) {
                ASSERT_EQ(part.At(x, y), full.At(x, y)) << "at " << x << "," << y;
            }
        }
    }
}

TEST(JpegDecoderTest, SurvivesDamagedAndRandomInput) {
    // Fixed seed: flipped bytes, cuts and random runs in real pictures of each
    // layout, and pure noise after a valid SOI. Nothing may read or write out
    // of bounds (the sanitizer build checks) and every decode must end.
    std::mt19937 random(20261210);
    std::vector<Bytes> seeds;
    for (const auto& [h, v, channels, restart] : std::vector<std::array<int, 4>>{
             {2, 2, 3, 0}, {1, 1, 3, 2}, {2, 1, 3, 0}, {1, 1, 1, 0}, {4, 1, 3, 1}}) {
        EncodeOptions options;
        options.hSampling = h;
        options.vSampling = v;
        options.restartInterval = restart;
        seeds.push_back(testing::Encode(testing::MakePattern(37, 29, channels, 3), options));
    }
    int decoded = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes data;
        const int kind = round % 4;
        if (kind == 3) {
            data = {0xFF, 0xD8};
            const int length = std::uniform_int_distribution<int>(0, 400)(random);
            for (int i = 0; i < length; ++i) {
                data.push_back(static_cast<std::uint8_t>(random()));
            }
        } else {
            data = seeds[round % seeds.size()];
            const int flips = std::uniform_int_distribution<int>(1, 12)(random);
            for (int i = 0; i < flips; ++i) {
                const std::size_t at = std::uniform_int_distribution<std::size_t>(2, data.size() - 1)(random);
                data[at] = kind == 1 ? 0xFF : static_cast<std::uint8_t>(random());
            }
            if (kind == 2) {
                data.resize(std::uniform_int_distribution<std::size_t>(0, data.size())(random));
            }
        }
        JpegDecoder decoder;
        if (decoder.ReadHeaders(data) != nullptr) {
            continue;
        }
        ++decoded;
        const std::size_t stride = static_cast<std::size_t>(decoder.McusAcross()) * decoder.McuWidth();
        std::vector<std::uint32_t> pixels(stride * decoder.McusDown() * decoder.McuHeight());
        ASSERT_TRUE(decoder.DecodeRegion(pixels, static_cast<int>(stride), 0, 0, decoder.McusAcross(),
                                         decoder.McusDown()));
        // A second, partial pass after a rewind.
        ASSERT_TRUE(decoder.DecodeRegion(pixels, static_cast<int>(stride), 0, 0, 1, 1));
    }
    EXPECT_GT(decoded, 500) << "the damage should leave many headers readable";
}

}  // namespace
}  // namespace media
