#include "media/JpegDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace media {

namespace {

constexpr const char* kIncomplete = "Incomplete JPEG data, no SOS segment";

// Natural (row-major) position of each zig-zag index.
constexpr std::array<std::uint8_t, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Scale factors of the AAN inverse transform: a[0] = 1, a[k] = cos(k pi / 16) sqrt(2).
constexpr std::array<float, 8> kAanScale = {1.0f,      1.387039845f, 1.306562965f, 1.175875602f,
                                            1.0f,      0.785694958f, 0.541196100f, 0.275899379f};

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

// Separable float AAN inverse transform of one dequantised block, columns then
// rows; the output is rounded, offset by 128 and clamped.
void InverseTransform(const float* in, std::uint8_t* out, const std::uint8_t* clamp) {
    alignas(32) float ws[64];
    // Columns: each step works on all eight columns at once, which vectorises.
    {
        float t0[8], t1[8], t2[8], t3[8], t4[8], t5[8], t6[8], t7[8];
        for (int c = 0; c < 8; ++c) {
            const float e10 = in[c] + in[32 + c];
            const float e11 = in[c] - in[32 + c];
            const float e13 = in[16 + c] + in[48 + c];
            const float e12 = (in[16 + c] - in[48 + c]) * 1.414213562f - e13;
            t0[c] = e10 + e13;
            t3[c] = e10 - e13;
            t1[c] = e11 + e12;
            t2[c] = e11 - e12;

            const float z13 = in[40 + c] + in[24 + c];
            const float z10 = in[40 + c] - in[24 + c];
            const float z11 = in[8 + c] + in[56 + c];
            const float z12 = in[8 + c] - in[56 + c];
            t7[c] = z11 + z13;
            const float o11 = (z11 - z13) * 1.414213562f;
            const float z5 = (z10 + z12) * 1.847759065f;
            const float o10 = z5 - z12 * 1.082392200f;
            const float o12 = z5 - z10 * 2.613125930f;
            t6[c] = o12 - t7[c];
            t5[c] = o11 - t6[c];
            t4[c] = o10 - t5[c];
        }
        for (int c = 0; c < 8; ++c) {
            ws[c] = t0[c] + t7[c];
            ws[56 + c] = t0[c] - t7[c];
            ws[8 + c] = t1[c] + t6[c];
            ws[48 + c] = t1[c] - t6[c];
            ws[16 + c] = t2[c] + t5[c];
            ws[40 + c] = t2[c] - t5[c];
            ws[24 + c] = t3[c] + t4[c];
            ws[32 + c] = t3[c] - t4[c];
        }
    }
    // Rows. Adding 128.5 and truncating rounds every value that can survive the
    // clamp; anything below zero lands on a 0 entry either way.
    for (int r = 0; r < 8; ++r) {
        const float* w = ws + r * 8;
        const float e10 = w[0] + w[4];
        const float e11 = w[0] - w[4];
        const float e13 = w[2] + w[6];
        const float e12 = (w[2] - w[6]) * 1.414213562f - e13;
        const float t0 = e10 + e13;
        const float t3 = e10 - e13;
        const float t1 = e11 + e12;
        const float t2 = e11 - e12;

        const float z13 = w[5] + w[3];
        const float z10 = w[5] - w[3];
        const float z11 = w[1] + w[7];
        const float z12 = w[1] - w[7];
        const float t7 = z11 + z13;
        const float o11 = (z11 - z13) * 1.414213562f;
        const float z5 = (z10 + z12) * 1.847759065f;
        const float o10 = z5 - z12 * 1.082392200f;
        const float o12 = z5 - z10 * 2.613125930f;
        const float t6 = o12 - t7;
        const float t5 = o11 - t6;
        const float t4 = o10 - t5;

        std::uint8_t* o = out + r * 8;
        o[0] = clamp[static_cast<int>(t0 + t7 + 128.5f) & 1023];
        o[7] = clamp[static_cast<int>(t0 - t7 + 128.5f) & 1023];
        o[1] = clamp[static_cast<int>(t1 + t6 + 128.5f) & 1023];
        o[6] = clamp[static_cast<int>(t1 - t6 + 128.5f) & 1023];
        o[2] = clamp[static_cast<int>(t2 + t5 + 128.5f) & 1023];
        o[5] = clamp[static_cast<int>(t2 - t5 + 128.5f) & 1023];
        o[3] = clamp[static_cast<int>(t3 + t4 + 128.5f) & 1023];
        o[4] = clamp[static_cast<int>(t3 - t4 + 128.5f) & 1023];
    }
}

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
        offset += 17 + total;
    }
    return nullptr;
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
            quant_[id][n] = static_cast<float>(p[offset + 1 + k]) * kAanScale[n / 8] * kAanScale[n % 8] * 0.125f;
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

