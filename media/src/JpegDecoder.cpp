#include "media/JpegDecoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace media {

namespace {

constexpr const char* kIncomplete = "Incomplete JPEG data, no SOS segment";

// Natural (row-major) position of each zig-zag index.
constexpr std::array<std::uint8_t, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Scale factors of the AAN inverse transform: a[0] = 1, a[k] = cos(k pi / 16) sqrt(2).
constexpr std::array<float, 8> kAanScale = {1.0f, 1.387039845f, 1.306562965f, 1.175875602f,
                                            1.0f, 0.785694958f, 0.541196100f, 0.275899379f};

// A node entry no code reaches.
constexpr std::int16_t kMissing = -2;

struct SharedTables {
    // Indexed by a sample value mod 1024: 0..255 pass, 256..511 saturate to 255,
    // 512..1023 (negative values) to 0.
    std::array<std::uint8_t, 1024> clamp{};
    // Indexed by the chroma sample; the colour offset it contributes.
    std::array<int, 256> crToRed{};
    std::array<int, 256> crToGreen{};
    std::array<int, 256> cbToGreen{};
    std::array<int, 256> cbToBlue{};
};

// Nearest integer, halves upwards. (Adding 0.5 and truncating towards zero
// would round every negative offset up instead, a level off for half of them.)
int RoundOffset(double value) {
    return static_cast<int>(std::floor(value + 0.5));
}

SharedTables BuildTables() {
    SharedTables t;
    for (int i = 0; i < 1024; ++i) {
        t.clamp[i] = static_cast<std::uint8_t>(i < 256 ? i : (i < 512 ? 255 : 0));
    }
    for (int s = 0; s < 256; ++s) {
        const double c = s - 128;
        t.crToRed[s] = RoundOffset(1.402 * c);
        t.crToGreen[s] = RoundOffset(-0.71414 * c);
        t.cbToGreen[s] = RoundOffset(-0.34414 * c);
        t.cbToBlue[s] = RoundOffset(1.772 * c);
    }
    return t;
}

const SharedTables& Tables() {
    static const SharedTables tables = BuildTables();
    return tables;
}

int ReadWord(const std::uint8_t* p) {
    return (p[0] << 8) | p[1];
}

// Rounds a transform output (offset by 128) to a sample. Values that cannot
// be a sample saturate to 0 or 255, as the vector path's packing does.
std::uint8_t ToSample(float value) {
    const float v = std::clamp(value + 128.5f, 0.0f, 255.0f);
    return static_cast<std::uint8_t>(v);
}

#if defined(__SSE2__)

// One eight-point AAN inverse transform on four lanes at once: d[k] holds input
// k of each lane and receives output k.
inline void Transform8(__m128* d) {
    const __m128 k1414 = _mm_set1_ps(1.414213562f);
    const __m128 k1847 = _mm_set1_ps(1.847759065f);
    const __m128 k1082 = _mm_set1_ps(1.082392200f);
    const __m128 k2613 = _mm_set1_ps(2.613125930f);

    const __m128 e10 = _mm_add_ps(d[0], d[4]);
    const __m128 e11 = _mm_sub_ps(d[0], d[4]);
    const __m128 e13 = _mm_add_ps(d[2], d[6]);
    const __m128 e12 = _mm_sub_ps(_mm_mul_ps(_mm_sub_ps(d[2], d[6]), k1414), e13);
    const __m128 t0 = _mm_add_ps(e10, e13);
    const __m128 t3 = _mm_sub_ps(e10, e13);
    const __m128 t1 = _mm_add_ps(e11, e12);
    const __m128 t2 = _mm_sub_ps(e11, e12);

    const __m128 z13 = _mm_add_ps(d[5], d[3]);
    const __m128 z10 = _mm_sub_ps(d[5], d[3]);
    const __m128 z11 = _mm_add_ps(d[1], d[7]);
    const __m128 z12 = _mm_sub_ps(d[1], d[7]);
    const __m128 t7 = _mm_add_ps(z11, z13);
    const __m128 o11 = _mm_mul_ps(_mm_sub_ps(z11, z13), k1414);
    const __m128 z5 = _mm_mul_ps(_mm_add_ps(z10, z12), k1847);
    const __m128 o10 = _mm_sub_ps(z5, _mm_mul_ps(z12, k1082));
    const __m128 o12 = _mm_sub_ps(z5, _mm_mul_ps(z10, k2613));
    const __m128 t6 = _mm_sub_ps(o12, t7);
    const __m128 t5 = _mm_sub_ps(o11, t6);
    const __m128 t4 = _mm_sub_ps(o10, t5);

    d[0] = _mm_add_ps(t0, t7);
    d[7] = _mm_sub_ps(t0, t7);
    d[1] = _mm_add_ps(t1, t6);
    d[6] = _mm_sub_ps(t1, t6);
    d[2] = _mm_add_ps(t2, t5);
    d[5] = _mm_sub_ps(t2, t5);
    d[3] = _mm_add_ps(t3, t4);
    d[4] = _mm_sub_ps(t3, t4);
}

// Transposes an 8 x 8 matrix held as rows of two halves: m[2 * row + half].
inline void Transpose8(__m128* m) {
    __m128 a0 = m[0], a1 = m[2], a2 = m[4], a3 = m[6];
    __m128 b0 = m[1], b1 = m[3], b2 = m[5], b3 = m[7];
    __m128 c0 = m[8], c1 = m[10], c2 = m[12], c3 = m[14];
    __m128 d0 = m[9], d1 = m[11], d2 = m[13], d3 = m[15];
    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
    _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    _MM_TRANSPOSE4_PS(d0, d1, d2, d3);
    m[0] = a0, m[2] = a1, m[4] = a2, m[6] = a3;
    m[1] = c0, m[3] = c1, m[5] = c2, m[7] = c3;
    m[8] = b0, m[10] = b1, m[12] = b2, m[14] = b3;
    m[9] = d0, m[11] = d1, m[13] = d2, m[15] = d3;
}

// Separable float AAN inverse transform of one dequantised block, columns then
// rows, four lanes at a time; outputs rounded, offset by 128 and saturated.
// Written out without loops so that the whole block stays in registers.
void InverseTransform(const float* in, std::uint8_t* out) {
    __m128 m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = _mm_load_ps(in + 4 * i);
    }
    __m128 left[8] = {m[0], m[2], m[4], m[6], m[8], m[10], m[12], m[14]};
    __m128 right[8] = {m[1], m[3], m[5], m[7], m[9], m[11], m[13], m[15]};
    Transform8(left);
    Transform8(right);
    for (int k = 0; k < 8; ++k) {
        m[2 * k] = left[k];
        m[2 * k + 1] = right[k];
    }
    Transpose8(m);
    __m128 top[8] = {m[0], m[2], m[4], m[6], m[8], m[10], m[12], m[14]};
    __m128 bottom[8] = {m[1], m[3], m[5], m[7], m[9], m[11], m[13], m[15]};
    Transform8(top);
    Transform8(bottom);
    for (int k = 0; k < 8; ++k) {
        m[2 * k] = top[k];
        m[2 * k + 1] = bottom[k];
    }
    Transpose8(m);
    const __m128 bias = _mm_set1_ps(128.5f);
    for (int row = 0; row < 8; row += 2) {
        const __m128i r0 = _mm_packs_epi32(_mm_cvttps_epi32(_mm_add_ps(m[2 * row], bias)),
                                           _mm_cvttps_epi32(_mm_add_ps(m[2 * row + 1], bias)));
        const __m128i r1 = _mm_packs_epi32(_mm_cvttps_epi32(_mm_add_ps(m[2 * row + 2], bias)),
                                           _mm_cvttps_epi32(_mm_add_ps(m[2 * row + 3], bias)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + row * 8), _mm_packus_epi16(r0, r1));
    }
}

