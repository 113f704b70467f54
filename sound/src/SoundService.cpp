#include "sound/SoundService.h"

#include <typeinfo>

#include "divir/xError.h"
#include "framework/UIRoot.h"
#include "framework/xMsgResourceLockRequest.h"
#include "framework/xMsgResourceUnlockRequest.h"
#include "sound/Sound.h"
#include "sound/SoundMuteMsgs.h"
#include "sound/SoundOutputStart.h"
#include "sound/SoundServiceNone.h"
#include "sound/SoundServiceX.h"
#include "sound/xMixer.h"

namespace {

enum class Mode { Undecided, Mixer, Silent };

struct Tables {
    SoundRecord records[SoundService::kRecords];
    bool allocated[SoundService::kChannels] = {};
    std::uint16_t inUse[SoundService::kChannels] = {};
    bool muted[SoundService::kChannels] = {};
    double volume[SoundService::kChannels] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    double master = sound::kInitialMasterVolume;
    bool volumesChanged = false;
};

Tables g_tables;
SoundService* g_master = nullptr;
Mode g_mode = Mode::Undecided;
bool g_soundOff = false;

bool ValidChannel(std::int32_t channel) {
    return channel >= 0 && channel < SoundService::kChannels;
}

}  // namespace

std::unique_ptr<SoundService> SoundService::Create(UIRoot&, bool isMaster) {
    if (g_mode == Mode::Undecided) {
        if (g_soundOff) {
            g_mode = Mode::Silent;
        } else {
            g_mode = sound::StartSoundOutput() ? Mode::Mixer : Mode::Silent;
        }
    }
    std::unique_ptr<SoundService> service;
    if (g_mode == Mode::Mixer) {
        service = std::make_unique<SoundServiceX>(isMaster);
    } else {
        service = std::make_unique<SoundServiceNone>(isMaster);
    }
    if (isMaster) {
        service->SetRunning(1);
    }
    return service;
}

void SoundService::Install() {
    UIRoot::SetSoundServiceMaker(
        [](UIRoot& root) -> std::unique_ptr<RootSoundService> { return Create(root, true); });
}

void SoundService::SetSoundOff(bool off) {
    g_soundOff = off;
}

bool SoundService::IsSoundOff() {
    return g_soundOff;
}

SoundService* SoundService::GetMaster() {
    return g_master;
}

SoundService::SoundService(bool isMaster) : xAppThread(isMaster ? nullptr : g_master) {
    if (isMaster) {
        g_tables = Tables{};
        g_master = this;
    } else {
        master_ = g_master;
    }
}

SoundService::~SoundService() {
    if (g_master == this) {
        g_tables = Tables{};
        g_master = nullptr;
        g_mode = Mode::Undecided;
    }
}

bool SoundService::IsMaster() const {
    return g_master == this;
}

SoundRecord* SoundService::Record(std::int32_t index) {
    if (index < 0 || index >= kRecords) return nullptr;
    return &g_tables.records[index];
}

const SoundRecord& SoundService::GetRecord(std::int32_t index) {
    static const SoundRecord kNone;
    const SoundRecord* record = Record(index);
    return record != nullptr ? *record : kNone;
}

std::uint16_t& SoundService::ChannelInUse(std::int32_t channel) {
    return g_tables.inUse[channel];
}

bool SoundService::IsChannelInUse(std::int32_t channel) {
    return ValidChannel(channel) && g_tables.inUse[channel] != 0;
}

bool SoundService::IsChannelAllocated(std::int32_t channel) {
    return ValidChannel(channel) && g_tables.allocated[channel];
}

bool SoundService::ChannelMuted(std::int32_t channel) {
    return g_tables.muted[channel];
}

double SoundService::ChannelVolume(std::int32_t channel) {
    return g_tables.volume[channel];
}

std::int32_t SoundService::AddSound(Sound* owner, std::int32_t resourceId, const std::string& kind,
                                    std::int32_t index) {
    if (index < 0) {
        for (index = 0; index < kRecords; ++index) {
            if (g_tables.records[index].inUse == 0) break;
        }
        if (index == kRecords) {
            xThrow(kErrSoundSlotsFull);
            return -1;
        }
    }
    SoundRecord* record = Record(index);
    if (record == nullptr) return -1;
    *record = SoundRecord{};
    record->owner = owner;
    record->kind = kind;
    record->resourceId = resourceId;
    record->inUse = 1;
    return index;
}