int JpegDecoder::DecodeSymbol(const HuffmanTable& t) {
    if (bitCount_ < 16) {
        Fill();
    }
    const int prefix = static_cast<int>(bits_ >> 56);
    int value = t[prefix];
    if (value < 256) {
        const int length = t[256 + prefix];
        bits_ <<= length;
        bitCount_ -= length;
        return value;
    }
    std::uint64_t rest = bits_ << 8;
    int length = 8;
    do {
        value = t[value + static_cast<int>(rest >> 63)];
        rest <<= 1;
        ++length;
    } while (value >= kFirstNode);
    if (value == kMissing) {
        return 0;
    }
    bits_ <<= length;
    bitCount_ -= length;
    return value;
}

int JpegDecoder::ReceiveExtend(int size) {
    if (bitCount_ < size) {
        Fill();
    }
    const int value = static_cast<int>(bits_ >> (64 - size));
    bits_ <<= size;
    bitCount_ -= size;
    return value < (1 << (size - 1)) ? value - (1 << size) + 1 : value;
}

void JpegDecoder::SkipBlock(int component) {
    const int dc = DecodeSymbol(huffman_[dcTable_[component]]);
    if (dc > 11) {
        corrupt_ = true;
        return;
    }
    if (dc != 0) {
        const int diff = ReceiveExtend(dc);
        dcPredictor_[component] = std::clamp(dcPredictor_[component] + diff, -32768, 32767);
    }
    const HuffmanTable& ac = huffman_[acTable_[component]];
    for (int k = 1; k < 64;) {
        const int symbol = DecodeSymbol(ac);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size == 0) {
            if (run != 15) {
                return;
            }
            k += 16;
            continue;
        }
        k += run;
        if (k > 63 || size > 10) {
            corrupt_ = true;
            return;
        }
        ReceiveExtend(size);
        ++k;
    }
}

void JpegDecoder::DecodeBlock(int component, std::uint8_t* out) {
    const SharedTables& tables = Tables();
    const float* q = quant_[quantTable_[component]].data();
    alignas(32) float coef[64] = {};
    bool onlyDc = true;

    const int dc = DecodeSymbol(huffman_[dcTable_[component]]);
    if (dc > 11) {
        corrupt_ = true;
    } else {
        if (dc != 0) {
            const int diff = ReceiveExtend(dc);
            dcPredictor_[component] = std::clamp(dcPredictor_[component] + diff, -32768, 32767);
        }
        const HuffmanTable& ac = huffman_[acTable_[component]];
        for (int k = 1; k < 64;) {
            const int symbol = DecodeSymbol(ac);
            const int run = symbol >> 4;
            const int size = symbol & 15;
            if (size == 0) {
                if (run != 15) {
                    break;
                }
                k += 16;
                continue;
            }
            k += run;
            if (k > 63 || size > 10) {
                corrupt_ = true;
                break;
            }
            const int n = kZigZag[k];
            coef[n] = static_cast<float>(ReceiveExtend(size)) * q[n];
            onlyDc = false;
            ++k;
        }
    }
    coef[0] = static_cast<float>(dcPredictor_[component]) * q[0];

    if (onlyDc) {
        // Every output of the transform equals the DC term.
        const std::uint8_t value = tables.clamp[static_cast<int>(coef[0] + 128.5f) & 1023];
        std::memset(out, value, 64);
        return;
    }
    InverseTransform(coef, out, tables.clamp.data());
}

void JpegDecoder::WriteMcu(std::uint32_t* dest, int stride) const {
    const std::uint8_t* luma = samples_[0].data();
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
    const SharedTables& t = Tables();
    const int lumaBlocks = h_ * v_;
    const std::uint8_t* cb = samples_[lumaBlocks].data();
    const std::uint8_t* cr = samples_[lumaBlocks + 1].data();
    int red[64];
    int green[64];
    int blue[64];
    for (int i = 0; i < 64; ++i) {
        red[i] = t.crToRed[cr[i]];
        green[i] = t.cbToGreen[cb[i]] + t.crToGreen[cr[i]];
        blue[i] = t.cbToBlue[cb[i]];
    }
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
                SkipBlock(0);
            }
            if (components_ == 3) {
                SkipBlock(1);
                SkipBlock(2);
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
