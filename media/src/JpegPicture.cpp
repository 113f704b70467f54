#include "media/JpegPicture.h"

#include "platform/DrawContext.h"
#include "platform/HostFile.h"
#include "platform/HostPath.h"

#include <algorithm>
#include <cstring>
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
    lastError_ = nullptr;
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
    lastError_ = nullptr;
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
    const int bitmapWidth = across * mcuWidth;
    std::unique_ptr<platform::Surface> bitmap;
    std::vector<std::uint32_t> strip;
    try {
        bitmap = std::make_unique<platform::Surface>(bitmapWidth, down * mcuHeight, 32, false);
        strip.resize(static_cast<std::size_t>(bitmapWidth) * mcuHeight);
    } catch (const std::exception&) {
        return false;
    }
    if (!bitmap->Valid()) {
        return false;
    }
    // One row of MCUs at a time: each window starts where the last one ended,
    // so the scan is read once. The spare MCU row stays zero.
    const std::size_t rowBytes = static_cast<std::size_t>(bitmapWidth) * 4;
    const int rows = std::min(down, decoder_.McusDown());
    for (int row = 0; row < rows; ++row) {
        decoder_.DecodeRegion(strip, bitmapWidth, 0, row, across, row + 1);
        for (int y = 0; y < mcuHeight; ++y) {
            std::memcpy(bitmap->Row(row * mcuHeight + y),
                        strip.data() + static_cast<std::size_t>(y) * bitmapWidth, rowBytes);
        }
    }
    bitmap_ = std::move(bitmap);
    width_ = decoder_.Width();
    height_ = decoder_.Height();
    return true;
}

bool JpegPicture::Draw(platform::DrawContext* dc, const xRect& source, const xRect& target,
                       bool stretch) const {
    if (dc == nullptr || bitmap_ == nullptr || target.IsEmpty()) {
        return false;
    }
    const xRect from = source.IsEmpty() ? xRect(0, 0, width_, height_) : source;
    const platform::DrawContext memory(bitmap_.get());
    if (stretch) {
        dc->StretchBlit(target.left, target.top, target.Width(), target.Height(), memory, from.left, from.top,
                        from.Width(), from.Height());
    } else {
        dc->StretchBlit(target.left, target.top, target.Width(), target.Height(), memory, from.left, from.top,
                        target.Width(), target.Height());
    }
    return true;
}

void JpegPicture::Free() {
    bitmap_.reset();
    width_ = 0;
    height_ = 0;
}

}  // namespace media
