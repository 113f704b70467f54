#pragma once

// The wave-output device on SDL's queued audio: 22050 Hz, signed 16-bit mono
// (or unsigned 8-bit stereo), no callback. SDL converts to whatever the
// hardware takes, so every device offers both formats; the mapper is SDL's
// default device. A buffer is done once SDL has taken its bytes from the queue.
// The volume cannot be read back.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "platform/AudioOut.h"

namespace platform {

class SdlAudioOut : public AudioOut {
  public:
    // `clock` replaces the device clock (SDL's tick count) for tests; empty keeps it.
    explicit SdlAudioOut(std::function<std::uint32_t()> clock = {});
    ~SdlAudioOut() override;
    SdlAudioOut(const SdlAudioOut&) = delete;
    SdlAudioOut& operator=(const SdlAudioOut&) = delete;

    // Whether SDL's audio subsystem started (an unknown driver name fails it).
    bool HasAudio() const { return audioStarted_; }
    // Buffers written and not yet marked done.
    std::size_t Queued() const { return queue_.size(); }

    int DeviceCount() override;
    bool GetCaps(int id, AudioDeviceCaps& caps) override;
    bool Open(int id, std::uint32_t format) override;
    void Close() override;
    bool IsOpen() const override { return device_ != 0; }
    bool RoundTripVolume() override { return false; }
    bool Write(AudioBuffer& buffer) override;
    void Update() override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    std::uint32_t Now() override;

  private:
    void Run();

    std::function<std::uint32_t()> clock_;
    bool audioStarted_ = false;
    std::uint32_t device_ = 0;       // SDL_AudioDeviceID, 0 when closed
    std::uint64_t written_ = 0;      // bytes queued since the open or the last reset
    std::uint64_t retired_ = 0;      // bytes of the buffers already marked done
    std::deque<AudioBuffer*> queue_;
    bool paused_ = false;            // asked to pause
    bool running_ = false;           // SDL plays (unpaused)
};

}  // namespace platform
