#include "JpegFixtures.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <random>

#include <jpeglib.h>

namespace media::testing {

namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr, int) {}

// Plain C style: no object with a destructor may live across the setjmp.
bool EncodeInto(const RawImage& image, const EncodeOptions& options, unsigned char** out,
                unsigned long* outSize) {
    jpeg_compress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = image.channels;
    info.in_color_space = image.channels == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    info.comp_info[0].h_samp_factor = options.hSampling;
    info.comp_info[0].v_samp_factor = options.vSampling;
    info.restart_interval = static_cast<unsigned>(options.restartInterval);
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    info.optimize_coding = FALSE;
    if (options.progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    const int rowBytes = image.width * image.channels;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.samples.data() +
                                            static_cast<std::size_t>(info.next_scanline) * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool DecodeInto(std::span<const std::uint8_t> jpeg, bool reference, bool ycc, unsigned char* out,
                std::size_t capacity, int* width, int* height, int* channels) {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.emit_message = Quiet;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    if (reference) {
        info.dct_method = JDCT_FLOAT;
        info.do_fancy_upsampling = FALSE;
    }
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : (ycc ? JCS_YCbCr : JCS_RGB);
    jpeg_start_decompress(&info);
    *width = static_cast<int>(info.output_width);
    *height = static_cast<int>(info.output_height);
    *channels = info.output_components;
    const std::size_t rowBytes = static_cast<std::size_t>(info.output_width) * info.output_components;
    if (out != nullptr && rowBytes * info.output_height <= capacity) {
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = out + rowBytes * info.output_scanline;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    } else {
        jpeg_abort_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return true;
}

bool Decode(std::span<const std::uint8_t> jpeg, bool reference, bool ycc, RawImage& image) {
    if (!DecodeInto(jpeg, reference, ycc, nullptr, 0, &image.width, &image.height, &image.channels)) {
        return false;
    }
    image.samples.assign(static_cast<std::size_t>(image.width) * image.height * image.channels, 0);
    return DecodeInto(jpeg, reference, ycc, image.samples.data(), image.samples.size(), &image.width,
                      &image.height, &image.channels);
}

}  // namespace

RawImage MakePattern(int width, int height, int channels, unsigned seed) {
    RawImage image{width, height, channels, {}};
    image.samples.resize(static_cast<std::size_t>(width) * height * channels);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                double v =
                    128 + 60 * std::sin((x * (c + 1) + y * 0.7) / 11.0) + 40 * std::cos(y / (7.0 + 3 * c));
                v += (x * 90.0) / width - 45;
                // A hard-edged box and a stripe give high frequencies and chroma steps.
                if (x > width / 4 && x < width / 2 && y > height / 3 && y < 2 * height / 3) {
                    v = c == 0 ? 230 : 20 + 30 * c;
                }
                if ((x / 3 + y / 5) % 17 == 0) {
                    v = 255 - v;
                }
                v += noise(random);
                image.samples[(static_cast<std::size_t>(y) * width + x) * channels + c] =
                    static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
            }
        }
    }
    return image;
}

RawImage MakeFlat(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    RawImage image{width, height, 3, {}};
    image.samples.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int i = 0; i < width * height; ++i) {
        image.samples.push_back(red);
        image.samples.push_back(green);
        image.samples.push_back(blue);
    }
    return image;
}

std::vector<std::uint8_t> Encode(const RawImage& image, const EncodeOptions& options) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> result;
    if (EncodeInto(image, options, &buffer, &size)) {
        result.assign(buffer, buffer + size);
    }
    std::free(buffer);
    return result;
}

RawImage ReferenceDecode(std::span<const std::uint8_t> jpeg) {
    RawImage image;
    if (!Decode(jpeg, true, false, image)) {
        return {};
    }
    return image;
}

RawImage ReferenceDecodeYCbCr(std::span<const std::uint8_t> jpeg) {
    RawImage image;
    if (!Decode(jpeg, true, true, image)) {
        return {};
    }
    return image;
}

bool LibjpegDecode(std::span<const std::uint8_t> jpeg, bool floatAndBox, std::vector<std::uint8_t>& rgb) {
    int width = 0;
    int height = 0;
    int channels = 0;
    return DecodeInto(jpeg, floatAndBox, false, rgb.data(), rgb.size(), &width, &height, &channels);
}

std::size_t FindSegment(std::span<const std::uint8_t> jpeg, std::uint8_t marker, std::size_t from) {
    std::size_t pos = from;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        if (jpeg[pos + 1] == marker) {
            return pos;
        }
        if (jpeg[pos + 1] == 0xDA) {
            break;
        }
        pos += 2 + ((jpeg[pos + 2] << 8) | jpeg[pos + 3]);
    }
    return kNotFound;
}

}  // namespace media::testing
