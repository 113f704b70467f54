#pragma once

#include "sound/SoundService.h"

// The service that plays nothing: it only times each sound on the application
// clock, so that presentations run the same without sound. Times are 64-bit
// milliseconds, extended past the 32-bit clock's wrap.
class SoundServiceNone : public SoundService {
  public:
    explicit SoundServiceNone(bool isMaster);

    std::int32_t AddSound(Sound* owner, std::int32_t resourceId, const std::string& kind,
                          std::int32_t index) override;
    std::int32_t AddSoundFromFile(Sound* owner, xSimpleResFile* file, std::int32_t resourceId,
                                  const std::string& kind, std::int32_t index) override;
    void Play(std::int32_t channel, std::int32_t index, std::int32_t plays) override;
    void Stop(std::int32_t channel) override;

    // The clock these times are on.
    static std::uint64_t Now();

  protected:
    void MasterPass() override;
};
