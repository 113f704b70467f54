#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace media {

// Decoder for baseline sequential JPEG: Huffman coding, 8-bit samples, one
// interleaved scan of one or three components. Pixels come out as 32-bit
// 0x00RRGGBB words, whole MCUs at a time, into a caller's buffer.
//
// The compressed data is borrowed: it must outlive every DecodeRegion call.
// Pictures arrive from the network, cut short or hostile; headers are checked
// and refused with a short text, entropy-coded data is never trusted (it reads
// as zero bits past its end and never writes outside a block or the buffer).
class JpegDecoder {
  public:
    // Larger pictures are refused: the bitmap would take hundreds of megabytes.
    static constexpr int kMaxDimension = 4096;

    JpegDecoder();

    // Reads the segments up to the start of the scan. Returns nullptr when the
    // picture can be decoded, else the reason (a static text).
    const char* ReadHeaders(std::span<const std::uint8_t> data);

    // Decodes the MCUs of the scan up to the window of MCU columns [x0, x1) and
    // rows [y0, y1) and writes those inside the window to `pixels`, the window's
    // top-left pixel at pixels[0] and rows `stride` pixels apart. Returns false,
    // writing nothing, when no headers were read or the buffer cannot hold the
    // window's whole MCUs.
    bool DecodeRegion(std::span<std::uint32_t> pixels, int stride, int x0, int y0, int x1, int y1);

    // True between a successful ReadHeaders and Detach.
    bool HasScan() const { return scanReady_; }
    // Forgets the borrowed data; DecodeRegion refuses until headers are read again.
    void Detach();

    int Width() const { return width_; }
    int Height() const { return height_; }
    int McuWidth() const { return mcuWidth_; }
    int McuHeight() const { return mcuHeight_; }
    int McusAcross() const { return mcusAcross_; }
    int McusDown() const { return mcusDown_; }
    int Components() const { return components_; }

    // True once the entropy-coded data turned out malformed (a run past the
    // end of a block or an impossible magnitude); decoding goes on regardless.
    bool SawCorruptData() const { return corrupt_; }

  private:
    // Two-level decoding table: words 0..255 hold, per 8-bit prefix, the symbol
    // or (from kFirstNode on) the index of a node pair; words 256..511 the code
    // length of that prefix; node pairs from word kFirstNode on.
    static constexpr int kHuffmanWords = 1006;
    static constexpr int kFirstNode = 512;
    using HuffmanTable = std::array<std::int16_t, kHuffmanWords>;

    const char* ReadFrame(const std::uint8_t* p, int length);
    const char* ReadHuffmanTables(const std::uint8_t* p, int length);
    const char* ReadQuantTables(const std::uint8_t* p, int length);
    const char* ReadScan(const std::uint8_t* p, int length);
    void BuildFastAc(int table);

    void Rewind();
    void Fill();
    // Decodes one block of the component into 64 samples at `out`, or only
    // consumes its symbols when `out` is null.
    void DecodeBlock(int component, std::uint8_t* out);
    void WriteMcu(std::uint32_t* dest, int stride) const;
    void Restart();

    int width_ = 0;
    int height_ = 0;
    int mcuWidth_ = 8;
    int mcuHeight_ = 8;
    int mcusAcross_ = 0;
    int mcusDown_ = 0;
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t scanStart_ = 0;
    int mcuX_ = 0;
    int mcuY_ = 0;
    int components_ = 0;
    int h_ = 1;
    int v_ = 1;
    // Bits waiting to be read, the next one in the top bit.
    std::uint64_t bits_ = 0;
    int bitCount_ = 0;
    int sinceRestart_ = 0;
    int restartInterval_ = 0;
    std::array<int, 3> dcPredictor_{};
    std::array<int, 3> dcTable_{};
    std::array<int, 3> acTable_{};
    std::array<int, 3> quantTable_{};
    bool scanReady_ = false;
    bool corrupt_ = false;
    std::array<HuffmanTable, 4> huffman_{};
    // Per AC table and 8-bit prefix, when a whole coefficient (code and
    // magnitude) fits in those 8 bits: value << 16 | run << 8 | bits used;
    // else 0.
    std::array<std::array<std::int32_t, 256>, 2> fastAc_{};
    // Natural (row-major) order, scaled for the inverse transform.
    std::array<std::array<float, 64>, 2> quant_{};
    // Decoded samples of one MCU: H x V luminance blocks (at most 9), then Cb
    // and Cr.
    alignas(32) std::array<std::array<std::uint8_t, 64>, 11> samples_{};
    // Per pixel of an MCU (row-major, MCU width apart): where its luminance
    // sample sits in samples_ and which chroma sample covers it.
    std::array<std::uint16_t, 32 * 32> lumaIndex_{};
    std::array<std::uint8_t, 32 * 32> chromaIndex_{};
};

}  // namespace media
