#pragma once

#include "sound/Sound.h"

// An "Sfx " sound; muted while sound effects are muted.
class Sfx : public Sound {
  public:
    Sfx(UI* parent, std::int32_t resourceId);
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;
};
