#pragma once

#include "media/XAppOffsetStrip.h"

#include "resource/Resource.h"

#include <cstdint>
#include <string>

class SrfResource;
class UIRoot;

// The cels of animations: an "off4" strip read from a .srf on its first load
// and freed at its last unload, read again when the .srf is replaced (once
// unlocked). Locking it locks the .srf. The owner is the UI root whose
// animation service draws the strip; the picture flag makes the service's
// picture strip its secondary strip instead of the text strip.
class OffsetStripResource : public Resource, public XAppOffsetStrip {
  public:
    OffsetStripResource(const std::string& srfName, std::int32_t stripId, UIRoot* owner,
                        bool pictureFlag = false);
    ~OffsetStripResource() override;

    // Counts loads; the first reads the strip. A strip missing from its .srf
    // stays unloaded; any other failure throws the integer 0.
    virtual void Load();
    virtual void Unload();
    virtual bool IsLoaded() const { return loadCount_ > 0; }
    virtual bool GetLoadedFlag() const { return loaded_; }
    virtual SrfResource* GetSrfResource() const { return srf_; }
    virtual std::int32_t GetStripId() const { return stripId_; }
    virtual UIRoot* GetOwner() const { return owner_; }
    virtual bool GetPictureFlag() const { return pictureFlag_; }
    virtual void SetPictureFlag(bool on) { pictureFlag_ = on; }
    // The run of cels from the cel; 1 while unloaded.
    virtual std::int32_t GetRunLength(std::int32_t cel);
    // The cel rectangle; empty while unloaded.
    virtual xRect GetCelSize(std::int32_t cel);

    void Lock() override;
    void Unlock() override;
    bool IsLocked() const override;
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

    std::int32_t GetLoadCount() const { return loadCount_; }

  private:
    void Read();
    void Free();

    SrfResource* srf_ = nullptr;
    bool ownsSrf_ = false;
    std::int32_t stripId_;
    UIRoot* owner_;
    bool pictureFlag_;
    std::int32_t loadCount_ = 0;
    bool loaded_ = false;
    bool reloadPending_ = false;
    bool reading_ = false;  // the strip reader empties the strip first through Unload
};
