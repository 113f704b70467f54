#include "framework/ObjectRegistry.h"

#include <map>
#include <memory>

namespace {

using Map = std::map<std::string, std::unique_ptr<ObjectRegistry::Singleton>>;

// Made by the first registration, deleted by DestroyAll.
std::unique_ptr<Map>& TheMap() {
    static std::unique_ptr<Map> map;
    return map;
}

// Numbers completed creations; never reset, so indices stay unique for the run.
std::uint32_t& CreationCounter() {
    static std::uint32_t counter = 0;
    return counter;
}

ObjectRegistry::Singleton* FindEntry(const std::string& name) noexcept {
    const std::unique_ptr<Map>& map = TheMap();
    if (!map) {
        return nullptr;
    }
    auto it = map->find(name);
    return it == map->end() ? nullptr : it->second.get();
}

ObjectRegistry::Singleton& EntryOrRefuse(const std::string& name) {
    ObjectRegistry::Singleton* entry = FindEntry(name);
    if (entry == nullptr) {
        throw 0;
    }
    return *entry;
}

}  // namespace

ObjectRegistry::Singleton::Singleton(Creator create, Destroyer destroy)
    : create_(create), destroy_(destroy) {}

ObjectRegistry::Singleton::~Singleton() {
    Destroy();
}

XAppObject* ObjectRegistry::Singleton::Get() {
    if (object_ != nullptr) {
        return object_;
    }
    if (creating_ || create_ == nullptr) {
        throw 0;
    }
    creating_ = true;
    XAppObject* object = nullptr;
    try {
        object = create_();
    } catch (...) {
        object_ = nullptr;
        creating_ = false;
        throw;
    }
    object_ = object;
    creating_ = false;
    creationIndex_ = CreationCounter()++;
    return object_;
}

void ObjectRegistry::Singleton::Destroy() noexcept {
    if (object_ == nullptr) {
        return;
    }
    // Cleared only after the destroyer: a destructor that looks its own name up
    // finds the object it belongs to rather than making a second one.
    XAppObject* object = object_;
    try {
        if (destroy_ != nullptr) {
            destroy_(object);
        }
    } catch (...) {
        // A refusal thrown on the way out must not end the program.
    }
    if (object_ == object) {
        object_ = nullptr;
    }
}

void ObjectRegistry::RegisterSingleton(const std::string& name, Creator create, Destroyer destroy) {
    std::unique_ptr<Map>& map = TheMap();
    if (!map) {
        map = std::make_unique<Map>();
    }
    std::unique_ptr<Singleton>& slot = (*map)[name];
    if (slot && (slot->IsCreated() || slot->IsCreating())) {
        // Replacing an entry whose creation is running would delete it under
        // its own Get.
        return;
    }
    auto entry = std::make_unique<Singleton>(create, destroy);
    std::unique_ptr<Singleton> old = std::move(slot);
    slot = std::move(entry);
}

XAppObject* ObjectRegistry::GetSingleton(const std::string& name) {
    return EntryOrRefuse(name).Get();
}

bool ObjectRegistry::IsSingletonCreated(const std::string& name) {
    return EntryOrRefuse(name).IsCreated();
}

XAppObject* ObjectRegistry::FindSingleton(const std::string& name) noexcept {
    Singleton* entry = FindEntry(name);
    return entry == nullptr ? nullptr : (entry->IsCreated() ? entry->Get() : nullptr);
}

void ObjectRegistry::RegisterApplication(Creator create, Destroyer destroy) {
    if (FindEntry("XApplication") != nullptr) {
        return;
    }
    RegisterSingleton("XApplication", create, destroy);
}

void ObjectRegistry::DestroyAll() noexcept {
    if (!TheMap()) {
        return;
    }
    // Newest creation first. Each step searches afresh, because a destructor may
    // register names or re-create objects; objects re-created now are numbered
    // from `count` up and are left for the entries' own destruction below.
    const std::uint32_t count = CreationCounter();
    for (;;) {
        Singleton* newest = nullptr;
        for (auto& [name, entry] : *TheMap()) {
            if (entry->IsCreated() && entry->GetCreationIndex() < count &&
                (newest == nullptr || entry->GetCreationIndex() > newest->GetCreationIndex())) {
                newest = entry.get();
            }
        }
        if (newest == nullptr) {
            break;
        }
        newest->Destroy();
    }
    // Entries are taken out one at a time, in name order, so the map stays whole
    // for destructors that still look names up.
    while (!TheMap()->empty()) {
        auto node = TheMap()->extract(TheMap()->begin());
        node.mapped().reset();
    }
    TheMap().reset();
}
