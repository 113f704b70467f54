#pragma once

#include "divir/LifeToken.h"

#include <cstdint>

// Root of every framework object. Role interfaces derive from it virtually, so an
// object has one XAppObject part however many roles it takes; the registry keeps
// its singletons through this base and recovers their classes with dynamic_cast.
// Anyone holding a pointer to it may watch its life.
class XAppObject {
  public:
    XAppObject() = default;
    XAppObject(const XAppObject&) = default;
    // Assignment would copy roles between live objects: framework objects are
    // not assigned.
    XAppObject& operator=(const XAppObject&) = delete;
    virtual ~XAppObject() = default;

    // Kept for the shape of the table; does nothing and nobody overrides it.
    virtual void Reserved(std::uint32_t, std::uint32_t) {}

    // Alive until this object's destruction has run to its end. Taken before a
    // call out that may destroy the object, checked after it.
    LifeWatch WatchLife() const { return life_.Watch(); }

  private:
    LifeToken life_;
};
