#pragma once

#include <array>
#include <cstdint>

namespace sound {

// Everything the G.723.1 decoder carries from one frame to the next: the frame
// decoder's state (382 bytes) and the comfort-noise decoder's state (28 bytes).
// A plain value, so the mixer can keep one copy per channel and swap them.
struct SpeechDecoderState {
    struct Frame {
        int16_t erasureCount;         // consecutive erased frames, at most 3
        int16_t interpolationGain;    // fixed-codebook gain used to fill erasures
        int16_t interpolationIndex;   // pitch lag of the last good frame, 0 if unvoiced
        int16_t randomSeed;           // generator for unvoiced erasure fill
        int16_t parcor;               // tilt compensation of the formant post filter
        int16_t gain;                 // smoothed gain of the post-filter scaling
        std::array<int16_t, 10> previousLsp;
        std::array<int16_t, 145> previousExcitation;
        std::array<int16_t, 10> synthesisMemory;
        std::array<int16_t, 10> postFirMemory;
        std::array<int16_t, 10> postIirMemory;

        friend bool operator==(const Frame&, const Frame&) = default;
    };
    struct ComfortNoise {
        int16_t currentGain;
        int16_t pastFrameType;        // 1 active, 2 silence description, 0 untransmitted
        std::array<int16_t, 10> sidLsp;
        int16_t sidGain;
        int16_t randomSeed;

        friend bool operator==(const ComfortNoise&, const ComfortNoise&) = default;
    };

    Frame frame;
    ComfortNoise noise;

    // The state after the decoder reset: everything zero but the LSP vectors
    // (the long-term mean), the post-filter gain (0x1000), the past frame type
    // (active) and the noise generator's seed.
    static SpeechDecoderState Reset();

    friend bool operator==(const SpeechDecoderState&, const SpeechDecoderState&) = default;
};

static_assert(sizeof(SpeechDecoderState::Frame) == 382);
static_assert(sizeof(SpeechDecoderState::ComfortNoise) == 28);

}  // namespace sound
