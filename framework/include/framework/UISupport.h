#pragma once

#include "framework/UI.h"

#include <cstdint>
#include <vector>

// The standard implementation of a UI node. A composite class creates one with
// itself as owner and forwards its UI operations to it; a class that derives
// from it is its own owner. Redraw requests go to the owner, so an owner's own
// redraw runs. Children and parent are borrowed.
class UISupport : public virtual XAppObject, public UI {
  public:
    // Throws the integer 0 for a null owner or parent.
    UISupport(UI* owner, UI* parent);
    // Hands the children to the parent, keeping their place on screen, unless
    // HandOver has done so already.
    ~UISupport() override;

    // Hands the children to the parent, keeping their place on screen, and
    // leaves the parent. A child's SetParent calls back the owner's RemoveChild,
    // so an owner that forwards to this support calls HandOver from its own
    // destructor while it is still whole. A node whose parent was destroyed
    // first has none: its children become parentless as it goes.
    void HandOver();

    UISupport(const UISupport&) = delete;
    UISupport& operator=(const UISupport&) = delete;

    void SetParent(UI* parent) override;
    // Null once the parent (or the root) has been destroyed without handing
    // this node on: the node is then parentless.
    UI* GetParent() override { return parentLife_.IsAlive() ? parent_ : nullptr; }
    UI* GetRoot() override { return rootLife_.IsAlive() ? root_ : nullptr; }
    void SetLayer(std::int32_t layer) override;
    std::int32_t GetLayer() override { return layer_; }
    void Show() override;
    void Hide() override;
    bool IsVisible() override { return visible_; }
    void SetBounds(const xRect& bounds) override;
    void MoveBy(const xPoint& offset) override;
    xRect GetBounds() override { return bounds_; }
    void Enable() override;
    void Disable() override;
    bool IsEnabled() override { return enabled_; }
    void Redraw() override;
    void AddChild(UI* child) override;
    void RemoveChild(UI* child) override;
    bool HasChild(UI* child) override;
    std::int32_t GetChildCount() override { return static_cast<std::int32_t>(children_.size()); }
    const std::vector<UI*>& GetChildren() override { return children_; }
    void Idle() override;

    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

  protected:
    // For a class that derives from the support: the owner is the object itself.
    explicit UISupport(UI* parent);

  private:
    void Attach(UI* parent);

    UI* owner_;
    UI* root_ = nullptr;
    UI* parent_ = nullptr;
    LifeWatch rootLife_;
    LifeWatch parentLife_;
    std::vector<UI*> children_;
    std::int32_t layer_ = 0;
    bool visible_ = true;
    xRect bounds_;
    bool enabled_ = true;
};
