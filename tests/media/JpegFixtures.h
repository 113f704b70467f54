#pragma once

// Test pictures for the JPEG decoder, encoded and reference-decoded with
// libjpeg. Only the tests and the benchmark link libjpeg.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace media::testing {

// Interleaved 8-bit samples: RGB when channels is 3, grey when 1.
struct RawImage {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> samples;
};

struct EncodeOptions {
    int hSampling = 2;  // of the first component
    int vSampling = 2;
    int quality = 85;
    int restartInterval = 0;  // in MCUs
    bool progressive = false;
    bool arithmetic = false;
};

// A photo-like picture: gradients, soft waves, hard edges and a little noise,
// all from a fixed seed.
RawImage MakePattern(int width, int height, int channels, unsigned seed = 1);
// Every pixel the same colour.
RawImage MakeFlat(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

std::vector<std::uint8_t> Encode(const RawImage& image, const EncodeOptions& options);

// libjpeg's decode with its float transform and plain (box) chroma upsampling,
// as RGB for colour pictures and grey for grey ones. Empty on failure.
RawImage ReferenceDecode(std::span<const std::uint8_t> jpeg);
// The same but stopping at the Y, Cb, Cr samples (colour pictures only).
RawImage ReferenceDecodeYCbCr(std::span<const std::uint8_t> jpeg);

// For the benchmark: libjpeg's decode into a buffer already of the right size,
// with the float transform and box upsampling, or else with its defaults
// (integer transform, smooth upsampling).
bool LibjpegDecode(std::span<const std::uint8_t> jpeg, bool floatAndBox, std::vector<std::uint8_t>& rgb);

// Offset of the first segment with this marker (at its 0xFF byte), or npos.
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
std::size_t FindSegment(std::span<const std::uint8_t> jpeg, std::uint8_t marker, std::size_t from = 2);

}  // namespace media::testing
