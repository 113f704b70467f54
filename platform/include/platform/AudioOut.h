#pragma once

// The wave-output device as the mixer sees it: device enumeration with format
// capabilities, one open device at a time, fixed-size buffers queued without a
// callback and polled for completion, pause, restart and reset, and the
// device's millisecond clock. Implementations: SdlAudioOut (SDL's queued
// audio) and CaptureAudioOut (memory, manual clock, for tests).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Format capability bits, with the wave-output device's own values.
inline constexpr std::uint32_t kAudioFormatStereo8 = 0x20;  // 22.05 kHz, 8-bit, two channels
inline constexpr std::uint32_t kAudioFormatMono16 = 0x40;   // 22.05 kHz, 16-bit, one channel
inline constexpr std::uint32_t kAudioSampleRate = 22050;

// Every buffer holds 1024 frames: 16-bit mono or 8-bit stereo, 2048 bytes either way.
inline constexpr std::size_t kAudioBufferBytes = 2048;

// One output buffer, owned by the caller and queued by reference: it must stay
// alive and untouched until the device has marked it done or been reset.
struct AudioBuffer {
    std::array<std::uint8_t, kAudioBufferBytes> bytes{};
    bool done = false;  // set by the device once played (or dropped by a reset); the caller clears it
};

struct AudioDeviceCaps {
    std::string name;
    std::uint32_t formats = 0;  // kAudioFormat* bits
    bool synchronous = false;   // a device that blocks on every write; the mixer does not use one
};

class AudioOut {
  public:
    static constexpr int kMapper = -1;  // the system's default device

    virtual ~AudioOut() = default;

    // Devices besides the mapper; -1 when the system cannot count them, 0 when there is no output.
    virtual int DeviceCount() = 0;
    // Capabilities of device `id` (kMapper or 0 .. count - 1); false when it cannot be read.
    virtual bool GetCaps(int id, AudioDeviceCaps& caps) = 0;

    // Opens device `id` with one kAudioFormat* format, unpaused; false when refused.
    virtual bool Open(int id, std::uint32_t format) = 0;
    // Closes the open device, dropping whatever is queued (nothing is marked done).
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Reads the open device's volume and writes the same value back; false when either fails.
    virtual bool RoundTripVolume() = 0;

    // Queues a whole buffer behind the ones already queued; false when the device refuses it.
    virtual bool Write(AudioBuffer& buffer) = 0;
    // Marks every queued buffer that has been played as done, oldest first.
    virtual void Update() = 0;
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Drops the queue: every queued buffer is marked done at once.
    virtual void Reset() = 0;

    // The device's clock, milliseconds (wraps at 2^32).
    virtual std::uint32_t Now() = 0;
};

}  // namespace platform
