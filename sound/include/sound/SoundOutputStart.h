#pragma once

#include <cstdint>

namespace sound {

// The lower-layer error for a failed mixer open: 1 no driver -> 17, 2 no 16-bit
// format -> 18, 3 busy -> 19, 4 memory -> 1, 5 system resources -> 2, any other
// failure -> 27; 0 stays 0.
std::int16_t SoundOpenErrorCode(std::int16_t openResult);

// Opens the mixer for the master sound service (16-bit mono, default lead) inside
// an error frame. A failure is raised as its mapped code and kept as the pending
// exit code, which ends the main loop; the run goes on without sound output.
// Returns true when the mixer is open.
bool StartSoundOutput();

// The level a channel plays at: 0 when muted, else master * channel * 256,
// truncated (256 is unity). The master volume is 0.0 until the control panel sets it.
inline constexpr double kInitialMasterVolume = 0.0;
int MixerChannelLevel(double masterVolume, double channelVolume, bool muted);

}  // namespace sound
