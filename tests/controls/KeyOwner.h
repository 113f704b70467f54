#pragma once

// A screen-like owner for key tests: it holds the keyboard focus and passes the
// keys it receives on to a control's key handler, as the game's screens do.

#include "framework/Control.h"
#include "framework/KeyboardCharMsg.h"

#include <functional>
#include <utility>

class KeyOwner : public Control {
  public:
    using Handler = std::function<void(const KeyboardCharMsg&)>;
    KeyOwner(UI* parent, Handler handler) : Control(parent, nullptr, 0), handler_(std::move(handler)) {}

    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (const auto* key = dynamic_cast<const KeyboardCharMsg*>(&msg); key != nullptr && !fromQueue) {
            handler_(*key);
        }
        return Control::HandleMsg(msg, from, fromQueue, queued);
    }

  private:
    Handler handler_;
};
