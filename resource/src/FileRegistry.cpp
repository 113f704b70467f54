#include "resource/FileRegistry.h"

#include "framework/ObjectRegistry.h"
#include "resource/FileResource.h"
#include "resource/FileResourceFactory.h"

namespace {

FileRegistry* instance = nullptr;

// The key of a path: the name a file object made from it carries.
std::string NameOf(const std::string& path) {
    return FileResource(path).GetName();
}

}  // namespace

FileRegistry::FileRegistry() {
    if (instance != nullptr) throw 0;
    instance = this;
}

FileRegistry::~FileRegistry() {
    made_.clear();
    registered_.clear();
    instance = nullptr;
}

FileRegistry* FileRegistry::Instance() {
    return instance;
}

FileResource* FileRegistry::Find(const std::string& name) const {
    if (auto it = made_.find(name); it != made_.end()) return it->second.get();
    if (auto it = registered_.find(name); it != registered_.end()) return it->second;
    return nullptr;
}

bool IsRegisteredFile(const std::string& path) {
    return instance != nullptr && instance->Find(NameOf(path)) != nullptr;
}

FileResource& FindOrRegisterFile(const std::string& path) {
    if (instance == nullptr) throw 0;
    const std::string name = NameOf(path);
    if (FileResource* found = instance->Find(name)) return *found;
    auto& factory = ObjectRegistry::GetAs<FileResourceFactory>(FileResourceFactory::kName);
    std::unique_ptr<FileResource> made(factory.Create(path));
    if (!made) throw 0;
    FileResource& file = *made;
    instance->made_[name] = std::move(made);
    return file;
}

void RegisterFile(FileResource* file) {
    if (instance == nullptr || file == nullptr) throw 0;
    if (instance->Find(file->GetName()) == nullptr) {
        instance->registered_[file->GetName()] = file;
    }
}

FileResource& LookupRegisteredFile(const std::string& path) {
    if (instance == nullptr) throw 0;
    FileResource* found = instance->Find(NameOf(path));
    if (found == nullptr) throw 0;
    return *found;
}
