#pragma once

// The lower layer's key queue: up to 16 key codes, navigation keys as 16-25 and
// typed characters as their codes, put there by the message dispatcher and taken
// by key readers.

#include <cstdint>

// xGetKey flags.
inline constexpr std::int16_t kKeyNoWait = 1;  // return 0 rather than wait for a key
inline constexpr std::int16_t kKeyPeek = 2;    // leave the key in the queue
inline constexpr std::int16_t kKeyNoPump = 4;  // do not pump before looking

class xKeyQueue {
  public:
    static constexpr int kCapacity = 16;

    // False (and the key is lost) when 16 are queued.
    bool Push(std::uint16_t key);
    // The front key or 0; removes it unless peek.
    std::uint16_t Take(bool peek);
    bool IsEmpty() const { return count_ == 0; }
    int Count() const { return count_; }
    void Clear() { count_ = 0; }

  private:
    std::uint16_t keys_[kCapacity] = {};
    int count_ = 0;
};

// The program's queue.
xKeyQueue& xGetKeyQueue();
bool xPushKey(std::uint16_t key);

// The window-message pump that key readers run while the queue is empty; the
// program entry installs its own. Without one a reader cannot wait and returns 0.
using xKeyPump = void (*)();
void xSetKeyPump(xKeyPump pump);

// Pumps once when the queue is empty (unless kKeyNoPump), then, unless
// kKeyNoWait, pumps until a key arrives. Returns the front key, 0 when none.
std::uint16_t xGetKey(std::int16_t flags);
