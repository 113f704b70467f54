#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class LifeWatch;

// Tells a caller whether the object it belongs to still exists. An object that
// calls out (a send, a handler, a callback) may be destroyed by what it calls:
// it takes a watch of its token before the call and checks it after, touching
// none of its members once the token has gone. The token ends with its owner; a
// copy is a new token, not a second name for the first.
class LifeToken {
  public:
    LifeToken() = default;
    LifeToken(const LifeToken&) {}
    LifeToken& operator=(const LifeToken&) { return *this; }
    ~LifeToken() = default;

    LifeWatch Watch() const;

  private:
    // Made on the first watch, so an object nobody watches pays one null pointer.
    mutable std::shared_ptr<const char> life_;
};

// A weak view of a token: alive until the token is destroyed. A watch of no
// token is never alive.
class LifeWatch {
  public:
    LifeWatch() = default;

    bool IsAlive() const { return !life_.expired(); }

  private:
    friend class LifeToken;
    explicit LifeWatch(const std::shared_ptr<const char>& life) : life_(life) {}

    std::weak_ptr<const char> life_;
};

inline LifeWatch LifeToken::Watch() const {
    if (!life_) {
        life_ = std::make_shared<const char>('\0');
    }
    return LifeWatch(life_);
}

// Calls `call` with each object of `objects` as the list stands now, skipping
// objects that an earlier call destroyed and stopping once `caller` (when given)
// has gone: for an object calling out to a list it keeps (children,
// receivers), any of which may end others or the object itself. An object is
// watched through its WatchLife().
template <typename T, typename Call>
void ForEachLiving(const std::vector<T*>& objects, Call call, const LifeWatch* caller = nullptr) {
    const std::vector<T*> copy = objects;
    std::vector<LifeWatch> lives;
    lives.reserve(copy.size());
    for (T* object : copy) {
        lives.push_back(object->WatchLife());
    }
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (caller != nullptr && !caller->IsAlive()) {
            return;
        }
        if (lives[i].IsAlive()) {
            call(copy[i]);
        }
    }
}
