#include "framework/SingletonDefaults.h"

#include <map>
#include <utility>

namespace {

using Pair = std::pair<ObjectRegistry::Creator, ObjectRegistry::Destroyer>;

std::map<std::string, Pair>& Provided() {
    static std::map<std::string, Pair> provided;
    return provided;
}

XAppObject* RefuseCreation() {
    throw 0;
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
    if (it == Provided().end()) {
        ObjectRegistry::RegisterSingleton(name, &RefuseCreation, &ObjectRegistry::DeleteInstance);
        return;
    }
    ObjectRegistry::RegisterSingleton(name, it->second.first, it->second.second);
}
