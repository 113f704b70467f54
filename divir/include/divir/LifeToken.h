#pragma once

#include <memory>

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
