#include "framework/UISupport.h"

#include <algorithm>
#include <vector>

UISupport::UISupport(UI* owner, UI* parent) : owner_(owner) {
    if (owner == nullptr) {
        throw 0;
    }
    Attach(parent);
}

UISupport::UISupport(UI* parent) : owner_(this) {
    Attach(parent);
}

void UISupport::Attach(UI* parent) {
    if (parent == nullptr) {
        throw 0;
    }
    parent_ = parent;
    parentLife_ = parent->WatchLife();
    layer_ = parent->GetLayer();
    visible_ = true;
    const xRect outer = parent->GetBounds();
    bounds_ = {0, 0, outer.Width(), outer.Height()};
    enabled_ = true;
    root_ = parent->GetRoot();
    if (root_ != nullptr) {
        rootLife_ = root_->WatchLife();
    }
    parent->AddChild(owner_);
}

UISupport::~UISupport() {
    HandOver();
}

void UISupport::HandOver() {
    UI* const parent = GetParent();
    if (parent == nullptr) {
        // The parent went first without handing this node on: the children
        // become parentless as this node goes.
        children_.clear();
        return;
    }
    // A child's SetParent erases it from children_, so this walks a copy; a
    // child's redraw may destroy a sibling, which is then skipped, or itself.
    const xPoint corner = UITopLeft(bounds_);
    ForEachLiving(children_, [this, parent, corner](UI* child) {
        const LifeWatch alive = child->WatchLife();
        child->SetParent(parent);
        if (alive.IsAlive()) {
            child->SetLayer(child->GetLayer() + layer_);
        }
        if (alive.IsAlive()) {
            child->MoveBy(corner);
        }
        if (alive.IsAlive() && !visible_) {
            child->Hide();
        }
    });
    if (parentLife_.IsAlive()) {
        parent->RemoveChild(owner_);
    }
    children_.clear();
    parent_ = nullptr;
    parentLife_ = {};
}

void UISupport::SetParent(UI* parent) {
    if (parent == nullptr) {
        throw 0;
    }
    if (parent == GetParent()) {
        return;
    }
    if (UI* const old = GetParent()) {
        old->RemoveChild(owner_);
    }
    parent_ = parent;
    parentLife_ = parent->WatchLife();
    const LifeWatch life = WatchLife();
    parent->AddChild(owner_);
    if (life.IsAlive()) {
        owner_->Redraw();
    }
}

void UISupport::SetLayer(std::int32_t layer) {
    if (layer != layer_) {
        layer_ = layer;
        owner_->Redraw();
    }
}

void UISupport::Show() {
    if (!visible_) {
        visible_ = true;
        owner_->Redraw();
    }
}

void UISupport::Hide() {
    if (visible_) {
        visible_ = false;
        owner_->Redraw();
    }
}

void UISupport::SetBounds(const xRect& bounds) {
    if (bounds != bounds_) {
        bounds_ = bounds;
        owner_->Redraw();
    }
}

void UISupport::MoveBy(const xPoint& offset) {
    UISupport::SetBounds(UISupport::GetBounds().Offset(offset));
}

void UISupport::Enable() {
    if (!enabled_) {
        enabled_ = true;
        owner_->Redraw();
    }
}

void UISupport::Disable() {
    if (enabled_) {
        enabled_ = false;
        owner_->Redraw();
    }
}

void UISupport::Redraw() {
    // A child may destroy a sibling, or this node, while it redraws.
    const LifeWatch life = WatchLife();
    const auto redraw = [](UI* child) { child->Redraw(); };
    ForEachLiving(children_, redraw, &life);
}

void UISupport::AddChild(UI* child) {
    if (child != nullptr && !UISupport::HasChild(child)) {
        children_.push_back(child);
    }
}

void UISupport::RemoveChild(UI* child) {
    if (child == nullptr) {
        return;
    }
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end()) {
        children_.erase(it);
    }
}

bool UISupport::HasChild(UI* child) {
    return std::find(children_.begin(), children_.end(), child) != children_.end();
}

void UISupport::Idle() {
    const LifeWatch life = WatchLife();
    const auto idle = [](UI* child) { child->Idle(); };
    ForEachLiving(children_, idle, &life);
}

std::int32_t UISupport::Receive(const Msg& msg, MsgSender* from) {
    if (owner_ == static_cast<UI*>(this)) {
        return 0;
    }
    return owner_->Receive(msg, from);
}
