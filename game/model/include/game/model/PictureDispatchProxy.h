#pragma once

#include <string>

#include "game/model/PictureDispatchInfo.h"
#include "net/DispatchProxy.h"

// The game's dispatch proxy: the generic download and keys, then the game's
// numbered picture-server sections; success is one PictureDispatchSucceededMsg.
class PictureDispatchProxy : public DispatchProxy {
  public:
    explicit PictureDispatchProxy(MsgReceiver* receiver = nullptr) : DispatchProxy(receiver) {}

    // While started: parse, then send the success and stop, or fail. The local
    // copy is deleted in every case.
    void OnHttpMsg(const HttpResponseDoneMsg& msg) override;
    // The generic keys, then the picture servers; true when the generic part is
    // valid and at least one picture server is named.
    virtual bool ReadServerSections(const std::string& path, PictureDispatchInfo& info);

    const PictureDispatchInfo& GetPictureInfo() const { return pictureInfo_; }

  private:
    PictureDispatchInfo pictureInfo_;
};
