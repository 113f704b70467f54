#pragma once

#include <cstdint>
#include <string>

#include "framework/XAppObject.h"

// The program's named singletons. A name is registered with a creator and a
// destroyer; its object is made on the first lookup, numbered when its creation
// completes, and destroyed by DestroyAll in the reverse order of those numbers, so
// an object created inside another's constructor outlives it.
//
// Refusals (an unknown name, a creation that leads back to its own lookup) throw
// the integer 0.
class ObjectRegistry {
  public:
    using Creator = XAppObject* (*)();
    using Destroyer = void (*)(XAppObject*);

    // One registered name.
    class Singleton {
      public:
        Singleton(Creator create, Destroyer destroy);
        Singleton(const Singleton&) = delete;
        Singleton& operator=(const Singleton&) = delete;
        // Destroys the object if it exists.
        virtual ~Singleton();

        XAppObject* Get();
        // Never throws: a throwing destroyer is contained here, so the clean-up
        // at exit always runs to its end.
        void Destroy() noexcept;
        bool IsCreated() const { return object_ != nullptr; }
        std::uint32_t GetCreationIndex() const { return creationIndex_; }
        bool IsCreating() const { return creating_; }

      private:
        Creator create_ = nullptr;
        Destroyer destroy_ = nullptr;
        XAppObject* object_ = nullptr;
        bool creating_ = false;
        std::uint32_t creationIndex_ = 0;
    };

    ObjectRegistry() = delete;

    // Adds the name, or replaces an entry whose object has not been created. An
    // entry whose object exists, or is being created, is kept and the call ignored.
    static void RegisterSingleton(const std::string& name, Creator create, Destroyer destroy);
    // The named object, created first if needed.
    static XAppObject* GetSingleton(const std::string& name);
    static bool IsSingletonCreated(const std::string& name);
    // Destroys every object, newest creation first, then forgets every name.
    static void DestroyAll() noexcept;

    // The named object if it exists now; null otherwise. Never creates, never
    // throws: for destructors and other clean-up paths.
    static XAppObject* FindSingleton(const std::string& name) noexcept;

    // Registers "XApplication" for the program's static initialisation; does
    // nothing when the name is registered already.
    static void RegisterApplication(Creator create, Destroyer destroy);

    // The named object as class T, created first if needed; throws the integer 0
    // when the object is not a T.
    template <class T>
    static T& GetAs(const std::string& name) {
        T* object = dynamic_cast<T*>(GetSingleton(name));
        if (object == nullptr) {
            throw 0;
        }
        return *object;
    }

    // A creator and a destroyer for RegisterSingleton: `CreateInstance<T>` makes a
    // new T; `DeleteInstance` deletes any object (a null one is ignored).
    template <class T>
    static XAppObject* CreateInstance() {
        return new T();
    }
    static void DeleteInstance(XAppObject* object) { delete object; }
};
