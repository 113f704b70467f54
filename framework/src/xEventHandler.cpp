#include "framework/xEventHandler.h"

#include "divir/xError.h"
#include "framework/AppTime.h"
#include "framework/EventBridge.h"
#include "framework/Msg.h"

#include <vector>

namespace {
// Application-clock ms that one pump call may work through its queue.
constexpr std::uint32_t kPumpSliceMs = 200;
}  // namespace

void xEventHandler::Idle() {
    const LifeWatch life = WatchLife();
    Pump();
    if (life.IsAlive()) {
        UIElement::Idle();
    }
}

void xEventHandler::Pump() {
    const std::uint32_t deadline = GetAppTime() + kPumpSliceMs;
    // A record of this pass's own: a handler may pump another handler (or this
    // one) while it handles an event, and must not overwrite the event in hand.
    xEvent event;
    // A handler may destroy this handler with events still queued.
    const LifeWatch life = WatchLife();
    while (static_cast<std::int32_t>(GetAppTime() - deadline) < 0) {
        if (GetEventCount() < 1) {
            break;
        }
        if (GetNextEvent(&event) == xEventCode::kEndOfPass) {
            break;
        }
        HandleEvent(event);
        if (!life.IsAlive()) {
            return;
        }
    }
}

void xEventHandler::SendMsg(const Msg& msg) {
    if (UIElement* parent = GetParentElement()) {
        parent->ReceiveMsgDirect(msg, this);
    }
}

void xEventHandler::Setup(std::int16_t active, std::int16_t visible, xRect bounds) {
    SetActive(active);
    SetVisible(visible);
    xRect previous;
    SetBoundsReturnOld(previous, bounds);
    Redraw();
}

void xEventHandler::PostEvent(const xEvent& event) {
    if (event.GetCode() != xEventCode::kNone) {
        QueueEvent(event);
    }
}

std::int32_t xEventHandler::HandleEvent(const xEvent&) {
    return 0;
}

void xEventHandler::CenterOnScreen(std::int16_t width, std::int16_t height) {
    xRect previous;
    MoveBy16(previous,
             {static_cast<std::int16_t>((640 - width) / 2), static_cast<std::int16_t>((480 - height) / 2)});
}

std::int32_t xEventHandler::SendEventCopy(UIElement* target, std::int32_t code) {
    xEvent event(code);
    return SendEvent(target, event);
}

std::int32_t xEventHandler::SendEvent(UIElement* target, xEvent& event) {
    if (event.GetCode() == xEventCode::kNone || target == nullptr) {
        return 0;
    }
    if (auto* handler = dynamic_cast<xEventHandler*>(target)) {
        event.SetSender(this);
        handler->PostEvent(event);
        return 0;
    }
    if (event.GetSender() == nullptr) {
        event.SetSender(this);
    }
    return DeliverToObject(target, event);
}

void xEventHandler::BroadcastEventCopy(std::int32_t code) {
    xEvent event(code);
    BroadcastEvent(event);
}

void xEventHandler::BroadcastEvent(xEvent& event) {
    if (event.GetSender() == nullptr) {
        event.SetSender(this);
    }
    if (event.GetCode() == xEventCode::kNone) {
        return;
    }
    // A child acting on the event may destroy a sibling, or this handler.
    const LifeWatch life = WatchLife();
    const auto deliver = [this, &event](UI* child) {
        if (auto* handler = dynamic_cast<xEventHandler*>(child)) {
            handler->PostEvent(event);
        } else if (auto* element = dynamic_cast<UIElement*>(child)) {
            DeliverToObject(element, event);
        }
    };
    ForEachLiving(GetChildren(), deliver, &life);
}

std::int32_t xEventHandler::SendEventNowCopy(UIElement* target, std::int32_t code) {
    xEvent event(code);
    return SendEventNow(target, event);
}

std::int32_t xEventHandler::SendEventNow(UIElement* target, xEvent& event) {
    if (event.GetSender() == nullptr) {
        event.SetSender(this);
    }
    if (event.GetCode() == xEventCode::kNone || target == nullptr) {
        return 0;
    }
    if (auto* handler = dynamic_cast<xEventHandler*>(target)) {
        return handler->HandleEvent(event);
    }
    return DeliverToObject(target, event);
}

std::int32_t xEventHandler::BroadcastEventNowCopy(std::int32_t code) {
    xEvent event(code);
    return BroadcastEventNow(event);
}

std::int32_t xEventHandler::BroadcastEventNow(xEvent& event) {
    if (event.GetSender() == nullptr) {
        event.SetSender(this);
    }
    if (event.GetCode() == xEventCode::kNone) {
        return 0;
    }
    const LifeWatch life = WatchLife();
    const auto deliver = [this, &event](UI* child) {
        if (auto* handler = dynamic_cast<xEventHandler*>(child)) {
            handler->HandleEvent(event);
        } else if (auto* element = dynamic_cast<UIElement*>(child)) {
            DeliverToObject(element, event);
        }
    };
    ForEachLiving(GetChildren(), deliver, &life);
    return 0;
}

std::int32_t xEventHandler::DeliverToObject(UIElement* target, const xEvent& event) {
    if (target == nullptr) {
        return 1;
    }
    switch (event.GetCode()) {
        case xEventCode::kStart:
            if (target->IsStopped()) {
                target->Start();
            }
            return 0;
        case xEventCode::kStop:
            if (target->IsStarted() || target->IsPaused()) {
                target->Stop();
            }
            return 0;
        case xEventCode::kIgnored:
            return 0;
        default:
            break;
    }
    MsgSenderPair pair = XEventToMsg(event);
    if (!pair.msg) {
        return 1;
    }
    target->ReceiveMsgDirect(*pair.msg, this);
    return 0;
}

void xEventHandler::SendMsgAsEvent(const Msg& msg, MsgSender* sender) {
    if (std::unique_ptr<xEvent> event = MsgToXEvent(msg, sender)) {
        SendEvent(this, *event);
    }
}

void xEventHandler::QueueEvent(const xEvent& event) {
    if (IsEventQueueFull()) {
        GrowEventQueue();
        if (IsEventQueueFull()) {
            xThrow(kErrBadState);
            return;  // no frame open: the event is dropped
        }
    }
    queue_.PushBack(event);
}

void xEventHandler::QueueEventFront(const xEvent& event) {
    if (IsEventQueueFull()) {
        GrowEventQueue();
        if (IsEventQueueFull()) {
            xThrow(kErrBadState);
            return;
        }
    }
    queue_.PushFront(event);
}

std::int32_t xEventHandler::GetNextEvent(xEvent* event) {
    return queue_.PopFront(event);
}
