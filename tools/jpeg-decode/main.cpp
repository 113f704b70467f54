// jpeg-decode IN.jpg OUT.ppm [--repeat N]
// Decodes a JPEG file with the client's own decoder and writes the picture as a
// binary PPM of its own size. --repeat N decodes N times, for timing.
// --help prints the usage and exits with 0; a usage error prints what is wrong
// and the usage on standard error and exits with 2; a file that cannot be read,
// is refused by the decoder (its reason is printed) or cannot be written exits
// with 1. Every message starts with "jpeg-decode: ".

#include "media/JpegDecoder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: jpeg-decode IN.jpg OUT.ppm [--repeat N]\n";

// What is wrong (when anything is said), then the usage.
[[noreturn]] void UsageError(const std::string& message) {
    if (!message.empty()) {
        std::cerr << "jpeg-decode: " << message << "\n";
    }
    std::cerr << kUsage;
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    long repeat = 1;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--repeat") {
            if (i + 1 >= argc) {
                UsageError("--repeat takes a positive count");
            }
            char* end = nullptr;
            repeat = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || repeat < 1) {
                UsageError("--repeat takes a positive count");
            }
        } else if (arg.starts_with("--")) {
            UsageError("unknown option " + arg);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        UsageError(files.empty() ? "" : "takes one input and one output file");
    }
    const std::string& inPath = files[0];
    const std::string& outPath = files[1];

    std::ifstream in(inPath, std::ios::binary);
    if (!in) {
        std::cerr << "jpeg-decode: cannot read " << inPath << "\n";
        return 1;
    }
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};

    media::JpegDecoder decoder;
    if (const char* error = decoder.ReadHeaders(data)) {
        std::cerr << "jpeg-decode: " << inPath << ": " << error << "\n";
        return 1;
    }
    const int stride = decoder.McusAcross() * decoder.McuWidth();
    const int rows = decoder.McusDown() * decoder.McuHeight();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * rows);
    for (long i = 0; i < repeat; ++i) {
        decoder.DecodeRegion(pixels, stride, 0, 0, decoder.McusAcross(), decoder.McusDown());
    }

    const int width = decoder.Width();
    const int height = decoder.Height();
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * stride + x];
            rgb.push_back(static_cast<std::uint8_t>(p >> 16));
            rgb.push_back(static_cast<std::uint8_t>(p >> 8));
            rgb.push_back(static_cast<std::uint8_t>(p));
        }
    }
    std::ofstream out(outPath, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    if (!out) {
        std::cerr << "jpeg-decode: cannot write " << outPath << "\n";
        return 1;
    }
    return 0;
}
