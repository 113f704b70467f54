#pragma once

// The wave-output mixer: one per program, all its state global. It owns the
// output device, 64 output buffers of 2048 bytes and eight channels, each
// playing a queue of sound slots; the master sound service fills it once per
// pass and long file reads poll it (framework's xMixerPoll) so the device never
// starves.

#include <cstdint>
#include <span>

#include "sound/SoundSlot.h"

namespace platform {
class AudioOut;
}

// The output device the mixer opens (borrowed; it must outlive its use). With
// none installed every open finds no device. Installing closes the mixer first.
void xMixerSetAudioOut(platform::AudioOut* out);

// Open results.
inline constexpr std::int16_t kMixerOpenNoDevice = 1;
inline constexpr std::int16_t kMixerOpenNoFormat = 2;
inline constexpr std::int16_t kMixerOpenRefused = 3;
inline constexpr std::int16_t kMixerOpenNoMemory = 4;
inline constexpr std::int16_t kMixerOpenNoPrepare = 5;

// Queue codes of xMixerQueueSound and xMixerEndLoops.
inline constexpr std::int16_t kMixerBadChannel = 7;
inline constexpr std::int16_t kMixerQueueFull = 8;
inline constexpr std::int16_t kMixerNotASound = 9;
inline constexpr std::int16_t kMixerNoPlays = 10;

inline constexpr int kMixerChannels = 8;

// Opens the mixer (closing it first): `lead` buffers kept beyond the fill (0..61,
// anything else means 2) and the wanted format (platform::kAudioFormatMono16 or
// kAudioFormatStereo8; without the first the second is tried). 0, or an open result.
// The mixer opens with its reset flag set: nothing is filled until xMixerRestart.
std::int16_t xMixerOpen(std::int16_t lead, std::uint32_t format);

// Picks the output device for `format`: 0 (and the device is remembered), 1 no
// device, 2 no device offers the format, 3 one offers it but cannot be opened.
std::int16_t ChooseWaveDevice(std::uint32_t format);
// The device id ChooseWaveDevice picked last (-1 the mapper).
int xMixerDeviceId();
// The format the open device plays; 0 when closed.
std::uint32_t xMixerOpenFormat();

void xMixerClose();
void xMixerReset();
void xMixerRestart();

// Queues `slot` on `channel`, or with no slot clears the channel (-1: all eight).
// 0, or a queue code.
std::int16_t xMixerQueueSound(int channel, sound::SoundSlot* slot);
std::int16_t xMixerEndLoops(int channel);
// Takes the slot out of every queue that holds it, finished, so its data can be freed;
// a channel playing it goes on with what follows.
void xMixerForgetSlot(sound::SoundSlot* slot);
// An invalid channel asks about all eight.
bool xMixerIsChannelEmpty(int channel);
// A channel outside 0..7 sets all eight. Negative counts as 0; 256 is unity.
void xMixerSetChannelVolume(int volume, int channel);

// The 22050 Hz samples stored sound data yields; 0 when it is not a recognised sound.
std::uint32_t xMixerGetSampleCount(std::span<const std::uint8_t> data);

// Keeps `ms` of sound queued ahead (at least one buffer); the master sound service
// calls it with 250 once per pass.
void xMixerFill(std::uint32_t ms);