#else

void Transform8(float* d, int step) {
    const float e10 = d[0] + d[4 * step];
    const float e11 = d[0] - d[4 * step];
    const float e13 = d[2 * step] + d[6 * step];
    const float e12 = (d[2 * step] - d[6 * step]) * 1.414213562f - e13;
    const float t0 = e10 + e13;
    const float t3 = e10 - e13;
    const float t1 = e11 + e12;
    const float t2 = e11 - e12;

    const float z13 = d[5 * step] + d[3 * step];
    const float z10 = d[5 * step] - d[3 * step];
    const float z11 = d[step] + d[7 * step];
    const float z12 = d[step] - d[7 * step];
    const float t7 = z11 + z13;
    const float o11 = (z11 - z13) * 1.414213562f;
    const float z5 = (z10 + z12) * 1.847759065f;
    const float o10 = z5 - z12 * 1.082392200f;
    const float o12 = z5 - z10 * 2.613125930f;
    const float t6 = o12 - t7;
    const float t5 = o11 - t6;
    const float t4 = o10 - t5;

    d[0] = t0 + t7;
    d[7 * step] = t0 - t7;
    d[step] = t1 + t6;
    d[6 * step] = t1 - t6;
    d[2 * step] = t2 + t5;
    d[5 * step] = t2 - t5;
    d[3 * step] = t3 + t4;
    d[4 * step] = t3 - t4;
}

