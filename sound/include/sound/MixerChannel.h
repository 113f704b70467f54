#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "sound/ImaAdpcm.h"
#include "sound/MpegAudioSynthesisHistory.h"
#include "sound/MpegAudioTables.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SoundDataHeader.h"
#include "sound/SoundSlot.h"
#include "sound/StoredMusic.h"

namespace sound {

// The decoders a channel borrows from the mixer while it refills.
struct MixerDecoders {
    const ImaAdpcmTable* ima = nullptr;
    const MpegAudioTables* music = nullptr;
    SharedSpeechDecoder* speech = nullptr;
};

// One of the mixer's eight channels: a queue of up to 64 sound slots played one
// after another, decoded one block at a time. A slot with plays left is taken
// again as soon as its data runs out, so loops and queued successors are gapless.
class MixerChannel {
  public:
    static constexpr std::size_t kQueueSize = 64;
    static constexpr std::size_t kBlockSamples = 1160;
    static constexpr std::int16_t kUnity = 256;

    MixerChannel() = default;
    MixerChannel(const MixerChannel&) = delete;
    MixerChannel& operator=(const MixerChannel&) = delete;

    // Volume: 256 is the sound services' unity (half amplitude in the mix).
    std::int16_t volume = kUnity;
    std::int16_t targetVolume = kUnity;
    std::int16_t rampStep = kUnity;

    // Appends a slot; false when the queue is full.
    bool Append(SoundSlot& slot);
    // Finishes every queued slot and empties the queue, the current slot and the block.
    void Clear();
    // Nothing repeats: the slot under way ends with its current play, a waiting slot plays once.
    void EndLoops();
    // Finishes the slot at `index` and moves the later ones up.
    void Remove(std::size_t index);
    // Removes every entry of the slot; if it is being decoded the channel drops its block.
    void Forget(const SoundSlot& slot);

    std::size_t Count() const { return count_; }
    SoundSlot* At(std::size_t index) const { return queue_[index]; }
    const SoundSlot* Current() const { return current_; }
    SoundFormat Format() const { return format_; }

    // Moves the current volume towards the target by the ramp step.
    void Ramp();

    // Takes up to output.size() decoded samples, refilling the block as needed;
    // returns how many it took (fewer once the queue has nothing more to play).
    std::size_t Take(std::span<std::int16_t> output, const MixerDecoders& decoders);

    // The channel's speech state, handed to the shared speech decoder.
    SpeechChannel& Speech() { return speech_; }

  private:
    bool Refill(const MixerDecoders& decoders);
    bool StartNextSlot(const MixerDecoders& decoders);
    std::size_t DecodeBlock(const MixerDecoders& decoders);

    std::array<SoundSlot*, kQueueSize> queue_{};
    std::size_t count_ = 0;

    SoundSlot* current_ = nullptr;
    SoundFormat format_ = SoundFormat::kNone;
    std::span<const std::uint8_t> payload_;
    std::size_t position_ = 0;         // bytes of the payload consumed
    std::size_t toDeliver_ = 0;        // samples still to deliver in the current play
    std::optional<StoredMusic> music_;

    std::array<std::int16_t, kBlockSamples> block_{};
    std::size_t blockRead_ = 0;
    std::size_t blockCount_ = 0;

    MpegAudioSynthesisHistory history_;
    SpeechChannel speech_;
};

}  // namespace sound
