#pragma once

#include "framework/MouseReceiver.h"
#include "framework/MsgSenderSupport.h"
#include "framework/UISupport.h"

#include <cstdint>

// An invisible hit area: a UI node that is its own UI support and a sender of
// its own. It passes every mouse message it gets on to its subscribers (the
// control that owns it), and its filing with the mouse service follows its
// layer because every change asks for a redraw. It draws nothing.
class MouseReceiverThing : public virtual XAppObject,
                           public MouseReceiver,
                           public UISupport,
                           public MsgSenderSupport {
  public:
    explicit MouseReceiverThing(UI* parent);
    MouseReceiverThing(UI* parent, std::int32_t layer, bool visible, const xRect& bounds, bool enabled);
    ~MouseReceiverThing() override;

    void Redraw() override;
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

    void CaptureMouse() override;
    void ReleaseMouse() override;
    UI* GetMouseCapture() override;
    void UpdateMouseLayer() override;
};
