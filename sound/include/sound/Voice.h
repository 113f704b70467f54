#pragma once

#include "sound/Sound.h"

// A "Voic" sound; muted while voices are muted.
class Voice : public Sound {
  public:
    Voice(UI* parent, std::int32_t resourceId);
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;
};
