#pragma once

#include "framework/CloneableMsg.h"
#include "game/model/PictureDispatchInfo.h"

// The dispatch file was read: a copy of what it says, the picture servers included.
class PictureDispatchSucceededMsg : public CloneableMsg<PictureDispatchSucceededMsg> {
  public:
    explicit PictureDispatchSucceededMsg(const PictureDispatchInfo& info) : info_(info) {}
    PictureDispatchInfo GetInfo() const { return info_; }

  private:
    PictureDispatchInfo info_;
};
