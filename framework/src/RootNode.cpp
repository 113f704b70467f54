#include "framework/RootNode.h"

void RootNode::Show() {
    if (!visible_) {
        visible_ = true;
        Redraw();
    }
}

void RootNode::Hide() {
    if (visible_) {
        visible_ = false;
        Redraw();
    }
}

void RootNode::SetBounds(const xRect& bounds) {
    if (bounds != bounds_) {
        bounds_ = bounds;
        Redraw();
    }
}

void RootNode::Enable() {
    if (!enabled_) {
        enabled_ = true;
        Redraw();
    }
}

void RootNode::Disable() {
    if (enabled_) {
        enabled_ = false;
        Redraw();
    }
}
