#include "sound/SharedSpeechDecoder.h"

#include <array>

#include "sound/DecodeSpeechFrame.h"

namespace sound {

SharedSpeechDecoder::SharedSpeechDecoder()
    : pristine_(SpeechDecoderState::Reset()), working_(pristine_) {}

void SharedSpeechDecoder::StartSound(SpeechChannel& channel) {
    if (owner_ == &channel) {
        working_ = pristine_;
    } else {
        channel.decoder = pristine_;
    }
    channel.resampler.Reset();
}

std::size_t SharedSpeechDecoder::DecodeFrame(SpeechChannel& channel, std::span<const uint8_t> frame,
                                             std::span<int16_t, SpeechResampler::kMaxFrameOutput> output) {
    if (owner_ != &channel) {
        if (owner_ != nullptr) {
            owner_->decoder = working_;
        }
        working_ = channel.decoder;
        owner_ = &channel;
    }
    std::array<int16_t, kSpeechFrameSamples> samples;
    DecodeSpeechFrame(working_, samples, frame, false);
    return channel.resampler.Process(samples, output);
}

void SharedSpeechDecoder::Release(SpeechChannel& channel) {
    if (owner_ == &channel) {
        channel.decoder = working_;
        owner_ = nullptr;
    }
}

}  // namespace sound
