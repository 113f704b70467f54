#pragma once

#include <array>
#include <cstdint>

namespace sound {

// The polyphase synthesis history of one mixer channel playing music: 1024 single-precision
// values (16 granules of the 32-point transform's two halves) and the 9-bit offset of the
// newest granule. The channel owns it, hands it to MpegAudioDecodeFrame for every frame and
// clears it when a music sound starts, so several channels can play music with one decoder.
struct MpegAudioSynthesisHistory {
    std::array<float, 1024> values{};
    std::uint32_t offset = 0;  // 0 .. 480 in steps of 32

    void Clear() {
        values.fill(0.0f);
        offset = 0;
    }
};

}  // namespace sound
