#include "sound/MixerChannel.h"

#include <algorithm>

#include "sound/SpeechData.h"

namespace sound {

namespace {

void Finish(SoundSlot& slot) {
    slot.playsRemaining = 0;
    slot.done = 1;
    slot.progress = slot.progressScale;
}

}  // namespace

bool MixerChannel::Append(SoundSlot& slot) {
    if (count_ >= kQueueSize) {
        return false;
    }
    queue_[count_++] = &slot;
    return true;
}

void MixerChannel::Clear() {
    for (std::size_t i = 0; i < count_; ++i) {
        Finish(*queue_[i]);
        queue_[i] = nullptr;
    }
    count_ = 0;
    current_ = nullptr;
    format_ = SoundFormat::kNone;
    payload_ = {};
    position_ = 0;
    toDeliver_ = 0;
    music_.reset();
    blockRead_ = 0;
    blockCount_ = 0;
}

void MixerChannel::EndLoops() {
    // Plays are counted down as each one begins: the slot under way plays out and
    // gets no more; a slot still waiting plays once.
    for (std::size_t i = 0; i < count_; ++i) {
        SoundSlot& slot = *queue_[i];
        if (slot.playsRemaining > 0) {
            slot.playsRemaining = slot.begun ? 0 : 1;
        }
    }
}

void MixerChannel::Remove(std::size_t index) {
    if (index >= count_) {
        return;
    }
    Finish(*queue_[index]);
    std::move(queue_.begin() + static_cast<std::ptrdiff_t>(index) + 1,
              queue_.begin() + static_cast<std::ptrdiff_t>(count_), queue_.begin() + static_cast<std::ptrdiff_t>(index));
    queue_[--count_] = nullptr;
}

void MixerChannel::Forget(const SoundSlot& slot) {
    if (current_ == &slot) {
        current_ = nullptr;
        payload_ = {};
        position_ = 0;
        toDeliver_ = 0;
        music_.reset();
        blockRead_ = 0;
        blockCount_ = 0;
    }
    std::size_t index = 0;
    while (index < count_) {
        if (queue_[index] == &slot) {
            Remove(index);
        } else {
            ++index;
        }
    }
}

void MixerChannel::Ramp() {
    if (volume < targetVolume) {
        volume = static_cast<std::int16_t>(std::min<int>(volume + rampStep, targetVolume));
    } else if (volume > targetVolume) {
        volume = static_cast<std::int16_t>(std::max<int>(volume - rampStep, targetVolume));
    }
}

std::size_t MixerChannel::Take(std::span<std::int16_t> output, const MixerDecoders& decoders) {
    std::size_t taken = 0;
    while (taken < output.size()) {
        if (blockRead_ == blockCount_ && !Refill(decoders)) {
            break;
        }
        const std::size_t n = std::min(output.size() - taken, blockCount_ - blockRead_);
        std::copy_n(block_.begin() + static_cast<std::ptrdiff_t>(blockRead_), n,
                    output.begin() + static_cast<std::ptrdiff_t>(taken));
        blockRead_ += n;
        taken += n;
    }
    return taken;
}

bool MixerChannel::Refill(const MixerDecoders& decoders) {
    blockRead_ = 0;
    blockCount_ = 0;
    while (blockCount_ == 0) {
        const bool slotHasMore = current_ != nullptr && position_ < payload_.size() && toDeliver_ > 0;
        if (!slotHasMore && !StartNextSlot(decoders)) {
            return false;
        }
        blockCount_ = DecodeBlock(decoders);
    }
    return true;
}

bool MixerChannel::StartNextSlot(const MixerDecoders& decoders) {
    current_ = nullptr;
    for (;;) {
        std::size_t index = 0;
        while (index < count_ && queue_[index]->playsRemaining == 0) {
            ++index;
        }
        if (index == count_) {
            return false;
        }
        SoundSlot& slot = *queue_[index];
        --slot.playsRemaining;
        slot.begun = true;
        current_ = &slot;

        SoundDataHeader header = SoundDataHeader::Read(slot.data);
        format_ = header.format;
        payload_ = header.payload;
        music_ = std::move(header.music);
        position_ = 0;
        toDeliver_ = header.sampleCount;
        if (toDeliver_ > 0) {
            slot.justStarted = true;
            if (format_ == SoundFormat::kMusic) {
                history_.Clear();
            } else if (format_ == SoundFormat::kSpeech && decoders.speech != nullptr) {
                decoders.speech->StartSound(speech_);
            }
            if (!payload_.empty()) {
                return true;
            }
        }
        current_ = nullptr;
        Remove(index);
    }
}

std::size_t MixerChannel::DecodeBlock(const MixerDecoders& decoders) {
    std::size_t produced = 0;
    switch (format_) {
        case SoundFormat::kIma:
            if (decoders.ima != nullptr && payload_.size() - position_ >= kImaBlockBytes) {
                DecodeImaBlock(*decoders.ima, payload_.subspan(position_).first<kImaBlockBytes>(),
                               std::span(block_).first<kImaBlockSamples>());
                produced = kImaBlockSamples;
            }
            position_ += kImaBlockBytes;
            break;
        case SoundFormat::kPcm: {
            const std::size_t bytes = std::min(kBlockSamples * 2, payload_.size() - position_);
            produced = bytes / 2;
            for (std::size_t i = 0; i < produced; ++i) {
                block_[i] = static_cast<std::int16_t>(payload_[position_ + 2 * i] | (payload_[position_ + 2 * i + 1] << 8));
            }
            position_ += std::max<std::size_t>(bytes, 1);
            break;
        }
        case SoundFormat::kMusic:
            if (music_ && decoders.music != nullptr) {
                produced = music_->DecodeFrame(position_ / music_->Stride(), *decoders.music, history_,
                                               std::span(block_).first<kMpegAudioFrameSamples>());
                position_ += music_->Stride();
            } else {
                position_ = payload_.size();
            }
            break;
        case SoundFormat::kSpeech: {
            const SpeechFrame frame = SpeechFrame::Take(payload_, position_);
            if (frame.advance == 0 || decoders.speech == nullptr) {
                position_ = payload_.size();
                break;
            }
            produced = decoders.speech->DecodeFrame(speech_, frame.bytes,
                                                    std::span(block_).first<SpeechResampler::kMaxFrameOutput>());
            position_ += frame.advance;
            break;
        }
        case SoundFormat::kNone:
            position_ = payload_.size();
            break;
    }
    produced = std::min(produced, toDeliver_);
    toDeliver_ -= produced;
    return produced;
}

}  // namespace sound
