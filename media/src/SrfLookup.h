#pragma once

#include "resource/FileRegistry.h"
#include "resource/SrfResource.h"

#include <memory>
#include <string>

namespace media_detail {

// The .srf of that name as the file registry knows it, else a new one the
// caller owns (`owned` is set).
inline SrfResource* FindOrMakeSrf(const std::string& name, std::unique_ptr<SrfResource>& owned) {
    if (IsRegisteredFile(name)) {
        if (auto* srf = dynamic_cast<SrfResource*>(&LookupRegisteredFile(name))) {
            return srf;
        }
    }
    owned = std::make_unique<SrfResource>(name);
    return owned.get();
}

}  // namespace media_detail
