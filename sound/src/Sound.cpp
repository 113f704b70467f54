#include "sound/Sound.h"

#include <typeinfo>

#include "framework/UIRoot.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/SoundMuteMsgs.h"
#include "sound/SoundQueueAbortedMsg.h"
#include "sound/SoundService.h"
#include "sound/Voice.h"

namespace {

SoundService* ServiceOfRoot(UI* node) {
    auto* root = dynamic_cast<UIRoot*>(node->GetRoot());
    return root != nullptr ? dynamic_cast<SoundService*>(root->GetSoundService()) : nullptr;
}

}  // namespace

Sound::Sound(UI* parent, std::int32_t resourceId, const std::string& kind, xSimpleResFile* file)
    : ProcessNode(parent), parent_(parent), resourceId_(resourceId) {
    service_ = ServiceOfRoot(this);
    if (service_ == nullptr) throw 0;
    service_->SetActive(1);
    if (file != nullptr) {
        fromFile_ = 1;
        record_ = service_->AddSoundFromFile(this, file, resourceId, kind, -1);
    } else {
        record_ = service_->AddSound(this, resourceId, kind, -1);
    }
    if (record_ < 0) throw 0;
    AddReceiver(parent);
    service_->AddMsgReceiver(this);
}

Sound::~Sound() {
    if (channel_ >= 0) {
        service_->Stop(channel_);
        if (ownsChannel_ != 0) SoundChannelFree(channel_);
    }
    service_->RemoveMsgReceiver(this);
    if (fromFile_ != 0) {
        service_->ReleaseSound(record_);
    } else {
        service_->RemoveSound(record_);
    }
    service_->SetActive(0);
    if (HasReceiver(parent_)) RemoveReceiver(parent_);
}

std::uint32_t Sound::GetSoundLength() {
    return service_->GetSoundLength(record_);
}

void Sound::TakeOverChannel(Sound* previous) {
    if (!IsStopped() || previous == nullptr || previous->GetChannel() < 0) return;
    channel_ = previous->GetChannel();
    previous->SetOwnsChannel(false);
    ownsChannel_ = 1;
    service_->Play(channel_, record_, loops_ + 1);
}

void Sound::EndLoops() {
    if (channel_ >= 0) service_->EndLoops(channel_);
}

double Sound::SetVolume(double volume) {
    const double old = volume_;
    volume_ = volume;
    if (IsStarted()) service_->SetChannelVolume(channel_, volume_);
    return old;
}

bool Sound::SetMuted(bool muted) {
    const bool old = muted_ != 0;
    muted_ = muted ? 1 : 0;
    if (IsStarted()) service_->SetChannelMuted(channel_, muted);
    return old;
}

void Sound::Start() {
    if (exclusive_ != 0) service_->StopAllOfKind(*this);
    skipped_ = 0;
    if (playOnce_ != 0) {
        if (playedOnce_ != 0) {
            skipped_ = 1;
            ProcessNode::Start();
            return;
        }
        playedOnce_ = 1;
        exclusive_ = 0;
    }
    if (channel_ < 0) {
        channel_ = SoundChannelAlloc();
        if (channel_ < 0) {
            skipped_ = 1;
            ProcessNode::Start();
            return;
        }
        ownsChannel_ = 1;
    }
    ProcessNode::Start();
    service_->SetChannelVolume(channel_, volume_);
    service_->SetChannelMuted(channel_, muted_ != 0);
    service_->Play(channel_, record_, loops_ + 1);
}

void Sound::Stop() {
    ProcessNode::Stop();
    if (channel_ >= 0) service_->Stop(channel_);
}

// A skipped start runs through its life cycle on its own; a played one waits
// for the service's reports.
void Sound::OnStarting() {
    if (skipped_ != 0 && IsStarting()) Started();
}

void Sound::OnStarted() {
    if (skipped_ != 0 && IsStarted()) Stop();
}

void Sound::OnStopping() {
    if (skipped_ != 0 && IsStopping()) Stopped();
}

void Sound::OnSoundStart() {
    if (IsStopped()) {
        ProcessNode::Start();
        Started();
    } else if (IsStarting()) {
        Started();
    } else {
        throw 0;
    }
}

void Sound::OnSoundDone() {
    if (IsStarted()) {
        ProcessNode::Stop();
        Stopped();
    } else if (IsStopping()) {
        Stopped();
    } else if (IsStarting()) {
        Started();
        ProcessNode::Stop();
        Stopped();
    } else if (IsStopped()) {
        Send(SoundQueueAbortedMsg());
    } else {
        throw 0;
    }
    if (ownsChannel_ != 0) SoundChannelFree(channel_);
    channel_ = -1;
    ownsChannel_ = 1;
}

std::int32_t Sound::Receive(const Msg& msg, MsgSender* from) {
    const std::type_info& type = typeid(msg);
    if (type == typeid(SoundStartMsg)) {
        OnSoundStart();
        return 0;
    }
    if (type == typeid(SoundDoneMsg)) {
        OnSoundDone();
        return 0;
    }
    return ProcessNode::Receive(msg, from);
}

Music::Music(UI* parent, std::int32_t resourceId) : Sound(parent, resourceId, "Musi") {
    SetMuted(GetSoundService()->IsMusicMuted());
}

std::int32_t Music::Receive(const Msg& msg, MsgSender* from) {
    if (typeid(msg) == typeid(MusicMuteOnMsg)) {
        SetMuted(true);
    } else if (typeid(msg) == typeid(MusicMuteOffMsg)) {
        SetMuted(false);
    }
    return Sound::Receive(msg, from);
}

Voice::Voice(UI* parent, std::int32_t resourceId) : Sound(parent, resourceId, "Voic") {
    SetMuted(GetSoundService()->IsVoiceMuted());
}

std::int32_t Voice::Receive(const Msg& msg, MsgSender* from) {
    if (typeid(msg) == typeid(VoiceMuteOnMsg)) {
        SetMuted(true);
    } else if (typeid(msg) == typeid(VoiceMuteOffMsg)) {
        SetMuted(false);
    }
    return Sound::Receive(msg, from);
}

Sfx::Sfx(UI* parent, std::int32_t resourceId) : Sound(parent, resourceId, "Sfx ") {
    SetMuted(GetSoundService()->IsSfxMuted());
}

std::int32_t Sfx::Receive(const Msg& msg, MsgSender* from) {
    if (typeid(msg) == typeid(SfxMuteOnMsg)) {
        SetMuted(true);
    } else if (typeid(msg) == typeid(SfxMuteOffMsg)) {
        SetMuted(false);
    }
    return Sound::Receive(msg, from);
}
