#include "media/PaletteResource.h"

#include "SrfLookup.h"

#include "resource/ResourceMsgs.h"
#include "resource/SrfResource.h"

#include "divir/xError.h"
#include "divir/xTryFrame.h"

#include <memory>
#include <typeinfo>

namespace {

bool IsSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

int HexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One " %x" field from p, bounded by end; false when there is no hex number.
bool ReadHex(const std::uint8_t*& p, const std::uint8_t* end, std::uint32_t& value) {
    while (p < end && IsSpace(*p)) ++p;
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && end - p >= 3 && HexValue(p[2]) >= 0) {
        p += 2;
    }
    if (p >= end || HexValue(*p) < 0) return false;
    value = 0;
    while (p < end && HexValue(*p) >= 0) {
        value = (value << 4) | static_cast<std::uint32_t>(HexValue(*p));
        ++p;
    }
    return true;
}

}  // namespace

PaletteResource::PaletteResource(const std::string& srfName, std::int32_t paletteId) : paletteId_(paletteId) {
    std::unique_ptr<SrfResource> owned;
    srf_ = media_detail::FindOrMakeSrf(srfName, owned);
    ownsSrf_ = owned != nullptr;
    owned.release();
    srf_->Subscribe(this);
}

PaletteResource::~PaletteResource() {
    while (Resource::IsLocked()) Unlock();
    srf_->Unsubscribe(this);
    if (ownsSrf_) delete srf_;
}

void PaletteResource::Lock() {
    Resource::Lock();
    srf_->Lock();
}

void PaletteResource::Unlock() {
    if (!Resource::IsLocked()) return;
    SrfResource* srf = srf_;
    if (!UnlockAndSurvive()) return;
    srf->Unlock();
}

bool PaletteResource::IsLocked() const {
    return Resource::IsLocked() || srf_->IsLocked();
}

void PaletteResource::Load() {
    if (loadRequested_) return;
    loadRequested_ = true;
    Read();
}

void PaletteResource::Read() {
    if (!srf_->Exists()) return;
    int count = 0;
    std::uint8_t* data = nullptr;
    xTry([&] {
        data = srf_->LoadResource(MakeFourCC("pal "), paletteId_, xSimpleResFile::kAnyFile);
        const std::uint8_t* p = data;
        const std::uint8_t* const end = data + ResDataSize(data);
        while (count < 256 && end - p >= 2) {
            std::uint32_t rgb[3];
            const std::uint8_t* q = p;
            if (!ReadHex(q, end, rgb[0]) || !ReadHex(q, end, rgb[1]) || !ReadHex(q, end, rgb[2])) break;
            SetEntry(static_cast<std::uint8_t>(count),
                     (rgb[0] & 0xFF) | ((rgb[1] & 0xFF) << 8) | ((rgb[2] & 0xFF) << 16));
            ++count;
            // On to the next line: past this one's end and every CR and LF.
            while (p < end && *p != '\r' && *p != '\n') ++p;
            while (p < end && (*p == '\r' || *p == '\n')) ++p;
        }
    });
    ResDataFree(data);
    xErrorCode = 0;
    if (count != 256) throw 0;
    SetCount(256);
    loaded_ = true;
}

std::int32_t PaletteResource::Receive(const Msg& msg, MsgSender*) {
    if (typeid(msg) == typeid(FileUpdatedMsg) && srf_->Exists() && loadRequested_) Read();
    return 0;
}

void PaletteResource::GetEntry(xRGB& out, std::uint8_t index) const {
    const_cast<PaletteResource*>(this)->Load();
    xPalette::GetEntry(out, index);
}

std::uint8_t PaletteResource::FindNearest(std::uint32_t colour) const {
    const_cast<PaletteResource*>(this)->Load();
    return xPalette::FindNearest(colour);
}

std::uint16_t PaletteResource::GetCount() const {
    const_cast<PaletteResource*>(this)->Load();
    return xPalette::GetCount();
}
