#pragma once

#include "framework/RootSoundService.h"

// The root's sound service when no sound output is supplied: it plays nothing.
class SilentSoundService : public RootSoundService {
  public:
    void Tick() override {}
};
