#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "sound/SpeechDecoderState.h"
#include "sound/SpeechResampler.h"

namespace sound {

// What a mixer channel keeps for speech: its private copy of the decoder state
// (valid while another channel owns the working copy) and its resampler.
struct SpeechChannel {
    SpeechDecoderState decoder = SpeechDecoderState::Reset();
    SpeechResampler resampler;
};

// The mixer's single speech decoder: one working state shared by all channels.
// The channel that decoded last owns it; when another channel decodes, the
// working state is saved into the owner's private copy and the new channel's
// copy is loaded, so a single voice never copies. The mixer owns the channels
// and must keep every channel it hands in alive while this decoder may still
// refer to it as the owner.
class SharedSpeechDecoder {
public:
    // The decoder reset: the working state and the kept pristine state.
    SharedSpeechDecoder();

    // A speech sound starts on `channel`: its state goes back to the pristine
    // one (the working copy if the channel owns it, else its private copy) and
    // its resampler restarts.
    void StartSound(SpeechChannel& channel);

    // Decodes one frame for `channel`, scales and resamples it; returns the
    // number of 22050 Hz samples written (661 or 662).
    std::size_t DecodeFrame(SpeechChannel& channel, std::span<const uint8_t> frame,
                            std::span<int16_t, SpeechResampler::kMaxFrameOutput> output);

    // The channel forgets its ownership (it is going away or being reset);
    // the working state is saved into it first.
    void Release(SpeechChannel& channel);

    const SpeechChannel* Owner() const { return owner_; }
    const SpeechDecoderState& Working() const { return working_; }
    const SpeechDecoderState& Pristine() const { return pristine_; }

private:
    SpeechDecoderState pristine_;
    SpeechDecoderState working_;
    SpeechChannel* owner_ = nullptr;  // borrowed from the mixer
};

}  // namespace sound
