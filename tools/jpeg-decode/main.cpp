// jpeg-decode IN.jpg OUT.ppm [--repeat N]
// Decodes a JPEG file with the client's own decoder and writes the picture as a
// binary PPM of its own size. --repeat N decodes N times, for timing. A refused
// file prints the decoder's reason and exits with status 1.

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

int Usage() {
    std::cerr << "usage: jpeg-decode IN.jpg OUT.ppm [--repeat N]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        return Usage();
    }
    long repeat = 1;
    if (argc == 5) {
        if (std::string(argv[3]) != "--repeat") {
            return Usage();
        }
        char* end = nullptr;
        repeat = std::strtol(argv[4], &end, 10);
        if (end == argv[4] || *end != '\0' || repeat < 1) {
            return Usage();
        }
    }

    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "jpeg-decode: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};

    media::JpegDecoder decoder;
    if (const char* error = decoder.ReadHeaders(data)) {
        std::cerr << error << "\n";
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
    std::ofstream out(argv[2], std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    if (!out) {
        std::cerr << "jpeg-decode: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
