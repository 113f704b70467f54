#pragma once

// The common virtual base of the lower layer's objects.
class xAppObject {
  public:
    virtual ~xAppObject() = default;
};
