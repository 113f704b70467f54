#pragma once

// Something loaded from disk that must not change while in use. Locks count; the
// first lock and the last unlock are announced to the receivers, so a dependent
// subscribed to a resource follows its locks.

#include <cstdint>

#include "framework/MsgReceiver.h"
#include "framework/MsgSenderSupport.h"

class Resource : public MsgSenderSupport, public virtual MsgReceiver {
  public:
    Resource() = default;
    // Still locked: tells the receivers it is unlocked, once.
    ~Resource() override;
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    // The count's step from 0 to 1 sends ResourceLockedMsg.
    virtual void Lock();
    // Below 1 nothing happens; the step to 0 sends ResourceUnlockedMsg.
    virtual void Unlock();
    virtual bool IsLocked() const;
    // The dependent becomes a receiver; while this resource is locked it is locked
    // once at subscription and unlocked once at unsubscription.
    virtual void Subscribe(Resource* dependent);
    virtual void Unsubscribe(Resource* dependent);
    virtual bool IsSubscribed(Resource* dependent) const;
    virtual std::int32_t SubscriberCount() const;

    // ResourceLockedMsg locks this resource, ResourceUnlockedMsg unlocks it.
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

    std::int32_t GetLockCount() const { return lockCount_; }

  protected:
    // Unlock's work; false when a receiver of the unlock destroyed this resource,
    // which must then be left alone.
    bool UnlockAndSurvive();

  private:
    std::int32_t lockCount_ = 0;
    bool* destroyedFlag_ = nullptr;  // set by the destructor while a send runs
};
