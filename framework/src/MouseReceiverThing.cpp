#include "framework/MouseReceiverThing.h"

#include "framework/MouseMsg.h"
#include "framework/MouseReceiverSupport.h"
#include "framework/MouseService.h"

MouseReceiverThing::MouseReceiverThing(UI* parent) : UISupport(parent) {
    MouseReceiverSupport::GetMouseService()->AddReceiver(this, GetLayer());
}

MouseReceiverThing::MouseReceiverThing(UI* parent, std::int32_t layer, bool visible, const xRect& bounds,
                                       bool enabled)
    : UISupport(parent) {
    SetLayer(layer);
    if (visible) {
        Show();
    } else {
        Hide();
    }
    SetBounds(bounds);
    if (enabled) {
        Enable();
    } else {
        Disable();
    }
    MouseReceiverSupport::GetMouseService()->AddReceiver(this, GetLayer());
}

MouseReceiverThing::~MouseReceiverThing() {
    MouseReceiverSupport::GetMouseService()->RemoveReceiver(this);
}

void MouseReceiverThing::Redraw() {
    UpdateMouseLayer();
}

std::int32_t MouseReceiverThing::Receive(const Msg& msg, MsgSender*) {
    if (dynamic_cast<const MouseMsg*>(&msg) != nullptr) {
        Send(msg);
    }
    return 0;
}

void MouseReceiverThing::CaptureMouse() {
    MouseReceiverSupport::GetMouseService()->SetCapture(this);
}

void MouseReceiverThing::ReleaseMouse() {
    MouseReceiverSupport::GetMouseService()->ReleaseCapture();
}

UI* MouseReceiverThing::GetMouseCapture() {
    return MouseReceiverSupport::GetMouseService()->GetCapture();
}

void MouseReceiverThing::UpdateMouseLayer() {
    MouseReceiverSupport::GetMouseService()->UpdateReceiverLayer(this);
}
