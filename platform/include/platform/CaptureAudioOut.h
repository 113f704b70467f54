#pragma once

// A wave-output device in memory for tests: every written buffer is appended to
// a recording, the device "plays" one queued buffer per 46 ms of its manual
// clock while open and not paused, and the devices it offers, their formats,
// their opens and their writes are set by hand.

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform/AudioOut.h"

namespace platform {

class CaptureAudioOut : public AudioOut {
  public:
    static constexpr std::uint32_t kBufferMs = 46;

    struct Device {
        AudioDeviceCaps caps;
        bool opens = true;         // an open with a supported format succeeds
        bool volumeWorks = false;  // the volume round trip succeeds
        bool capsReadable = true;  // its capabilities can be read
    };

    // By default: a mapper and one device, both 16-bit mono and 8-bit stereo, that open.
    CaptureAudioOut();

    // The offered devices: the mapper and ids 0 .. devices.size() - 1. `countUnknown`
    // makes DeviceCount answer -1, leaving the mapper as the only candidate.
    void SetDevices(Device mapper, std::vector<Device> devices, bool countUnknown = false);
    void FailWrites(bool fail) { failWrites_ = fail; }

    void Advance(std::uint32_t ms) { now_ += ms; }
    void SetNow(std::uint32_t ms) { now_ = ms; }

    // Everything written, in order, as written.
    const std::vector<std::uint8_t>& Recording() const { return recording_; }
    // The recording read as 16-bit little-endian samples.
    std::vector<std::int16_t> RecordedSamples() const;
    void ClearRecording() { recording_.clear(); }

    std::size_t Writes() const { return writes_; }
    std::size_t Queued() const { return queue_.size(); }
    bool Paused() const { return paused_; }
    std::optional<int> OpenId() const { return openId_; }
    std::uint32_t OpenFormat() const { return openFormat_; }
    std::size_t Opens() const { return opens_; }

    int DeviceCount() override;
    bool GetCaps(int id, AudioDeviceCaps& caps) override;
    bool Open(int id, std::uint32_t format) override;
    void Close() override;
    bool IsOpen() const override { return openId_.has_value(); }
    bool RoundTripVolume() override;
    bool Write(AudioBuffer& buffer) override;
    void Update() override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    std::uint32_t Now() override { return now_; }

  private:
    const Device* Find(int id) const;
    void Play();

    Device mapper_;
    std::vector<Device> devices_;
    bool countUnknown_ = false;
    bool failWrites_ = false;

    std::optional<int> openId_;
    std::uint32_t openFormat_ = 0;
    bool paused_ = false;
    std::uint32_t now_ = 0;
    std::uint32_t playedUntil_ = 0;  // the clock reading up to which playing has been accounted
    std::deque<AudioBuffer*> queue_;
    std::vector<std::uint8_t> recording_;
    std::size_t writes_ = 0;
    std::size_t opens_ = 0;
};

}  // namespace platform
