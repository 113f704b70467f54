#pragma once

#include <cstdint>

// Root of every framework object. Role interfaces derive from it virtually, so an
// object has one XAppObject part however many roles it takes; the registry keeps
// its singletons through this base and recovers their classes with dynamic_cast.
class XAppObject {
  public:
    XAppObject() = default;
    XAppObject(const XAppObject&) = default;
    XAppObject& operator=(const XAppObject&) = default;
    virtual ~XAppObject() = default;

    // Kept for the shape of the table; does nothing and nobody overrides it.
    virtual void Reserved(std::uint32_t, std::uint32_t) {}
};
