#pragma once

#include "framework/UI.h"

#include <cstdint>
#include <vector>

// The UI behaviour shared by both kinds of root: no parent, no layer and no
// list of children (children find the root, the root does not track them); the
// root is its own root; flags and bounds are kept and changes redraw; redraw,
// idle and received messages do nothing.
class RootNode : public virtual XAppObject, public UI {
  public:
    explicit RootNode(const xRect& bounds) : bounds_(bounds) {}

    void SetParent(UI*) override {}
    UI* GetParent() override { return nullptr; }
    UI* GetRoot() override { return this; }
    void SetLayer(std::int32_t) override {}
    std::int32_t GetLayer() override { return 0; }
    void Show() override;
    void Hide() override;
    bool IsVisible() override { return visible_; }
    void SetBounds(const xRect& bounds) override;
    void MoveBy(const xPoint& offset) override { SetBounds(GetBounds().Offset(offset)); }
    xRect GetBounds() override { return bounds_; }
    void Enable() override;
    void Disable() override;
    bool IsEnabled() override { return enabled_; }
    void Redraw() override {}
    void AddChild(UI*) override {}
    void RemoveChild(UI*) override {}
    bool HasChild(UI*) override { return false; }
    std::int32_t GetChildCount() override { return 0; }
    const std::vector<UI*>& GetChildren() override { return noChildren_; }
    void Idle() override {}

    std::int32_t Receive(const Msg&, MsgSender*) override { return 0; }

  private:
    bool visible_ = true;
    xRect bounds_;
    bool enabled_ = true;
    const std::vector<UI*> noChildren_;
};
