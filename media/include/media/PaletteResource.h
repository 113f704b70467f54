#pragma once

#include "media/xPalette.h"

#include "resource/Resource.h"

#include <cstdint>
#include <string>

class SrfResource;

// A palette stored as text in a .srf ("pal " resource): 256 lines of three
// hexadecimal values. It is read once, on first use, and read again when its
// .srf is replaced. Locking it locks the .srf.
class PaletteResource : public Resource, public xPalette {
  public:
    // The .srf is the file registry's object of that name, or one of its own.
    PaletteResource(const std::string& srfName, std::int32_t paletteId);
    ~PaletteResource() override;

    // The first call reads the palette when the .srf is open; anything but 256
    // entries throws the integer 0.
    virtual void Load();
    virtual bool IsLoaded() const { return loaded_; }

    void Lock() override;
    void Unlock() override;
    bool IsLocked() const override;
    // FileUpdatedMsg reads the palette again once a load was asked for.
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

    void GetEntry(xRGB& out, std::uint8_t index) const override;
    std::uint8_t FindNearest(std::uint32_t colour) const override;
    std::uint16_t GetCount() const override;

    SrfResource* GetSrfResource() const { return srf_; }

  private:
    void Read();

    SrfResource* srf_ = nullptr;
    bool ownsSrf_ = false;
    std::int32_t paletteId_;
    bool loadRequested_ = false;
    bool loaded_ = false;
};
