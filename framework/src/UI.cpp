#include "framework/UI.h"

std::int32_t UIGetLayer(UI* node) {
    return node->GetLayer();
}

bool UIIsVisibleInTree(UI* node) {
    for (UI* n = node; n != nullptr; n = n->GetParent()) {
        if (!n->IsVisible()) {
            return false;
        }
    }
    return true;
}

bool UIIsEnabledInTree(UI* node) {
    for (UI* n = node; n != nullptr; n = n->GetParent()) {
        if (!n->IsEnabled()) {
            return false;
        }
    }
    return true;
}

xRect UIGetBoundsOnScreen(UI* node) {
    xRect bounds = node->GetBounds();
    for (UI* n = node->GetParent(); n != nullptr; n = n->GetParent()) {
        bounds = bounds.Offset(UITopLeft(n->GetBounds()));
    }
    return bounds;
}
