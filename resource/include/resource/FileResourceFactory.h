#pragma once

// Makes the right kind of file object for a name: ".srf" a SrfResource, ".exe" an
// ExeResource, anything else a plain FileResource. Registered by name as
// "FileResourceFactory".

#include <string>

#include "framework/XAppObject.h"

class FileResource;

class FileResourceFactory : public virtual XAppObject {
  public:
    static constexpr const char* kName = "FileResourceFactory";

    // A new object the caller owns; null when memory runs out.
    virtual FileResource* Create(const std::string& name);
    // "SrfResource", "ExeResource" or "FileResource" by the name's last four
    // characters, compared ignoring case.
    virtual std::string GetClassName(const std::string& name) const;

    // Hands the creator to SingletonDefaults, for the application object to register.
    static void Provide();
};