// Separable float AAN inverse transform of one dequantised block, columns then
// rows; outputs rounded, offset by 128 and saturated.
void InverseTransform(const float* in, std::uint8_t* out) {
    alignas(32) float ws[64];
    std::copy(in, in + 64, ws);
    for (int c = 0; c < 8; ++c) {
        Transform8(ws + c, 8);
    }
    for (int r = 0; r < 8; ++r) {
        Transform8(ws + 8 * r, 1);
    }
    for (int i = 0; i < 64; ++i) {
        out[i] = ToSample(ws[i]);
    }
}

#endif

}  // namespace

JpegDecoder::JpegDecoder() {
    for (auto& table : huffman_) {
        table[0] = -1;
    }
}

const char* JpegDecoder::ReadHeaders(std::span<const std::uint8_t> data) {
    for (auto& table : huffman_) {
        table[0] = -1;
    }
    components_ = 0;
    restartInterval_ = 0;
    scanReady_ = false;
    corrupt_ = false;
    dcTable_.fill(-1);
    acTable_.fill(-1);
    quantTable_.fill(0);
    data_ = data;
    Tables();

    const std::size_t size = data.size();
    const std::uint8_t* d = data.data();
    if (size < 4 || d[0] != 0xFF || d[1] != 0xD8) {
        return "Invalid JPEG image, no 0xFFD8 SOI marker";
    }
    if (size < 6) {
        return kIncomplete;
    }
    // Every pass starts with at least four bytes (marker and length) in hand.
    std::size_t pos = 2;
    for (;;) {
        if (d[pos] != 0xFF) {
            return "Invalid JPEG image, no 0xFF marker";
        }
        const int marker = d[pos + 1];
        const int length = ReadWord(d + pos + 2);
        const std::size_t next = pos + static_cast<std::size_t>(length) + 2;
        if (next >= size) {
            return kIncomplete;
        }
        // The segment's body lies inside the data: next < size.
        const std::uint8_t* body = d + pos + 4;
        const int bodyLength = std::max(length - 2, 0);
        const char* error = nullptr;
        switch (marker) {
            case 0xC0:
                error = ReadFrame(body, bodyLength);
                break;
            case 0xC2:
                return "SOF2 - Progressive JPEG not supported";
            case 0xC1:
            case 0xC3:
            case 0xC5:
            case 0xC6:
            case 0xC7:
            case 0xC9:
            case 0xCA:
            case 0xCB:
            case 0xCC:
            case 0xCD:
            case 0xCE:
            case 0xCF:
                return "SOF? - This is not a baseline JPEG image";
            case 0xC4:
                error = ReadHuffmanTables(body, bodyLength);
                break;
            case 0xDB:
                error = ReadQuantTables(body, bodyLength);
                break;
            case 0xDD:
                if (bodyLength < 2) {
                    return "DRI - Segment too short";
                }
                restartInterval_ = ReadWord(body);
                break;
            case 0xDA:
                error = ReadScan(body, bodyLength);
                if (error != nullptr) {
                    return error;
                }
                scanStart_ = next;
                scanReady_ = true;
                Rewind();
                return nullptr;
            default:
                break;
        }
        if (error != nullptr) {
            return error;
        }
        pos = next;
        if (pos + 3 >= size) {
            return kIncomplete;
        }
    }
}

