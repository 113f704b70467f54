#include "framework/KeyboardService.h"

#include "framework/GainedKeyboardFocusMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/LostKeyboardFocusMsg.h"
#include "framework/UI.h"

#include <algorithm>
#include <vector>

KeyboardService::KeyboardService() {
    Schedule();
}

KeyboardService::~KeyboardService() {
    Unschedule();
}

void KeyboardService::Execute() {
    // The focus node and the pump may destroy this service (with its root).
    const LifeWatch life = WatchLife();
    const auto nextKey = [this]() -> std::uint16_t { return keySource_ ? keySource_() : 0; };
    for (std::uint16_t key = nextKey(); key != 0; key = nextKey()) {
        // The pump below may move or clear the focus, so it is read for every key.
        UI* focus = focus_;
        if (focus != nullptr && focus->IsEnabled()) {
            const KeyboardCharMsg msg(static_cast<std::int16_t>(key));
            focus->Receive(msg, this);
            if (!life.IsAlive()) {
                return;
            }
        }
        if (pump_) {
            pump_();
            if (!life.IsAlive()) {
                return;
            }
        }
    }
}

void KeyboardService::SetFocus(UI* node) {
    if (focus_ != nullptr && focus_ != node) {
        UI* old = focus_;
        focus_ = nullptr;
        const LostKeyboardFocusMsg lost;
        const LifeWatch life = WatchLife();
        old->Receive(lost, this);
        if (!life.IsAlive()) {
            return;
        }
    }
    if (focus_ == nullptr && node != nullptr) {
        focus_ = node;
        const GainedKeyboardFocusMsg gained;
        node->Receive(gained, this);
    }
}

void KeyboardService::AddFocusCandidate(UI* node) {
    if (node != nullptr) {
        candidates_.push_back(node);
    }
}

void KeyboardService::InsertFocusCandidateAfter(UI* node, UI* reference) {
    if (node == nullptr || reference == nullptr) {
        return;
    }
    auto it = std::find(candidates_.begin(), candidates_.end(), reference);
    candidates_.insert(it == candidates_.end() ? it : std::next(it), node);
}

void KeyboardService::InsertFocusCandidateBefore(UI* node, UI* reference) {
    if (node == nullptr || reference == nullptr) {
        return;
    }
    candidates_.insert(std::find(candidates_.begin(), candidates_.end(), reference), node);
}

bool KeyboardService::IsFocusCandidate(UI* node) const {
    return node != nullptr && std::find(candidates_.begin(), candidates_.end(), node) != candidates_.end();
}

void KeyboardService::RemoveFocusCandidate(UI* node) {
    if (node == nullptr) {
        return;
    }
    auto it = std::find(candidates_.begin(), candidates_.end(), node);
    if (it == candidates_.end()) {
        return;
    }
    if (HasFocus(node)) {
        FocusNext();
        if (HasFocus(node)) {
            SetFocus(nullptr);
        }
    }
    candidates_.erase(std::find(candidates_.begin(), candidates_.end(), node));
}

void KeyboardService::FocusNext() {
    MoveFocus(true);
}

void KeyboardService::FocusPrevious() {
    MoveFocus(false);
}

void KeyboardService::MoveFocus(bool forwards) {
    if (candidates_.empty()) {
        return;
    }
    std::vector<UI*> order(candidates_.begin(), candidates_.end());
    const int n = static_cast<int>(order.size());
    int at = -1;
    if (focus_ != nullptr) {
        auto it = std::find(order.begin(), order.end(), focus_);
        if (it != order.end()) {
            at = static_cast<int>(it - order.begin());
        }
    }
    if (!forwards) {
        std::reverse(order.begin(), order.end());
        if (at >= 0) {
            at = n - 1 - at;
        }
    }
    UI* result = nullptr;
    if (at >= 0) {
        // From just after the focus round to just before it; the focus itself is skipped.
        for (int k = 1; k < n && result == nullptr; ++k) {
            UI* candidate = order[(at + k) % n];
            if (candidate->IsEnabled()) {
                result = candidate;
            }
        }
    } else {
        for (int i = 0; i < n && result == nullptr; ++i) {
            if (order[i]->IsEnabled()) {
                result = order[i];
            }
        }
    }
    if (result != nullptr) {
        SetFocus(result);
    } else if (focus_ != nullptr && !focus_->IsEnabled()) {
        SetFocus(nullptr);
    }
}
