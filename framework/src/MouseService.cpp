#include "framework/MouseService.h"

#include "framework/CaptureChangedMouseMsg.h"
#include "framework/LeftButtonDoubleClickMouseMsg.h"
#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/LeftButtonUpMouseMsg.h"
#include "framework/MoveMouseMsg.h"
#include "framework/ObjectRegistry.h"
#include "framework/RightButtonDoubleClickMouseMsg.h"
#include "framework/RightButtonDownMouseMsg.h"
#include "framework/RightButtonUpMouseMsg.h"
#include "framework/UI.h"

namespace {

void EraseFiling(std::multimap<std::int32_t, UI*>& byLayer, std::int32_t layer, UI* receiver) {
    auto [first, last] = byLayer.equal_range(layer);
    for (auto it = first; it != last; ++it) {
        if (it->second == receiver) {
            byLayer.erase(it);
            return;
        }
    }
}

xPoint Minus(xPoint p, xPoint corner) {
    return {static_cast<std::int16_t>(p.x - corner.x), static_cast<std::int16_t>(p.y - corner.y)};
}

}  // namespace

void MouseService::Register() {
    ObjectRegistry::RegisterSingleton(kName, &ObjectRegistry::CreateInstance<MouseService>,
                                      &ObjectRegistry::DeleteInstance);
}

MouseService* MouseService::GetInstance() {
    return &ObjectRegistry::GetAs<MouseService>(kName);
}

void MouseService::AddReceiver(UI* receiver, std::int32_t layer) {
    if (receiver == nullptr || layerOf_.contains(receiver)) {
        return;
    }
    byLayer_.emplace(layer, receiver);  // after those of equal layer
    layerOf_.emplace(receiver, layer);
}

void MouseService::RemoveReceiver(UI* receiver) {
    if (receiver == nullptr) {
        return;
    }
    if (capture_ == receiver) {
        capture_ = nullptr;
    }
    auto it = layerOf_.find(receiver);
    if (it == layerOf_.end()) {
        return;
    }
    EraseFiling(byLayer_, it->second, receiver);
    layerOf_.erase(it);
}

bool MouseService::HasReceiver(UI* receiver) {
    return receiver != nullptr && layerOf_.contains(receiver);
}

void MouseService::UpdateReceiverLayer(UI* receiver) {
    if (receiver == nullptr) {
        return;
    }
    auto it = layerOf_.find(receiver);
    if (it == layerOf_.end()) {
        return;
    }
    const std::int32_t layer = receiver->GetLayer();
    if (layer == it->second) {
        return;
    }
    EraseFiling(byLayer_, it->second, receiver);
    byLayer_.emplace(layer, receiver);
    it->second = layer;
}

void MouseService::SetCapture(UI* receiver) {
    if (receiver == nullptr || receiver == capture_) {
        return;
    }
    if (capture_ != nullptr) {
        const CaptureChangedMouseMsg msg(receiver);
        const LifeWatch life = WatchLife();
        capture_->Receive(msg, this);
        if (!life.IsAlive()) {
            return;
        }
    }
    capture_ = receiver;
}

void MouseService::ReleaseCapture() {
    if (capture_ != nullptr) {
        UI* holder = capture_;
        const CaptureChangedMouseMsg msg(nullptr);
        const LifeWatch life = WatchLife();
        holder->Receive(msg, this);
        if (life.IsAlive()) {
            capture_ = nullptr;
        }
    }
}

UI* MouseService::GetCapture() {
    return capture_;
}

UI* MouseService::FindReceiverAt(xPoint point, xPoint& local) {
    if (capture_ != nullptr) {
        local = Minus(point, UITopLeft(UIGetBoundsOnScreen(capture_)));
        return capture_;
    }
    for (auto it = byLayer_.rbegin(); it != byLayer_.rend(); ++it) {
        UI* receiver = it->second;
        if (!UIIsVisibleInTree(receiver)) {
            continue;
        }
        const xRect bounds = UIGetBoundsOnScreen(receiver);
        if (!UIContains(bounds, point)) {
            continue;
        }
        // A disabled receiver swallows the event.
        if (!UIIsEnabledInTree(receiver)) {
            return nullptr;
        }
        local = Minus(point, UITopLeft(bounds));
        return receiver;
    }
    return nullptr;
}

template <typename M>
void MouseService::Deliver(std::int16_t x, std::int16_t y) {
    const xPoint point{x, y};
    xPoint local;
    if (UI* receiver = FindReceiverAt(point, local)) {
        const M msg(local, point);
        receiver->Receive(msg, this);
    }
}

void MouseService::OnMouseMove(std::int16_t x, std::int16_t y) {
    Deliver<MoveMouseMsg>(x, y);
}
void MouseService::OnLeftButtonDown(std::int16_t x, std::int16_t y) {
    Deliver<LeftButtonDownMouseMsg>(x, y);
}
void MouseService::OnLeftButtonUp(std::int16_t x, std::int16_t y) {
    Deliver<LeftButtonUpMouseMsg>(x, y);
}
void MouseService::OnLeftButtonDoubleClick(std::int16_t x, std::int16_t y) {
    Deliver<LeftButtonDoubleClickMouseMsg>(x, y);
}
void MouseService::OnRightButtonDown(std::int16_t x, std::int16_t y) {
    Deliver<RightButtonDownMouseMsg>(x, y);
}
void MouseService::OnRightButtonUp(std::int16_t x, std::int16_t y) {
    Deliver<RightButtonUpMouseMsg>(x, y);
}
void MouseService::OnRightButtonDoubleClick(std::int16_t x, std::int16_t y) {
    Deliver<RightButtonDoubleClickMouseMsg>(x, y);
}
