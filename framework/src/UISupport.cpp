#include "framework/UISupport.h"

#include <algorithm>
#include <cstddef>
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
    // A child's SetParent erases it from children_, so walk a copy; a child's
    // redraw may destroy a sibling, which is then skipped.
    const std::vector<UI*> children = children_;
    std::vector<LifeWatch> lives;
    lives.reserve(children.size());
    for (UI* child : children) {
        lives.push_back(child->WatchLife());
    }
    const xPoint corner = UITopLeft(bounds_);
    for (std::size_t i = 0; i < children.size(); ++i) {
        UI* const child = children[i];
        if (!lives[i].IsAlive()) {
            continue;
        }
        child->SetParent(parent);
        if (lives[i].IsAlive()) {
            child->SetLayer(child->GetLayer() + layer_);
        }
        if (lives[i].IsAlive()) {
            child->MoveBy(corner);
        }
        if (lives[i].IsAlive() && !visible_) {
            child->Hide();
        }
    }
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
    ForEachChild([](UI& child) { child.Redraw(); });
}

void UISupport::ForEachChild(void (*call)(UI& child)) {
    // A child may destroy a sibling, or this node, while it is called.
    const LifeWatch life = WatchLife();
    const std::vector<UI*> children = children_;
    std::vector<LifeWatch> lives;
    lives.reserve(children.size());
    for (UI* child : children) {
        lives.push_back(child->WatchLife());
    }
    for (std::size_t i = 0; i < children.size() && life.IsAlive(); ++i) {
        if (lives[i].IsAlive()) {
            call(*children[i]);
        }
    }
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
    ForEachChild([](UI& child) { child.Idle(); });
}

std::int32_t UISupport::Receive(const Msg& msg, MsgSender* from) {
    if (owner_ == static_cast<UI*>(this)) {
        return 0;
    }
    return owner_->Receive(msg, from);
}