void SoundService::RemoveSound(std::int32_t index) {
    SoundRecord* record = Record(index);
    if (record == nullptr) return;
    *record = SoundRecord{};
}

std::int32_t SoundService::AddSoundFromFile(Sound* owner, xSimpleResFile*, std::int32_t,
                                            const std::string& kind, std::int32_t index) {
    index = SoundService::AddSound(owner, 0, kind, index);
    return index;
}

void SoundService::ReleaseSound(std::int32_t index) {
    SoundRecord* record = Record(index);
    if (record == nullptr || record->inUse == 0) return;
    *record = SoundRecord{};
}

bool SoundService::Tell(std::int32_t index, const Msg& msg) {
    Sound* owner = g_tables.records[index].owner;
    if (owner == nullptr) return false;
    owner->Receive(msg, this);
    return g_tables.records[index].owner == owner;
}

void SoundService::Play(std::int32_t channel, std::int32_t index, std::int32_t) {
    SoundRecord* record = Record(index);
    if (record == nullptr || record->inUse == 0) return;
    record->channel = channel;
    if (record->pending != 0) {
        if (Tell(index, SoundStartMsg())) Tell(index, SoundDoneMsg());
        return;
    }
    record->playingService = this;
    record->playing = 1;
    record->startAnnounced = 0;
    if (ValidChannel(channel)) g_tables.inUse[channel] = 1;
}

std::uint32_t SoundService::GetSoundLength(std::int32_t index) {
    const SoundRecord* record = Record(index);
    if (record == nullptr || record->pending != 0) return 0;
    return record->lengthMs;
}

double SoundService::SetChannelVolume(std::int32_t channel, double volume) {
    if (!ValidChannel(channel)) return 0.0;
    const double old = g_tables.volume[channel];
    g_tables.volume[channel] = volume;
    g_tables.volumesChanged = true;
    return old;
}

bool SoundService::SetChannelMuted(std::int32_t channel, bool muted) {
    if (!ValidChannel(channel)) return false;
    const bool old = g_tables.muted[channel];
    g_tables.muted[channel] = muted;
    g_tables.volumesChanged = true;
    return old;
}

double SoundService::SetMasterVolume(double volume) {
    const double old = g_tables.master;
    g_tables.master = volume;
    g_tables.volumesChanged = true;
    return old;
}

double SoundService::GetMasterVolume() const {
    return g_tables.master;
}

std::int32_t SoundService::Receive(const Msg& msg, MsgSender* from) {
    const std::type_info& type = typeid(msg);
    if (type == typeid(MusicMuteOffMsg)) {
        musicMuted_ = 0;
    } else if (type == typeid(MusicMuteOnMsg)) {
        musicMuted_ = 1;
    } else if (type == typeid(VoiceMuteOffMsg)) {
        voiceMuted_ = 0;
    } else if (type == typeid(VoiceMuteOnMsg)) {
        voiceMuted_ = 1;
    } else if (type == typeid(SfxMuteOffMsg)) {
        sfxMuted_ = 0;
    } else if (type == typeid(SfxMuteOnMsg)) {
        sfxMuted_ = 1;
    } else if (type == typeid(xMsgResourceLockRequest) || type == typeid(xMsgResourceUnlockRequest)) {
        // Sound data is loaded whole into its slot: the file can go at any time.
    } else {
        return xAppThread::Receive(msg, from);
    }
    return 0;
}

void SoundService::Execute() {
    if (IsMaster()) MasterPass();
    if (g_tables.volumesChanged) {
        Idle();
        g_tables.volumesChanged = false;
    }
}

std::int32_t SoundChannelAlloc() {
    for (std::int32_t channel = 0; channel < SoundService::kChannels; ++channel) {
        if (!g_tables.allocated[channel]) {
            g_tables.allocated[channel] = true;
            return channel;
        }
    }
    return -1;
}

void SoundChannelFree(std::int32_t channel) {
    if (ValidChannel(channel)) g_tables.allocated[channel] = false;
}
