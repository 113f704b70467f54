#pragma once

#include <cstdint>
#include <span>

namespace sound {

// One loaded sound and the bookkeeping by which a mixer channel plays it. The
// mixer writes progress, done, plays remaining and the timing while the slot
// sits in a channel's queue; the slot must outlive its time in the queue (or be
// taken out with xMixerForgetSlot).
struct SoundSlot {
    // The locked sound data while the slot is queued; its size bounds every header length.
    std::span<const std::uint8_t> data;
    std::uint32_t length = 0;          // samples at 22050 Hz, from the data's header
    std::uint16_t progress = 0;        // 0 .. scale over the last play
    std::uint16_t progressScale = 0;
    std::uint16_t done = 0;            // finished, or its channel was cleared
    std::uint16_t playsRemaining = 0;
    std::uint32_t startTime = 0;       // estimated, ms on the mixing clock
    std::uint32_t endTime = 0;         // start - 1 while unknown
    bool justStarted = false;
    // The first play's estimated start: a looped slot is announced started from it, since a
    // play shorter than the output lead would otherwise move its start ahead for ever.
    std::uint32_t firstStartTime = 0;
    bool firstStartKnown = false;
    // Set when the mixer first takes the slot; a slot still waiting behind others is not timed.
    bool begun = false;

    // The slot pool's bookkeeping.
    std::uint8_t* resource = nullptr;  // the loaded resource data, owned by the slot; null when none
    bool inUse = false;
    bool loaded = false;
    std::uint8_t releaseMode = 0;      // the services always use 0: keep the data when done
    bool locked = false;               // the data is locked and the slot sits in a mixer queue
};

}  // namespace sound
