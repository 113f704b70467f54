#pragma once

// The pool of loaded sounds: one table of 256 slots for the whole program, made
// by the master sound service. A slot holds a sound resource read from an open
// .srf file and the bookkeeping by which the mixer plays it. Failures raise
// lower-layer codes: 1 no memory, 24 every slot in use, 25 the mixer refused a
// start (its queue code is the error detail), and the reader's own (6 missing).

#include <cstdint>

#include "sound/SoundSlot.h"

class xSimpleResFile;

namespace sound {

inline constexpr int kSoundPoolSlots = 256;

void SoundPoolCreate();
// Clears every mixer channel, frees every slot in use and the table.
void SoundPoolDestroy();
bool SoundPoolExists();

// Loads resource (kind, id) from any file open in `file` into the first free slot.
SoundSlot* SoundPoolLoad(xSimpleResFile& file, std::uint32_t kind, std::int32_t id);
// Locks the slot's data and queues it on the mixer channel.
void SoundPoolStart(SoundSlot* slot, int channel, std::uint16_t progressScale, std::uint16_t plays,
                    std::uint8_t releaseMode);
void SoundPoolStopChannel(int channel);
void SoundPoolEndLoops(int channel);
// Frees the slot's data (taking it out of the mixer first if it is still queued).
void SoundPoolFreeSlot(SoundSlot* slot);
// Frees the slot the pointer names and nulls it; a null pointer is ignored.
void SoundPoolRelease(SoundSlot** slot);
// The sound's length in ms (samples * 20 / 441).
std::uint32_t SoundPoolDuration(const SoundSlot* slot);
// Unlocks the data of finished slots; unless forced, at most once a second of application time.
void SoundPoolSweep(bool force);

}  // namespace sound
