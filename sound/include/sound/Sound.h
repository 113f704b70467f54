#pragma once

#include <cstdint>
#include <string>

#include "framework/ProcessNode.h"

class SoundService;
class xSimpleResFile;

// A process that plays one sound resource through the master sound service of
// its UI root. "Started" means the sound is audible, "stopped" that it has
// finished; a start that cannot play (no free channel, a second play-once
// start) is skipped and still runs through the whole life cycle. Its parent is
// its first receiver. Without a real sound service it cannot be made (the
// integer 0 is thrown).
class Sound : public ProcessNode {
  public:
    // Resource (kind, id) from the catalogue, or from the open file when given.
    Sound(UI* parent, std::int32_t resourceId, const std::string& kind, xSimpleResFile* file = nullptr);
    ~Sound() override;

    virtual std::int32_t GetResId() const { return resourceId_; }
    // In ms; 0 while the data is missing.
    virtual std::uint32_t GetSoundLength();
    // While this sound is stopped: queues it on the previous sound's channel,
    // behind what still plays there, and takes the channel over.
    virtual void TakeOverChannel(Sound* previous);
    virtual void SetLoops(std::int32_t loops) { loops_ = loops; }
    virtual std::int32_t GetLoops() const { return loops_; }
    virtual void LoopForever() { SetLoops(10000); }
    virtual void EndLoops();
    virtual double SetVolume(double volume);
    virtual double GetVolume() const { return volume_; }
    virtual bool SetMuted(bool muted);
    virtual bool IsMuted() const { return muted_ != 0; }
    // Exclusive: a start first stops every playing sound of the same class.
    virtual void SetFlagA() { exclusive_ = 1; }
    virtual void ClearFlagA() { exclusive_ = 0; }
    // Play once: a second start is skipped.
    virtual void SetFlagB() { playOnce_ = 1; }
    virtual void ClearFlagB() { playOnce_ = 0; }
    virtual void SetOwnsChannel(bool owns) { ownsChannel_ = owns ? 1 : 0; }
    virtual bool LastStartPlayed() const { return skipped_ == 0; }
    virtual std::int32_t GetChannel() const { return channel_; }
    virtual SoundService* GetSoundService() const { return service_; }
    virtual void OnSoundStart();
    virtual void OnSoundDone();

    void Start() override;
    void Stop() override;
    void OnStarting() override;
    void OnStarted() override;
    void OnStopping() override;
    void OnPausing() override {}
    void OnPaused() override {}
    void OnResuming() override {}
    void OnStopped() override {}

    // The service's reports arrive by direct call.
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

  private:
    UI* parent_;
    std::int32_t resourceId_;
    std::int32_t loops_ = 0;
    double volume_ = 1.0;
    std::uint8_t muted_ = 0;
    std::uint8_t exclusive_ = 0;
    std::uint8_t playOnce_ = 0;
    std::uint8_t playedOnce_ = 0;
    SoundService* service_ = nullptr;
    std::int32_t record_ = -1;
    std::int32_t channel_ = -1;
    std::uint8_t ownsChannel_ = 1;
    std::uint8_t fromFile_ = 0;
    std::uint8_t skipped_ = 0;
};
