#pragma once

#include <memory>

#include "framework/XAppObject.h"

// Base of every message. A message has no fields of its own: its dynamic class is
// its identity. Senders create messages on the stack and pass them by reference;
// whoever keeps one beyond the call keeps a Clone.
class Msg : public XAppObject {
  public:
    Msg() = default;
    Msg(const Msg&) = default;
    Msg& operator=(const Msg&) = delete;  // as every framework object
    ~Msg() override = default;

    // A new heap copy of the same dynamic class; the caller owns it.
    virtual std::unique_ptr<Msg> Clone() const { return std::make_unique<Msg>(*this); }

    // Whether this message is of class T or derives from it.
    template <class T>
    bool Is() const {
        return dynamic_cast<const T*>(this) != nullptr;
    }
};
