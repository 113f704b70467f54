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
    // Hands the children to the parent, keeping their place on screen.
    ~UISupport() override;

    UISupport(const UISupport&) = delete;
    UISupport& operator=(const UISupport&) = delete;

    void SetParent(UI* parent) override;
    UI* GetParent() override { return parent_; }
    UI* GetRoot() override { return root_; }
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
    std::vector<UI*> children_;
    std::int32_t layer_ = 0;
    bool visible_ = true;
    xRect bounds_;
    bool enabled_ = true;
};
