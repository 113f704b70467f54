#pragma once

#include "media/xSpriteEngine.h"

#include "framework/MsgReceiver.h"

class XAppScreenCanvas;

// The application's sprite engine: keeps its off-screen canvases' colours in
// step with the screen palette. The screen canvas must outlive it.
class XAppSpriteEngine : public xSpriteEngine, public MsgReceiver {
  public:
    XAppSpriteEngine() = default;
    ~XAppSpriteEngine() override;

    void Init(xCanvas* screen, const xRect& area, int depth) override;
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

  private:
    XAppScreenCanvas* subscribed_ = nullptr;
};