const char* JpegDecoder::ReadFrame(const std::uint8_t* p, int length) {
    if (length < 6) {
        return "SOF0 - Segment too short";
    }
    if (p[0] != 8) {
        return "SOF0 - Sample precision is not 8 bits";
    }
    const int count = p[5];
    if (count != 1 && count != 3) {
        return "SOF0 - # Of components is not 1 or 3";
    }
    const int height = ReadWord(p + 1);
    const int width = ReadWord(p + 3);
    if (height == 0 || width == 0) {
        return "SOF0 - Image has zero area";
    }
    if (height > kMaxDimension || width > kMaxDimension) {
        return "SOF0 - Image larger than 4096 x 4096";
    }
    if (length < 6 + 3 * count) {
        return "SOF0 - Segment too short";
    }
    int h = 1;
    int v = 1;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* c = p + 6 + 3 * i;
        const int id = c[0];
        if (id < 1 || id > count) {
            return "SOF0 - Component ids not in range";
        }
        if (c[2] > 1) {
            return "SOF0 - Quantization table id out of range";
        }
        quantTable_[id - 1] = c[2];
        const int ch = c[1] >> 4;
        const int cv = c[1] & 15;
        if (ch < 1 || ch > 4 || cv < 1 || cv > 4) {
            return "SOF0 - Image subsampling not 1..4";
        }
        if (ch * cv > 9) {
            return "SOF0 - Image subsampling too large";
        }
        if (id == 1) {
            h = ch;
            v = cv;
        } else if (ch != 1 || cv != 1) {
            return "SOF0 - Color Image needs 1x1 color sampling";
        }
    }
    // A lone component is coded one block per MCU whatever its sampling factors.
    if (count == 1) {
        h = 1;
        v = 1;
    }
    width_ = width;
    height_ = height;
    components_ = count;
    h_ = h;
    v_ = v;
    mcuWidth_ = 8 * h;
    mcuHeight_ = 8 * v;
    mcusAcross_ = (width - 1) / mcuWidth_ + 1;
    mcusDown_ = (height - 1) / mcuHeight_ + 1;

    for (int py = 0; py < mcuHeight_; ++py) {
        for (int px = 0; px < mcuWidth_; ++px) {
            const int i = py * mcuWidth_ + px;
            const int block = (py / 8) * h + px / 8;
            lumaIndex_[i] = static_cast<std::uint16_t>(block * 64 + (py % 8) * 8 + px % 8);
            chromaIndex_[i] = static_cast<std::uint8_t>((py / v) * 8 + px / h);
        }
    }
    return nullptr;
}

const char* JpegDecoder::ReadHuffmanTables(const std::uint8_t* p, int length) {
    int offset = 0;
    while (offset < length) {
        const int classAndId = p[offset];
        if ((classAndId & ~0x11) != 0) {
            return "DHT - Huffman table id out of range";
        }
        if (offset + 17 > length) {
            return "DHT - Segment too short";
        }
        const std::uint8_t* counts = p + offset + 1;
        int total = 0;
        for (int i = 0; i < 16; ++i) {
            total += counts[i];
        }
        if (offset + 17 + total > length) {
            return "DHT - Segment too short";
        }
        const std::uint8_t* values = counts + 16;
        HuffmanTable& t = huffman_[(classAndId >> 4) * 2 + (classAndId & 1)];
        std::fill(t.begin(), t.begin() + kFirstNode, std::int16_t{0});
        std::fill(t.begin() + kFirstNode, t.end(), kMissing);
        int nextNode = kFirstNode;
        int code = 0;
        int k = 0;
        for (int len = 1; len <= 16; ++len) {
            for (int i = 0; i < counts[len - 1]; ++i, ++code) {
                if (code >= (1 << len)) {
                    t[0] = -1;
                    return "DHT - Corrupted Huffman Table";
                }
                const std::int16_t value = values[k++];
                if (len <= 8) {
                    const int first = code << (8 - len);
                    for (int j = 0; j < (1 << (8 - len)); ++j) {
                        t[first + j] = value;
                        t[256 + first + j] = static_cast<std::int16_t>(len);
                    }
                    continue;
                }
                const int prefix = code >> (len - 8);
                if (t[256 + prefix] == 0) {
                    if (nextNode >= kHuffmanWords) {
                        t[0] = -1;
                        return "DHT - Huffman Table Overflow";
                    }
                    t[prefix] = static_cast<std::int16_t>(nextNode);
                    t[256 + prefix] = 8;
                    nextNode += 2;
                } else if (t[prefix] < kFirstNode) {
                    // Canonical codes are prefix-free, so this cannot happen
                    // unless the counts are inconsistent.
                    t[0] = -1;
                    return "DHT - Corrupted Huffman Table";
                }
                int node = t[prefix];
                for (int bit = len - 9; bit > 0; --bit) {
                    const int entry = node + ((code >> bit) & 1);
                    if (t[entry] == kMissing) {
                        if (nextNode >= kHuffmanWords) {
                            t[0] = -1;
                            return "DHT - Huffman Table Overflow";
                        }
                        t[entry] = static_cast<std::int16_t>(nextNode);
                        nextNode += 2;
                    } else if (t[entry] < kFirstNode) {
                        t[0] = -1;
                        return "DHT - Corrupted Huffman Table";
                    }
                    node = t[entry];
                }
                if (t[node + (code & 1)] != kMissing) {
                    t[0] = -1;
                    return "DHT - Corrupted Huffman Table";
                }
                t[node + (code & 1)] = value;
            }
            code <<= 1;
        }
        if ((classAndId >> 4) == 1) {
            BuildFastAc(classAndId & 1);
        }
        offset += 17 + total;
    }
    return nullptr;
}

