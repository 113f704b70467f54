#pragma once

#include "framework/MouseReceiver.h"

#include <cstdint>

class MouseService;
class UI;

// The mouse-receiver role of a node that forwards it: files the owner with the
// mouse service for its life. The service is looked up by name on every use.
class MouseReceiverSupport : public virtual XAppObject, public MouseReceiver {
  public:
    // Throws the integer 0 for a null owner.
    MouseReceiverSupport(UI* owner, std::int32_t layer);
    ~MouseReceiverSupport() override;

    MouseReceiverSupport(const MouseReceiverSupport&) = delete;
    MouseReceiverSupport& operator=(const MouseReceiverSupport&) = delete;

    static MouseService* GetMouseService();

    void CaptureMouse() override;
    // Releases the capture, whoever holds it.
    void ReleaseMouse() override;
    UI* GetMouseCapture() override;
    void UpdateMouseLayer() override;

  private:
    UI* owner_;
};
