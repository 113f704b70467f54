#include "sound/SoundPool.h"

#include <array>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "divir/xError.h"
#include "framework/AppTime.h"
#include "resource/xSimpleResFile.h"
#include "sound/xMixer.h"

namespace sound {

namespace {

constexpr std::uint32_t kSweepIntervalMs = 1000;

struct Pool {
    std::unique_ptr<std::array<SoundSlot, kSoundPoolSlots>> slots;
    std::uint32_t lastSweep = 0;
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

std::span<const std::uint8_t> DataOf(std::uint8_t* resource) {
    if (resource == nullptr) {
        return {};
    }
    return {resource, ResDataSize(resource)};
}

void UnloadSlot(SoundSlot& slot) {
    // The mixer must not read data that is about to go.
    xMixerForgetSlot(&slot);
    if (slot.locked) {
        ResDataUnlock(slot.resource);
    }
    ResDataFree(slot.resource);
    slot.data = {};
    slot.loaded = false;
    slot.locked = false;
}

}  // namespace

void SoundPoolCreate() {
    Pool& pool = ThePool();
    if (pool.slots) {
        return;
    }
    try {
        pool.slots = std::make_unique<std::array<SoundSlot, kSoundPoolSlots>>();
    } catch (const std::bad_alloc&) {
        xThrow(kErrMemory);
        return;
    }
    pool.lastSweep = 0;
}

void SoundPoolDestroy() {
    Pool& pool = ThePool();
    if (!pool.slots) {
        return;
    }
    xMixerQueueSound(-1, nullptr);
    for (SoundSlot& slot : *pool.slots) {
        if (slot.inUse) {
            SoundPoolFreeSlot(&slot);
        }
    }
    pool.slots.reset();
}

bool SoundPoolExists() {
    return ThePool().slots != nullptr;
}

SoundSlot* SoundPoolLoad(xSimpleResFile& file, std::uint32_t kind, std::int32_t id) {
    Pool& pool = ThePool();
    SoundSlot* free = nullptr;
    if (pool.slots) {
        for (SoundSlot& slot : *pool.slots) {
            if (!slot.inUse) {
                free = &slot;
                break;
            }
        }
    }
    if (free == nullptr) {
        xThrow(kErrChannelPoolFull);
        return nullptr;
    }
    // A missing resource raises in the reader; the slot is marked only after its load.
    std::uint8_t* resource = file.LoadResource(kind, id, xSimpleResFile::kAnyFile);
    if (resource == nullptr) {
        return nullptr;
    }
    *free = SoundSlot{};
    free->resource = resource;
    free->inUse = true;
    free->loaded = true;
    return free;
}

void SoundPoolStart(SoundSlot* slot, int channel, std::uint16_t progressScale, std::uint16_t plays,
                    std::uint8_t releaseMode) {
    if (slot == nullptr) {
        return;
    }
    if (!slot->locked) {
        slot->data = slot->resource != nullptr ? DataOf(ResDataLock(slot->resource)) : std::span<const std::uint8_t>{};
    }
    // Queued twice the slot would be timed twice: take it out of any queue first.
    xMixerForgetSlot(slot);
    slot->progressScale = progressScale;
    slot->playsRemaining = plays;
    slot->releaseMode = releaseMode;
    slot->locked = true;
    const std::int16_t code = xMixerQueueSound(channel, slot);
    if (code != 0) {
        xErrorSetDetail(std::to_string(code).c_str());
        xThrow(kErrSoundStart);
    }
}

void SoundPoolStopChannel(int channel) {
    xMixerQueueSound(channel, nullptr);
}

void SoundPoolEndLoops(int channel) {
    xMixerEndLoops(channel);
}

void SoundPoolFreeSlot(SoundSlot* slot) {
    if (slot == nullptr) {
        return;
    }
    if (slot->resource != nullptr) {
        UnloadSlot(*slot);
    } else {
        xMixerForgetSlot(slot);
    }
    slot->inUse = false;
}

void SoundPoolRelease(SoundSlot** slot) {
    if (slot == nullptr || *slot == nullptr) {
        return;
    }
    SoundPoolFreeSlot(*slot);
    *slot = nullptr;
}

std::uint32_t SoundPoolDuration(const SoundSlot* slot) {
    if (slot == nullptr) {
        return 0;
    }
    const std::uint64_t samples = slot->resource != nullptr ? xMixerGetSampleCount(DataOf(slot->resource)) : slot->length;
    return static_cast<std::uint32_t>(samples * 20 / 441);
}

void SoundPoolSweep(bool force) {
    Pool& pool = ThePool();
    if (!pool.slots) {
        return;
    }
    const std::uint32_t now = GetAppTime();
    if (!force && now - pool.lastSweep < kSweepIntervalMs) {
        return;
    }
    pool.lastSweep = now;
    for (SoundSlot& slot : *pool.slots) {
        if (slot.inUse && slot.done != 0 && slot.locked) {
            ResDataUnlock(slot.resource);
            slot.locked = false;
        }
    }
}

}  // namespace sound
