#pragma once

#include "sound/SoundService.h"

// The service that plays through the wave-output mixer and its slot pool.
class SoundServiceX : public SoundService {
  public:
    explicit SoundServiceX(bool isMaster) : SoundService(isMaster) {}
    ~SoundServiceX() override;

    void Setup() override;
    std::int32_t AddSound(Sound* owner, std::int32_t resourceId, const std::string& kind,
                          std::int32_t index) override;
    void RemoveSound(std::int32_t index) override;
    std::int32_t AddSoundFromFile(Sound* owner, xSimpleResFile* file, std::int32_t resourceId,
                                  const std::string& kind, std::int32_t index) override;
    void ReleaseSound(std::int32_t index) override;
    void Play(std::int32_t channel, std::int32_t index, std::int32_t plays) override;
    void Stop(std::int32_t channel) override;
    void EndLoops(std::int32_t channel) override;
    void StopAllOfKind(Sound& example) override;
    void Idle() override;

  protected:
    void MasterPass() override;
};