void JpegDecoder::BuildFastAc(int table) {
    const HuffmanTable& t = huffman_[2 + table];
    for (int prefix = 0; prefix < 256; ++prefix) {
        std::int32_t entry = 0;
        const int symbol = t[prefix];
        const int length = t[256 + prefix];
        const int size = symbol & 15;
        if (symbol < 256 && length > 0 && size > 0 && size <= 10 && length + size <= 8) {
            int value = (prefix >> (8 - length - size)) & ((1 << size) - 1);
            if (value < (1 << (size - 1))) {
                value -= (1 << size) - 1;
            }
            entry = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 16) | (symbol >> 4) << 8 |
                    (length + size);
        }
        fastAc_[table][prefix] = entry;
    }
}

const char* JpegDecoder::ReadQuantTables(const std::uint8_t* p, int length) {
    int offset = 0;
    while (offset < length) {
        const int precisionAndId = p[offset];
        if ((precisionAndId >> 4) != 0) {
            return "DQT - Quant precision is not 8-bit";
        }
        const int id = precisionAndId & 15;
        if (id > 1) {
            return "DQT - Too many Quantization tables";
        }
        if (offset + 65 > length) {
            return "DQT - Segment too short";
        }
        for (int k = 0; k < 64; ++k) {
            const int n = kZigZag[k];
            quant_[id][n] =
                static_cast<float>(p[offset + 1 + k]) * kAanScale[n / 8] * kAanScale[n % 8] * 0.125f;
        }
        offset += 65;
    }
    return nullptr;
}

const char* JpegDecoder::ReadScan(const std::uint8_t* p, int length) {
    if (components_ == 0) {
        return "SOS - Missing SOF0 segment";
    }
    if (length < 1) {
        return "SOS - Segment too short";
    }
    const int count = p[0];
    if (count != components_) {
        return "SOS - Multiscan image not allowed";
    }
    if (length < 1 + 2 * count + 3) {
        return "SOS - Segment too short";
    }
    for (int i = 0; i < count; ++i) {
        const int id = p[1 + 2 * i];
        if (id < 1 || id > components_) {
            return "SOS - Component ids not in range";
        }
        const int dc = p[2 + 2 * i] >> 4;
        const int ac = p[2 + 2 * i] & 15;
        if (dc > 1 || ac > 1) {
            return "SOS - Huffman tables out of range";
        }
        if (huffman_[dc][0] == -1 || huffman_[2 + ac][0] == -1) {
            return "SOS - Missing DHT segment";
        }
        dcTable_[id - 1] = dc;
        acTable_[id - 1] = 2 + ac;
    }
    // A repeated id leaves another component without tables.
    for (int c = 0; c < components_; ++c) {
        if (dcTable_[c] < 0) {
            return "SOS - Component ids not in range";
        }
    }
    const std::uint8_t* tail = p + 1 + 2 * count;
    if (tail[0] != 0) {
        return "SOS - Spectral selection start is not 0";
    }
    if (tail[1] != 63) {
        return "SOS - Spectral selection end is not 63";
    }
    if (tail[2] != 0) {
        return "SOS - Spectral selection is not 0";
    }
    return nullptr;
}

