#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/AudioOut.h"
#include "sound/ImaAdpcm.h"
#include "sound/MixerChannel.h"
#include "sound/MpegAudioTables.h"
#include "sound/SharedSpeechDecoder.h"

namespace sound {

// The state behind the xMixer functions.
class Mixer {
  public:
    static constexpr int kBuffers = 64;
    static constexpr int kMsPerBuffer = 46;
    static constexpr int kFrames = 1024;
    static constexpr int kDefaultLead = 2;

    static Mixer& Instance();

    void SetOut(platform::AudioOut* out);
    std::int16_t Open(std::int16_t lead, std::uint32_t format);
    std::int16_t Choose(std::uint32_t format);
    void Close();
    void Reset();
    void Restart();
    std::int16_t Queue(int channel, SoundSlot* slot);
    std::int16_t EndLoops(int channel);
    void Forget(SoundSlot* slot);
    bool IsChannelEmpty(int channel) const;
    void SetVolume(int volume, int channel);
    void Fill(std::uint32_t ms);
    void Poll(std::uint32_t ms);

    int DeviceId() const { return deviceId_; }
    std::uint32_t OpenFormat() const { return IsOpen() ? format_ : 0; }

  private:
    bool IsOpen() const { return out_ != nullptr && out_->IsOpen() && buffers_ != nullptr; }
    void MixBuffer(std::array<std::int32_t, kFrames>& mix);
    void Encode(const std::array<std::int32_t, kFrames>& mix, platform::AudioBuffer& buffer) const;
    void UpdateTiming(int bufferIndex);

    platform::AudioOut* out_ = nullptr;
    int deviceId_ = platform::AudioOut::kMapper;
    std::uint32_t format_ = 0;
    int lead_ = kDefaultLead;
    std::unique_ptr<std::array<platform::AudioBuffer, kBuffers>> buffers_;
    int playIndex_ = 0;
    int writeIndex_ = 0;
    std::uint32_t mixTime_ = 0;
    std::uint32_t nextDue_ = 0;
    std::uint32_t lastLead_ = 0;
    bool resetFlag_ = false;
    bool needsRestart_ = false;

    std::unique_ptr<ImaAdpcmTable> ima_;
    std::unique_ptr<MpegAudioTables> music_;
    std::unique_ptr<SharedSpeechDecoder> speech_;
    std::array<MixerChannel, 8> channels_;
};

}  // namespace sound
