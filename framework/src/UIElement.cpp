#include "framework/UIElement.h"

#include "framework/DummyUIRoot.h"

UIElement::UIElement(UIElement* parent) {
    UI* uiParent = parent;
    if (parent != nullptr) {
        AddReceiver(parent);
    } else {
        uiParent = DummyUIRoot::GetInstance();
    }
    ui_ = std::make_unique<UISupport>(this, uiParent);
}

// The children are handed on while the element is whole: each child's SetParent
// calls back this element's RemoveChild. The UI support goes first; the queue
// and process supports go with their bases.
UIElement::~UIElement() {
    ui_->HandOver();
    ui_.reset();
}

void UIElement::Idle() {
    if (IsActive()) {
        ui_->Idle();
    }
}

void UIElement::ReceiveMsgQueued(const Msg& msg, MsgSender* sender, bool fromQueue) {
    HandleMsg(msg, sender, fromQueue, false);
}

UIElement* UIElement::GetParentElement() {
    return dynamic_cast<UIElement*>(GetParent());
}

UIElement* UIElement::GetTopElement() {
    UIElement* parent = GetParentElement();
    return parent == nullptr ? this : parent->GetTopElement();
}

std::int16_t UIElement::SetActive(std::int16_t active) {
    const std::int16_t previous = active_;
    active_ = active;
    Redraw();
    return previous;
}

std::int16_t UIElement::IsActiveInTree() {
    UIElement* parent = GetParentElement();
    if (parent == nullptr) {
        return IsActive();
    }
    return (IsActive() && parent->IsActiveInTree()) ? 1 : 0;
}

std::int16_t UIElement::SetVisible(std::int16_t visible) {
    const bool previous = IsVisible();
    if (visible != 0) {
        Show();
    } else {
        Hide();
    }
    return previous ? 1 : 0;
}

xRect& UIElement::MoveBy16(xRect& previous, const xPoint& offset) {
    return SetBoundsReturnOld(previous, GetBounds().Offset(offset));
}

xRect& UIElement::SetBoundsReturnOld(xRect& previous, const xRect& bounds) {
    const xRect old = GetBounds();
    SetBounds(bounds);
    previous = old;
    return previous;
}

xRect& UIElement::GetBounds16(xRect& out) {
    out = GetBounds();
    return out;
}

xRect& UIElement::GetBoundsOnScreen(xRect& out) {
    out = UIGetBoundsOnScreen(this);
    return out;
}
