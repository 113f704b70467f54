#include "framework/UISupport.h"

#include <algorithm>

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
    layer_ = parent->GetLayer();
    visible_ = true;
    const xRect outer = parent->GetBounds();
    bounds_ = {0, 0, outer.Width(), outer.Height()};
    enabled_ = true;
    root_ = parent->GetRoot();
    parent->AddChild(owner_);
}

UISupport::~UISupport() {
    // A child's SetParent erases it from children_, so walk a copy.
    const std::vector<UI*> children = children_;
    const xPoint corner = UITopLeft(bounds_);
    for (UI* child : children) {
        child->SetParent(parent_);
        child->SetLayer(child->GetLayer() + layer_);
        child->MoveBy(corner);
        if (!visible_) {
            child->Hide();
        }
    }
    parent_->RemoveChild(owner_);
    children_.clear();
}

void UISupport::SetParent(UI* parent) {
    if (parent == nullptr) {
        throw 0;
    }
    if (parent == parent_) {
        return;
    }
    parent_->RemoveChild(owner_);
    parent_ = parent;
    parent->AddChild(owner_);
    owner_->Redraw();
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
    const std::vector<UI*> children = children_;
    for (UI* child : children) {
        child->Redraw();
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
    const std::vector<UI*> children = children_;
    for (UI* child : children) {
        child->Idle();
    }
}

std::int32_t UISupport::Receive(const Msg& msg, MsgSender* from) {
    if (owner_ == static_cast<UI*>(this)) {
        return 0;
    }
    return owner_->Receive(msg, from);
}