void JpegDecoder::Detach() {
    data_ = {};
    scanReady_ = false;
}

void JpegDecoder::Rewind() {
    pos_ = scanStart_;
    bits_ = 0;
    bitCount_ = 0;
    dcPredictor_.fill(0);
    sinceRestart_ = 0;
    mcuX_ = 0;
    mcuY_ = 0;
}

void JpegDecoder::Fill() {
    const std::uint8_t* d = data_.data();
    const std::size_t size = data_.size();
    if (bitCount_ <= 56 && pos_ + 8 <= size) {
        // Fast path: the next eight bytes hold no 0xFF, so take as many whole
        // bytes as fit, in one go.
        std::uint64_t word;
        std::memcpy(&word, d + pos_, 8);
        const std::uint64_t inverted = ~word;
        if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) == 0) {
            if constexpr (std::endian::native == std::endian::little) {
                word = __builtin_bswap64(word);
            }
            const int take = (64 - bitCount_) >> 3;
            bits_ |= (word >> (64 - 8 * take)) << (64 - bitCount_ - 8 * take);
            bitCount_ += 8 * take;
            pos_ += static_cast<std::size_t>(take);
            return;
        }
    }
    while (bitCount_ <= 56) {
        std::uint64_t byte = 0;
        if (pos_ < size) {
            byte = d[pos_];
            if (byte != 0xFF) {
                ++pos_;
            } else if (pos_ + 1 >= size) {
                ++pos_;
            } else if (d[pos_ + 1] == 0x00) {
                pos_ += 2;
            }
            // Otherwise a marker: it reads as 0xFF bytes and the position stays on it.
        }
        bits_ |= byte << (56 - bitCount_);
        bitCount_ += 8;
    }
}

void JpegDecoder::DecodeBlock(int component, std::uint8_t* out) {
    // The bit reader's state lives in locals through the block; Fill works on
    // the members, so it is handed over around each call.
    std::uint64_t bits = bits_;
    int count = bitCount_;
    auto need = [&](int n) {
        if (count < n) {
            bits_ = bits;
            bitCount_ = count;
            Fill();
            bits = bits_;
            count = bitCount_;
        }
    };
    // Needs 16 bits in hand. A code missing from the table reads as symbol 0
    // and consumes nothing.
    auto symbol = [&](const HuffmanTable& t) {
        const int prefix = static_cast<int>(bits >> 56);
        int value = t[prefix];
        int length = t[256 + prefix];
        if (value >= 256) {
            std::uint64_t rest = bits << 8;
            do {
                value = t[value + static_cast<int>(rest >> 63)];
                rest <<= 1;
                ++length;
            } while (value >= kFirstNode);
            if (value == kMissing) {
                return 0;
            }
        }
        bits <<= length;
        count -= length;
        return value;
    };
    // Reads a magnitude of `size` (1..16) bits and extends its sign.
    auto extend = [&](int size) {
        const int value = static_cast<int>(bits >> (64 - size));
        bits <<= size;
        count -= size;
        // Without a branch: the sign bit is a coin toss to the predictor.
        const int negative = ((value >> (size - 1)) & 1) - 1;
        return value + (negative & (1 - (1 << size)));
    };

    const float* q = quant_[quantTable_[component]].data();
    alignas(16) float coef[64];
    if (out != nullptr) {
        std::memset(coef, 0, sizeof coef);
    }
    bool onlyDc = true;
    // A symbol and its magnitude take at most 16 + 16 bits.
    need(32);
    const int dc = symbol(huffman_[dcTable_[component]]);
    if (dc > 11) {
        corrupt_ = true;
    } else {
        if (dc != 0) {
            // Real pictures keep the DC term within +-2048; the bound only stops
            // hostile data from summing differences without limit.
            dcPredictor_[component] = std::clamp(dcPredictor_[component] + extend(dc), -32768, 32767);
        }
        const HuffmanTable& ac = huffman_[acTable_[component]];
        const std::int32_t* fast = fastAc_[acTable_[component] - 2].data();
        for (int k = 1; k < 64;) {
            need(32);
            const std::int32_t shortcut = fast[bits >> 56];
            if (shortcut != 0) {
                const int used = shortcut & 255;
                bits <<= used;
                count -= used;
                k += (shortcut >> 8) & 15;
                if (k > 63) {
                    corrupt_ = true;
                    break;
                }
                if (out != nullptr) {
                    const int n = kZigZag[k];
                    coef[n] = static_cast<float>(shortcut >> 16) * q[n];
                    onlyDc = false;
                }
                ++k;
                continue;
            }
            const int rs = symbol(ac);
            const int run = rs >> 4;
            const int size = rs & 15;
            if (size == 0) {
                if (run != 15) {
                    break;
                }
                // Sixteen zeros at k..k + 15: ending exactly at the block's end is
                // harmless, running past it is a damaged block.
                k += 16;
                if (k > 64) {
                    corrupt_ = true;
                    break;
                }
                continue;
            }
            k += run;
            if (k > 63 || size > 10) {
                corrupt_ = true;
                break;
            }
            const int value = extend(size);
            if (out != nullptr) {
                const int n = kZigZag[k];
                coef[n] = static_cast<float>(value) * q[n];
                onlyDc = false;
            }
            ++k;
        }
    }
    bits_ = bits;
    bitCount_ = count;
    if (out == nullptr) {
        return;
    }
    coef[0] = static_cast<float>(dcPredictor_[component]) * q[0];
    if (onlyDc) {
        // Every output of the transform equals the DC term.
        std::memset(out, ToSample(coef[0]), 64);
        return;
    }
    InverseTransform(coef, out);
}

