#pragma once

#include "framework/MsgReceiver.h"
#include "framework/XAppObject.h"
#include "framework/xPoint.h"
#include "framework/xRect.h"

#include <cstdint>
#include <vector>

// A node of the interface tree: parent, root, children, a layer, visible and
// enabled flags and bounds relative to the parent's top-left corner. Changes of
// layer, visibility, enabling or bounds ask the node to redraw; redraw and idle
// requests travel down the tree.
class UI : public virtual XAppObject, public virtual MsgReceiver {
  public:
    virtual void SetParent(UI* parent) = 0;
    virtual UI* GetParent() = 0;
    virtual UI* GetRoot() = 0;
    virtual void SetLayer(std::int32_t layer) = 0;
    virtual std::int32_t GetLayer() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() = 0;
    virtual void SetBounds(const xRect& bounds) = 0;
    virtual void MoveBy(const xPoint& offset) = 0;
    virtual xRect GetBounds() = 0;
    virtual void Enable() = 0;
    virtual void Disable() = 0;
    virtual bool IsEnabled() = 0;
    virtual void Redraw() = 0;
    virtual void AddChild(UI* child) = 0;
    virtual void RemoveChild(UI* child) = 0;
    virtual bool HasChild(UI* child) = 0;
    virtual std::int32_t GetChildCount() = 0;
    virtual const std::vector<UI*>& GetChildren() = 0;
    virtual void Idle() = 0;
};

// The tree's own containment: the right and bottom edges count as inside.
inline bool UIContains(const xRect& r, xPoint p) {
    return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}
inline xPoint UITopLeft(const xRect& r) {
    return {r.left, r.top};
}

// Tree queries used by the mouse service, the lower-layer elements and the
// animation service.
std::int32_t UIGetLayer(UI* node);
// The node and every ancestor up to the root are visible.
bool UIIsVisibleInTree(UI* node);
// The node and every ancestor up to the root are enabled.
bool UIIsEnabledInTree(UI* node);
// The node's bounds in the root's coordinate space: moved by the top-left corner
// of every ancestor's bounds, the root's included.
xRect UIGetBoundsOnScreen(UI* node);
