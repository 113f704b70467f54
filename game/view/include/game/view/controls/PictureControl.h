#pragma once

// Stand-in for the picture control: the operations the game view calls, doing nothing. It starts
// and stops at once. The real PictureControl takes its place with the same name and operations.

#include <cstdint>
#include <string>

#include "framework/Control.h"
#include "net/PictureInfo.h"

class PictureControl : public Control {
  public:
    PictureControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
        : Control(parent, receiver, layer) {}

    virtual void SetPicture(const PictureInfo& /*picture*/) {}
    virtual std::uint32_t GetCurrentPictureId() { return 0; }
    virtual void DownloadPicture(const PictureInfo& /*picture*/) {}
    // What its HTTP client is given.
    virtual void SetHttpUserAgent(const std::string& /*agent*/) {}
    virtual void AddHttpServer(const std::string& /*host*/, std::int32_t /*port*/) {}
};