void JpegDecoder::WriteMcu(std::uint32_t* dest, int stride) const {
    const std::uint8_t* luma = samples_[0].data();
#if defined(__SSE2__)
    // Pixels are 0x00RRGGBB words: in memory blue, green, red, 0.
    const __m128i zero = _mm_setzero_si128();
    auto store8 = [&](std::uint32_t* to, __m128i r, __m128i g, __m128i b) {
        const __m128i bg = _mm_unpacklo_epi8(b, g);
        const __m128i r0 = _mm_unpacklo_epi8(r, zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi16(bg, r0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4), _mm_unpackhi_epi16(bg, r0));
    };
    if (components_ == 1) {
        for (int y = 0; y < 8; ++y) {
            const __m128i g = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma + y * 8));
            store8(dest + static_cast<std::ptrdiff_t>(y) * stride, g, g, g);
        }
        return;
    }
#else
    if (components_ == 1) {
        for (int y = 0; y < 8; ++y) {
            std::uint32_t* row = dest + static_cast<std::ptrdiff_t>(y) * stride;
            for (int x = 0; x < 8; ++x) {
                const std::uint32_t g = luma[y * 8 + x];
                row[x] = (g << 16) | (g << 8) | g;
            }
        }
        return;
    }
#endif
    const SharedTables& t = Tables();
    const int lumaBlocks = h_ * v_;
    const std::uint8_t* cb = samples_[lumaBlocks].data();
    const std::uint8_t* cr = samples_[lumaBlocks + 1].data();
    // Each chroma sample's offsets, shared by the H x V pixels it covers.
    alignas(16) std::int16_t red[64];
    alignas(16) std::int16_t green[64];
    alignas(16) std::int16_t blue[64];
    for (int i = 0; i < 64; ++i) {
        red[i] = static_cast<std::int16_t>(t.crToRed[cr[i]]);
        green[i] = static_cast<std::int16_t>(t.cbToGreen[cb[i]] + t.crToGreen[cr[i]]);
        blue[i] = static_cast<std::int16_t>(t.cbToBlue[cb[i]]);
    }
