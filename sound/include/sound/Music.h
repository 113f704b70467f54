#pragma once

#include "sound/Sound.h"

// A "Musi" sound; muted while music is muted.
class Music : public Sound {
  public:
    Music(UI* parent, std::int32_t resourceId);
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;
};
