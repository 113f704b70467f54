#include "framework/MouseReceiverSupport.h"

#include "framework/MouseService.h"

MouseReceiverSupport::MouseReceiverSupport(UI* owner, std::int32_t layer) : owner_(owner) {
    if (owner == nullptr) {
        throw 0;
    }
    GetMouseService()->AddReceiver(owner, layer);
}

MouseReceiverSupport::~MouseReceiverSupport() {
    GetMouseService()->RemoveReceiver(owner_);
}

MouseService* MouseReceiverSupport::GetMouseService() {
    return MouseService::GetInstance();
}

void MouseReceiverSupport::CaptureMouse() {
    GetMouseService()->SetCapture(owner_);
}

void MouseReceiverSupport::ReleaseMouse() {
    GetMouseService()->ReleaseCapture();
}

UI* MouseReceiverSupport::GetMouseCapture() {
    return GetMouseService()->GetCapture();
}

void MouseReceiverSupport::UpdateMouseLayer() {
    GetMouseService()->UpdateReceiverLayer(owner_);
}
