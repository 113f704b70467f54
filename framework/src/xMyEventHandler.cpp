#include "framework/xMyEventHandler.h"

#include "framework/EventBridge.h"

void xMyEventHandler::PostEvent(const xEvent& event) {
    UIElement* parent = GetParentElement();
    if (parent != nullptr && event.GetCode() != xEventCode::kNone &&
        event.GetSender() == static_cast<MsgSender*>(parent)) {
        fromParent_.push_back(event);
        return;
    }
    xEventHandler::PostEvent(event);
}

std::int32_t xMyEventHandler::HandleEvent(const xEvent& event) {
    if (event.GetCode() == xEventCode::kStart) {
        running_ = 1;
    } else if (event.GetCode() == xEventCode::kStop) {
        running_ = 0;
    }
    return xEventHandler::HandleEvent(event);
}

void xMyEventHandler::Idle() {
    if (running_ != 0 && !fromParent_.empty()) {
        QueueEventFront(xEvent(xEventCode::kEndOfPass));
        QueueEventFront(fromParent_.front());
        fromParent_.pop_front();
    }
    xEventHandler::Idle();
}

void xMyEventHandler::FlushEvents() {
    ClearEvents();
    fromParent_.clear();
}
