#pragma once

#include <memory>

#include "framework/Msg.h"

// Gives a message class its Clone through its copy constructor, so a message class
// is declared as `class FooMsg : public CloneableMsg<FooMsg> {...}` or, below
// another message class, `public CloneableMsg<FooMsg, BarMsg>`.
template <class Derived, class Base = Msg>
class CloneableMsg : public Base {
  public:
    using Base::Base;

    std::unique_ptr<Msg> Clone() const override {
        return std::make_unique<Derived>(static_cast<const Derived&>(*this));
    }
};
