#include "sound/SoundServiceNone.h"

#include <algorithm>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "framework/AppTime.h"
#include "resource/ResourceService.h"
#include "resource/xSimpleResFile.h"
#include "sound/Sound.h"
#include "sound/SoundPool.h"

namespace {

// The application clock carried on past its 32-bit wrap.
std::uint64_t g_clockHigh = 0;
std::uint32_t g_clockLast = 0;
// When each channel becomes free, 0 when free now.
std::uint64_t g_freeAt[SoundService::kChannels] = {};

std::uint32_t KindCode(const std::string& kind) {
    char code[4] = {' ', ' ', ' ', ' '};
    for (std::size_t i = 0; i < kind.size() && i < 4; ++i) code[i] = kind[i];
    return MakeFourCC(code[0], code[1], code[2], code[3]);
}

}  // namespace

SoundServiceNone::SoundServiceNone(bool isMaster) : SoundService(isMaster) {
    if (isMaster) {
        g_clockHigh = 0;
        g_clockLast = GetAppTime();
        std::fill(std::begin(g_freeAt), std::end(g_freeAt), 0);
    }
}

std::uint64_t SoundServiceNone::Now() {
    const std::uint32_t now = GetAppTime();
    if (now < g_clockLast) g_clockHigh += std::uint64_t{1} << 32;
    g_clockLast = now;
    return g_clockHigh + now;
}

std::int32_t SoundServiceNone::AddSound(Sound* owner, std::int32_t resourceId, const std::string& kind,
                                        std::int32_t index) {
    index = SoundService::AddSound(owner, resourceId, kind, index);
    SoundRecord* record = Record(index);
    if (record == nullptr) return index;
    ResourceService* resources = ResourceService::Instance();
    const std::int32_t entry = resources != nullptr ? resources->FindById(resourceId, kind) : -1;
    if (entry < 0) {
        record->pending = 1;
        return index;
    }
    xSimpleResFile* file = nullptr;
    std::int16_t code = xTry([&] { file = resources->OpenSrf(entry, owner); });
    if (code == 0) {
        code = xTry([&] { SoundServiceNone::AddSoundFromFile(owner, file, resourceId, kind, index); });
        resources->CloseSrf(entry, owner);
    }
    if (code != 0) {
        RemoveSound(index);
        xThrow(code);
        return -1;
    }
    return index;
}

// Measures the sound by loading it into a pool of its own for the moment.
std::int32_t SoundServiceNone::AddSoundFromFile(Sound* owner, xSimpleResFile* file, std::int32_t resourceId,
                                                const std::string& kind, std::int32_t index) {
    index = SoundService::AddSoundFromFile(owner, file, resourceId, kind, index);
    SoundRecord* record = Record(index);
    if (record == nullptr) return index;
    record->kind = kind;
    record->resourceId = resourceId;
    if (file == nullptr) {
        record->pending = 1;
        return index;
    }
    const bool ownPool = !sound::SoundPoolExists();
    if (ownPool) sound::SoundPoolCreate();
    sound::SoundSlot* slot = nullptr;
    const std::int16_t code = xTry([&] { slot = sound::SoundPoolLoad(*file, KindCode(kind), resourceId); });
    if (code == 0) record->lengthMs = sound::SoundPoolDuration(slot);
    sound::SoundPoolRelease(&slot);
    if (ownPool) sound::SoundPoolDestroy();
    if (code == kErrResourceMissing) {
        xErrorCode = 0;
        record->pending = 1;
    } else if (code != 0) {
        SoundService::ReleaseSound(index);
        xThrow(code);
        return -1;
    }
    return index;
}

void SoundServiceNone::Play(std::int32_t channel, std::int32_t index, std::int32_t plays) {
    SoundService::Play(channel, index, plays);
    SoundRecord* record = Record(index);
    if (record == nullptr || record->inUse == 0 || record->pending != 0 || record->playing == 0) return;
    if (channel < 0 || channel >= kChannels) return;
    const std::uint64_t now = Now();
    record->startTime = std::max(g_freeAt[channel], now);
    record->endTime = record->startTime +
                      std::uint64_t{record->lengthMs} * static_cast<std::uint64_t>(plays < 1 ? 1 : plays);
    g_freeAt[channel] = record->endTime;
}

void SoundServiceNone::Stop(std::int32_t channel) {
    if (channel < 0) {
        for (std::int32_t each = 0; each < kChannels; ++each) Stop(each);
        return;
    }
    if (channel >= kChannels) return;
    for (std::int32_t i = 0; i < kRecords; ++i) {
        SoundRecord* record = Record(i);
        if (record->playing == 0 || record->channel != channel) continue;
        if (record->startAnnounced == 0) {
            // An owner still waiting for its start would wait for ever: it hears of the
            // end in the next pass, as the mixer's owners do. A sound merely queued
            // behind the channel's current one just stops playing.
            const bool waiting = record->owner != nullptr && (record->owner->IsStarting() || record->owner->IsStopping());
            if (waiting) {
                record->startAnnounced = 1;
            } else {
                record->playing = 0;
            }
        }
        record->startTime = 0;
        record->endTime = 0;
    }
    g_freeAt[channel] = 0;
}

// A start and an end are never reported in the same pass; owners told here may
// add or destroy sounds, so each record is looked at afresh.
void SoundServiceNone::MasterPass() {
    const std::uint64_t now = Now();
    for (std::int32_t i = 0; i < kRecords; ++i) {
        SoundRecord* record = Record(i);
        if (record->playing == 0) continue;
        if (record->startAnnounced == 0) {
            if (now >= record->startTime) {
                record->startAnnounced = 1;
                Tell(i, SoundStartMsg());
            }
            continue;
        }
        if (now >= record->endTime) {
            record->playing = 0;
            record->startAnnounced = 0;
            const std::int32_t channel = record->channel;
            if (channel >= 0 && channel < kChannels && g_freeAt[channel] <= now) {
                g_freeAt[channel] = 0;
                ChannelInUse(channel) = 0;
            }
            Tell(i, SoundDoneMsg());
        }
    }
}
