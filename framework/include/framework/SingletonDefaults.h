#pragma once

#include <string>

#include "framework/ObjectRegistry.h"

// The creators of the singletons that the application object registers by name
// but whose classes are made elsewhere: "MouseService", "DummyUIRoot",
// "RoomMsgFactory", "RoomFactory", "PlayerFactory" and "FileResourceFactory".
// The module that defines such a class provides its creator and destroyer here
// (before the application object is made); the application object's constructor
// then registers each name with what was provided. "MouseService" and
// "DummyUIRoot" are classes of this library and fall back to them. Any other
// name nobody provided is registered with a creator that refuses with the
// integer 0, so the application starts and only a lookup of that name fails.
class SingletonDefaults {
  public:
    SingletonDefaults() = delete;

    // Replaces what was provided for the name before.
    static void Provide(const std::string& name, ObjectRegistry::Creator create,
                        ObjectRegistry::Destroyer destroy);
    // Forgets the provided creator of the name.
    static void Withdraw(const std::string& name);
    // ObjectRegistry::RegisterSingleton with the provided pair, or the refusing one.
    static void Register(const std::string& name);
};
