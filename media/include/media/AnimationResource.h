#pragma once

#include "resource/Resource.h"

#include "framework/xRect.h"

#include <cstdint>
#include <memory>
#include <string>

class OffsetStripResource;
class UIRoot;

// One animation of a strip: the run of cels from its first cel, played at a
// frame rate. Locking it locks the strip. Rectangles are relative to the
// animation's own top-left corner.
class AnimationResource : public Resource {
  public:
    // On a strip made elsewhere (not owned; may be null: no cels).
    AnimationResource(OffsetStripResource* strip, std::int32_t firstCel, double frameRate);
    // On a strip of its own, read from the .srf.
    AnimationResource(const std::string& srfName, std::int32_t stripId, UIRoot* owner, std::int32_t firstCel,
                      double frameRate);
    ~AnimationResource() override;

    virtual void Load();
    virtual void Unload();
    virtual bool IsLoaded() const;
    virtual bool GetLoadedFlag() const;
    virtual OffsetStripResource* GetStripResource() const { return strip_; }
    virtual std::int32_t GetFirstCel() const { return firstCel_; }
    virtual double GetFrameRate() const { return frameRate_; }
    // The strip's run from the first cel (1 while unloaded).
    virtual std::int32_t GetCelCount();
    // Cel i (the first for an i out of range).
    virtual xRect& GetCelSize(xRect& out, std::int32_t i);
    virtual xRect& GetCelInfo(xRect& out, std::int32_t i, std::int32_t part);
    // The largest cel (the first of equal ones); empty when none has an area.
    virtual xRect& GetBounds(xRect& out);
    virtual xRect& GetUnionRect(xRect& out);

    void Lock() override;
    void Unlock() override;
    bool IsLocked() const override;

  private:
    OffsetStripResource* strip_;
    std::unique_ptr<OffsetStripResource> ownStrip_;
    std::int32_t firstCel_;
    double frameRate_;
};
