#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/CloneableMsg.h"
#include "framework/RootSoundService.h"
#include "framework/xAppThread.h"

class Sound;
class UIRoot;
class xSimpleResFile;

namespace sound {
struct SoundSlot;
}

// What the service tells a sound's owner: its sound is now audible, or has finished.
class SoundStartMsg : public CloneableMsg<SoundStartMsg> {};
class SoundDoneMsg : public CloneableMsg<SoundDoneMsg> {};

// One sound object's entry in the master's table.
struct SoundRecord {
    Sound* owner = nullptr;
    std::string kind;
    std::int32_t resourceId = 0;
    class SoundService* playingService = nullptr;
    std::uint16_t playing = 0;
    std::uint16_t startAnnounced = 0;
    std::uint16_t pending = 0;  // the data is missing
    std::uint16_t inUse = 0;
    std::uint32_t lengthMs = 0;
    std::int32_t channel = -1;
    // The catalogue entry whose .srf the record holds open for its owner, -1 none.
    std::int32_t entry = -1;
    sound::SoundSlot* slot = nullptr;
    // Planned times on the silent service's clock, in ms.
    std::uint64_t startTime = 0;
    std::uint64_t endTime = 0;
};

// The one object through which sounds reach the output: a table of 256 sound
// records and 8 numbered channels shared by the whole program, owned by the
// master service. It plays records on channels and tells each owner, by a
// direct call, when its sound has become audible and when it has finished.
class SoundService : public xAppThread, public RootSoundService {
  public:
    static constexpr int kRecords = 256;
    static constexpr int kChannels = 8;

    // The master (or, unless is-master, another) service for the root: the mixer
    // service when the output opens, else the silent one. The mode is decided by
    // the first call and kept until the master goes. A failed open leaves the
    // mapped error as the pending exit code. The master is scheduled at once.
    static std::unique_ptr<SoundService> Create(UIRoot& root, bool isMaster);
    // Installs Create(root, true) as the root's sound service maker.
    static void Install();
    // Sound switched off in the local settings: the next decided mode is silent.
    static void SetSoundOff(bool off);
    static bool IsSoundOff();
    static SoundService* GetMaster();

    ~SoundService() override;

    bool IsMaster() const;
    // The root's one call after making the service.
    void Tick() override { Setup(); }

    virtual void Setup() {}
    virtual std::int32_t AddSound(Sound* owner, std::int32_t resourceId, const std::string& kind,
                                  std::int32_t index);
    virtual void RemoveSound(std::int32_t index);
    virtual std::int32_t AddSoundFromFile(Sound* owner, xSimpleResFile* file, std::int32_t resourceId,
                                          const std::string& kind, std::int32_t index);
    virtual void ReleaseSound(std::int32_t index);
    virtual void Play(std::int32_t channel, std::int32_t index, std::int32_t plays);
    // Stopping a channel; the service's own stop as a process stays Stop().
    using xAppThread::Stop;
    virtual void Stop(std::int32_t channel) { (void)channel; }
    virtual void EndLoops(std::int32_t channel) { (void)channel; }
    virtual void StopAllOfKind(Sound& example) { (void)example; }
    virtual std::uint32_t GetSoundLength(std::int32_t index);
    // Applies the volumes (the mixer service).
    void Idle() override {}

    double SetChannelVolume(std::int32_t channel, double volume);
    bool SetChannelMuted(std::int32_t channel, bool muted);
    double SetMasterVolume(double volume);
    double GetMasterVolume() const;
    bool IsMusicMuted() const { return musicMuted_ != 0; }
    bool IsVoiceMuted() const { return voiceMuted_ != 0; }
    bool IsSfxMuted() const { return sfxMuted_ != 0; }

    // The mute messages set the three flags; anything else goes to the element.
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

    // The per-pass work: the master's own, then applying changed volumes.
    void Execute() override;

    // Read-only views of the master's tables, for tests and diagnostics.
    static const SoundRecord& GetRecord(std::int32_t index);
    static bool IsChannelInUse(std::int32_t channel);
    static bool IsChannelAllocated(std::int32_t channel);

  protected:
    explicit SoundService(bool isMaster);

    static SoundRecord* Record(std::int32_t index);
    static std::uint16_t& ChannelInUse(std::int32_t channel);
    static bool ChannelMuted(std::int32_t channel);
    static double ChannelVolume(std::int32_t channel);
    virtual void MasterPass() {}
    // Sends the message to the record's owner; false when the owner's record has
    // gone or changed hands during the call.
    bool Tell(std::int32_t index, const Msg& msg);

  private:
    std::uint8_t musicMuted_ = 0;
    std::uint8_t voiceMuted_ = 0;
    std::uint8_t sfxMuted_ = 0;
    SoundService* master_ = nullptr;
};

// The lowest free channel 0..7, now allocated, or -1 when all eight are taken.
std::int32_t SoundChannelAlloc();
void SoundChannelFree(std::int32_t channel);
