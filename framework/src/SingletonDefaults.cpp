#include "framework/SingletonDefaults.h"

#include <map>
#include <utility>

#include "framework/DummyUIRoot.h"
#include "framework/MouseService.h"

namespace {

using Pair = std::pair<ObjectRegistry::Creator, ObjectRegistry::Destroyer>;

std::map<std::string, Pair>& Provided() {
    static std::map<std::string, Pair> provided;
    return provided;
}

XAppObject* RefuseCreation() {
    throw 0;
}

// The classes of those names that this library defines itself.
const std::map<std::string, Pair>& BuiltIn() {
    static const std::map<std::string, Pair> builtIn{
        {MouseService::kName, Pair{&ObjectRegistry::CreateInstance<MouseService>, &ObjectRegistry::DeleteInstance}},
        {DummyUIRoot::kName, Pair{&ObjectRegistry::CreateInstance<DummyUIRoot>, &ObjectRegistry::DeleteInstance}},
    };
    return builtIn;
}

}  // namespace

void SingletonDefaults::Provide(const std::string& name, ObjectRegistry::Creator create,
                                ObjectRegistry::Destroyer destroy) {
    Provided()[name] = Pair{create, destroy};
}

void SingletonDefaults::Withdraw(const std::string& name) {
    Provided().erase(name);
}

void SingletonDefaults::Register(const std::string& name) {
    auto it = Provided().find(name);
    if (it != Provided().end()) {
        ObjectRegistry::RegisterSingleton(name, it->second.first, it->second.second);
        return;
    }
    auto own = BuiltIn().find(name);
    if (own != BuiltIn().end()) {
        ObjectRegistry::RegisterSingleton(name, own->second.first, own->second.second);
        return;
    }
    ObjectRegistry::RegisterSingleton(name, &RefuseCreation, &ObjectRegistry::DeleteInstance);
}
