#include "sound/SoundServiceX.h"

#include <typeinfo>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "resource/ResourceService.h"
#include "resource/xSimpleResFile.h"
#include "sound/Sound.h"
#include "sound/SoundOutputStart.h"
#include "sound/SoundPool.h"
#include "sound/xMixer.h"

namespace {

std::uint32_t KindCode(const std::string& kind) {
    char code[4] = {' ', ' ', ' ', ' '};
    for (std::size_t i = 0; i < kind.size() && i < 4; ++i) code[i] = kind[i];
    return MakeFourCC(code[0], code[1], code[2], code[3]);
}

// Loads the record's data from the file; missing data leaves it pending, any
// other failure goes on to the caller's frame.
void LoadInto(SoundRecord& record, xSimpleResFile& file, std::int32_t resourceId) {
    sound::SoundSlot* slot = nullptr;
    const std::int16_t code = xTry([&] { slot = sound::SoundPoolLoad(file, KindCode(record.kind), resourceId); });
    if (code == kErrResourceMissing) {
        xErrorCode = 0;
        record.pending = 1;
        return;
    }
    if (code != 0) {
        xThrow(code);
        return;
    }
    record.slot = slot;
}

}  // namespace

SoundServiceX::~SoundServiceX() {
    if (IsMaster()) {
        for (std::int32_t i = 0; i < kRecords; ++i) {
            Record(i)->slot = nullptr;
        }
        sound::SoundPoolDestroy();
        xMixerReset();
        xMixerClose();
    }
}

void SoundServiceX::Setup() {
    if (!IsMaster()) return;
    xMixerRestart();
    sound::SoundPoolCreate();
}

std::int32_t SoundServiceX::AddSound(Sound* owner, std::int32_t resourceId, const std::string& kind,
                                     std::int32_t index) {
    index = SoundService::AddSound(owner, resourceId, kind, index);
    SoundRecord* record = Record(index);
    if (record == nullptr) return index;
    ResourceService* resources = ResourceService::Instance();
    const std::int32_t entry = resources != nullptr ? resources->FindById(resourceId, kind) : -1;
    if (entry < 0) {
        // Not catalogued: played like missing data.
        record->pending = 1;
        return index;
    }
    xSimpleResFile* file = nullptr;
    std::int16_t code = xTry([&] { file = resources->OpenSrf(entry, owner); });
    if (code == 0 && file != nullptr) {
        record->entry = entry;
        code = xTry([&] { LoadInto(*record, *file, resourceId); });
    }
    if (code != 0) {
        RemoveSound(index);
        xThrow(code);
        return -1;
    }
    if (record->pending == 0) record->lengthMs = sound::SoundPoolDuration(record->slot);
    return index;
}

void SoundServiceX::RemoveSound(std::int32_t index) {
    SoundRecord* record = Record(index);
    if (record == nullptr) return;
    sound::SoundPoolRelease(&record->slot);
    if (record->entry >= 0) {
        if (ResourceService* resources = ResourceService::Instance()) {
            resources->CloseSrf(record->entry, record->owner);
        }
    }
    SoundService::RemoveSound(index);
}

std::int32_t SoundServiceX::AddSoundFromFile(Sound* owner, xSimpleResFile* file, std::int32_t resourceId,
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
    const std::int16_t code = xTry([&] { LoadInto(*record, *file, resourceId); });
    if (code != 0) {
        SoundService::ReleaseSound(index);
        xThrow(code);
        return -1;
    }
    return index;
}

void SoundServiceX::ReleaseSound(std::int32_t index) {
    SoundRecord* record = Record(index);
    if (record == nullptr) return;
    sound::SoundPoolRelease(&record->slot);
    SoundService::ReleaseSound(index);
}

void SoundServiceX::Play(std::int32_t channel, std::int32_t index, std::int32_t plays) {
    SoundService::Play(channel, index, plays);
    SoundRecord* record = Record(index);
    if (record == nullptr || record->inUse == 0 || record->pending != 0 || record->slot == nullptr) return;
    const std::uint16_t count = static_cast<std::uint16_t>(plays < 1 ? 1 : (plays > 65535 ? 65535 : plays));
    const std::int16_t code = xTry([&] { sound::SoundPoolStart(record->slot, channel, 100, count, 0); });
    if (code == kErrSoundStart) {
        // The mixer cannot play this data: the owner hears nothing, as with
        // missing data, and the run goes on.
        xErrorCode = 0;
        xErrorSetDetail(nullptr);
        record->playing = 0;
        if (Tell(index, SoundStartMsg())) Tell(index, SoundDoneMsg());
        return;
    }
    if (code != 0) xThrow(code);
}

void SoundServiceX::Stop(std::int32_t channel) {
    if (channel < 0 || channel >= kChannels) return;
    sound::SoundPoolStopChannel(channel);
}

void SoundServiceX::EndLoops(std::int32_t channel) {
    if (channel < 0 || channel >= kChannels) return;
    sound::SoundPoolEndLoops(channel);
}

// The stopped sounds keep their channels: each frees its own when its end is
// reported, so channels are never lost to exclusive starts.
void SoundServiceX::StopAllOfKind(Sound& example) {
    for (std::int32_t i = 0; i < kRecords; ++i) {
        SoundRecord* record = Record(i);
        if (record->playing == 0 || record->owner == nullptr || record->owner == &example) continue;
        if (typeid(*record->owner) != typeid(example)) continue;
        Stop(record->channel);
    }
}

void SoundServiceX::Idle() {
    for (std::int32_t channel = 0; channel < kChannels; ++channel) {
        xMixerSetChannelVolume(
            sound::MixerChannelLevel(GetMasterVolume(), ChannelVolume(channel), ChannelMuted(channel)), channel);
    }
}

// Owners told here may add or destroy sounds: the table is walked by index and
// each record looked at afresh.
void SoundServiceX::MasterPass() {
    xMixerFill(250);
    sound::SoundPoolSweep(false);
    for (std::int32_t i = 0; i < kRecords; ++i) {
        SoundRecord* record = Record(i);
        if (record->playing != 0 && record->slot != nullptr && record->slot->done != 0) {
            record->playing = 0;
            Tell(i, SoundDoneMsg());
        }
    }
    for (std::int32_t i = 0; i < kRecords; ++i) {
        SoundRecord* record = Record(i);
        if (record->playing != 0 && record->startAnnounced == 0 && record->slot != nullptr &&
            record->slot->progress > 0) {
            record->startAnnounced = 1;
            Tell(i, SoundStartMsg());
        }
    }
    for (std::int32_t channel = 0; channel < kChannels; ++channel) {
        if (ChannelInUse(channel) != 0 && xMixerIsChannelEmpty(channel)) ChannelInUse(channel) = 0;
    }
}