#if defined(__SSE2__)
    // Eight pixels at a time. Sums stay within -227..482, where saturating to
    // 0..255 is what the clamping table gives.
    if (h_ <= 2) {
        for (int py = 0; py < mcuHeight_; ++py) {
            const int chromaRow = (py / v_) * 8;
            const __m128i r = _mm_load_si128(reinterpret_cast<const __m128i*>(red + chromaRow));
            const __m128i g = _mm_load_si128(reinterpret_cast<const __m128i*>(green + chromaRow));
            const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(blue + chromaRow));
            std::uint32_t* row = dest + static_cast<std::ptrdiff_t>(py) * stride;
            for (int bx = 0; bx < h_; ++bx) {
                const std::uint8_t* y8 = samples_[(py / 8) * h_ + bx].data() + (py % 8) * 8;
                const __m128i y =
                    _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y8)), zero);
                __m128i rs = r;
                __m128i gs = g;
                __m128i bs = b;
                if (h_ == 2) {
                    // Each chroma sample covers two pixels across.
                    rs = bx == 0 ? _mm_unpacklo_epi16(r, r) : _mm_unpackhi_epi16(r, r);
                    gs = bx == 0 ? _mm_unpacklo_epi16(g, g) : _mm_unpackhi_epi16(g, g);
                    bs = bx == 0 ? _mm_unpacklo_epi16(b, b) : _mm_unpackhi_epi16(b, b);
                }
                store8(row + bx * 8, _mm_packus_epi16(_mm_add_epi16(y, rs), zero),
                       _mm_packus_epi16(_mm_add_epi16(y, gs), zero),
                       _mm_packus_epi16(_mm_add_epi16(y, bs), zero));
            }
        }
        return;
    }
#endif
    const std::uint8_t* clamp = t.clamp.data();
    for (int y = 0; y < mcuHeight_; ++y) {
        std::uint32_t* row = dest + static_cast<std::ptrdiff_t>(y) * stride;
        const int base = y * mcuWidth_;
        for (int x = 0; x < mcuWidth_; ++x) {
            const int yv = luma[lumaIndex_[base + x]];
            const int c = chromaIndex_[base + x];
            const std::uint32_t r = clamp[(yv + red[c]) & 1023];
            const std::uint32_t g = clamp[(yv + green[c]) & 1023];
            const std::uint32_t b = clamp[(yv + blue[c]) & 1023];
            row[x] = (r << 16) | (g << 8) | b;
        }
    }
}

void JpegDecoder::Restart() {
    pos_ = std::min(pos_ + 2, data_.size());
    bits_ = 0;
    bitCount_ = 0;
    dcPredictor_.fill(0);
    sinceRestart_ = 0;
}

bool JpegDecoder::DecodeRegion(std::span<std::uint32_t> pixels, int stride, int x0, int y0, int x1, int y1) {
    if (!scanReady_) {
        return false;
    }
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, mcusAcross_);
    y1 = std::min(y1, mcusDown_);
    if (x0 >= x1 || y0 >= y1) {
        return true;
    }
    const std::size_t windowWidth = static_cast<std::size_t>(x1 - x0) * mcuWidth_;
    const std::size_t windowRows = static_cast<std::size_t>(y1 - y0) * mcuHeight_;
    if (stride < 0 || static_cast<std::size_t>(stride) < windowWidth ||
        pixels.size() < (windowRows - 1) * static_cast<std::size_t>(stride) + windowWidth) {
        return false;
    }
    if (y0 < mcuY_ || (y0 == mcuY_ && x0 < mcuX_)) {
        Rewind();
    }
    const int lumaBlocks = h_ * v_;
    while (mcuY_ < mcusDown_) {
        const bool shown = mcuX_ >= x0 && mcuX_ < x1 && mcuY_ >= y0;
        if (shown) {
            for (int b = 0; b < lumaBlocks; ++b) {
                DecodeBlock(0, samples_[b].data());
            }
            if (components_ == 3) {
                DecodeBlock(1, samples_[lumaBlocks].data());
                DecodeBlock(2, samples_[lumaBlocks + 1].data());
            }
            WriteMcu(pixels.data() + static_cast<std::size_t>(mcuY_ - y0) * mcuHeight_ * stride +
                         static_cast<std::size_t>(mcuX_ - x0) * mcuWidth_,
                     stride);
        } else {
            for (int b = 0; b < lumaBlocks; ++b) {
                DecodeBlock(0, nullptr);
            }
            if (components_ == 3) {
                DecodeBlock(1, nullptr);
                DecodeBlock(2, nullptr);
            }
        }
        if (restartInterval_ != 0 && ++sinceRestart_ == restartInterval_) {
            Restart();
        }
        const bool last = mcuY_ == y1 - 1 && mcuX_ == x1 - 1;
        if (++mcuX_ == mcusAcross_) {
            mcuX_ = 0;
            ++mcuY_;
        }
        if (last) {
            break;
        }
    }
    return true;
}

}  // namespace media
