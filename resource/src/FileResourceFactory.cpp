#include "resource/FileResourceFactory.h"

#include <new>
#include <strings.h>

#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "resource/ExeResource.h"
#include "resource/FileResource.h"
#include "resource/SrfResource.h"

namespace {

bool EndsWithNoCase(const std::string& name, const char* ending) {
    const std::size_t length = std::char_traits<char>::length(ending);
    return name.size() >= length && ::strncasecmp(name.c_str() + name.size() - length, ending, length) == 0;
}

}  // namespace

std::string FileResourceFactory::GetClassName(const std::string& name) const {
    if (EndsWithNoCase(name, ".srf")) return "SrfResource";
    if (EndsWithNoCase(name, ".exe")) return "ExeResource";
    return "FileResource";
}

FileResource* FileResourceFactory::Create(const std::string& name) {
    const std::string kind = GetClassName(name);
    try {
        if (kind == "SrfResource") return new SrfResource(name);
        if (kind == "ExeResource") return new ExeResource(name);
        return new FileResource(name);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void FileResourceFactory::Provide() {
    SingletonDefaults::Provide(kName, &ObjectRegistry::CreateInstance<FileResourceFactory>,
                               &ObjectRegistry::DeleteInstance);
}
