#include "media/JpegPicture.h"

#include "platform/HostFile.h"
#include "platform/HostPath.h"

#include <exception>
#include <new>
#include <optional>
#include <vector>

namespace media {

JpegPicture::~JpegPicture() {
    Free();
}

bool JpegPicture::LoadFile(const std::string& path, Rect& rect) {
    Free();
    std::optional<platform::HostFile> file =
        platform::HostFile::Open(platform::ResolveHostPath(path), platform::HostFile::Access::Read);
    if (!file) {
        return false;
    }
    const std::int64_t size = file->Size();
    if (size < 0) {
        return false;
    }
    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(size));
    } catch (const std::exception&) {
        return false;
    }
    std::size_t filled = 0;
    while (filled < data.size()) {
        const std::int64_t got = file->Read(std::span(data).subspan(filled));
        if (got <= 0) {
            return false;
        }
        filled += static_cast<std::size_t>(got);
    }
    return LoadMemory(data, rect);
}

bool JpegPicture::LoadMemory(std::span<const std::uint8_t> data, Rect& rect) {
    Free();
    if (data.data() == nullptr) {
        return false;
    }
    lastError_ = decoder_.ReadHeaders(data);
    if (lastError_ != nullptr) {
        return false;
    }
    const bool made = CreateBitmap();
    // The data is the caller's and goes away with this call.
    decoder_.Detach();
    if (made) {
        rect = Rect{0, 0, width_, height_};
    }
    return made;
}

bool JpegPicture::CreateBitmap() {
    Free();
    if (!decoder_.HasScan()) {
        return false;
    }
    const int mcuWidth = decoder_.McuWidth();
    const int mcuHeight = decoder_.McuHeight();
    const int across = decoder_.Width() / mcuWidth + 1;
    const int down = decoder_.Height() / mcuHeight + 1;
    const std::size_t count = static_cast<std::size_t>(across * mcuWidth) * static_cast<std::size_t>(down * mcuHeight);
    bitmap_.reset(new (std::nothrow) std::uint32_t[count]());
    if (bitmap_ == nullptr) {
        return false;
    }
    bitmapWidth_ = across * mcuWidth;
    bitmapHeight_ = down * mcuHeight;
    width_ = decoder_.Width();
    height_ = decoder_.Height();
    decoder_.DecodeRegion({bitmap_.get(), count}, bitmapWidth_, 0, 0, across, down);
    return true;
}

void JpegPicture::Free() {
    bitmap_.reset();
    bitmapWidth_ = 0;
    bitmapHeight_ = 0;
    width_ = 0;
    height_ = 0;
}

std::span<const std::uint32_t> JpegPicture::Pixels() const {
    if (bitmap_ == nullptr) {
        return {};
    }
    return {bitmap_.get(), static_cast<std::size_t>(bitmapWidth_) * static_cast<std::size_t>(bitmapHeight_)};
}

}  // namespace media
