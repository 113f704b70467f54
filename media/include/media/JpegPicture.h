#pragma once

#include "media/JpegDecoder.h"

#include "framework/xRect.h"
#include "platform/Surface.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {
class DrawContext;
}

namespace media {

// A JPEG picture decoded once into a 32-bit top-down bitmap (blue, green, red,
// 0 per pixel) and drawn from there. The bitmap is one MCU wider and taller
// than the picture (whole MCUs are decoded); only the picture's own rectangle
// is meant to be shown.
class JpegPicture {
  public:
    // The picture's rectangle: right and bottom exclusive.
    struct Rect {
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t right = 0;
        std::int32_t bottom = 0;
    };

    JpegPicture() = default;
    ~JpegPicture();
    JpegPicture(const JpegPicture&) = delete;
    JpegPicture& operator=(const JpegPicture&) = delete;

    // Both loads drop any picture held first.
    // Reads the whole file (a Windows path text, resolved on the host) and
    // decodes it; false when the file cannot be read or the picture is refused.
    // On success `rect` is (0, 0, width, height).
    bool LoadFile(const std::string& path, Rect& rect);
    // The same from memory; the data is needed only during the call.
    bool LoadMemory(std::span<const std::uint8_t> data, Rect& rect);
    // Makes the bitmap for the headers just read and decodes the whole picture
    // into it. False when no headers are held or the bitmap cannot be made.
    bool CreateBitmap();

    // Draws onto `dc`'s surface; false when there is no picture, no context or
    // the target is empty. Without `stretch` the target's size is copied
    // unscaled from the source's top-left corner; with it the source rectangle
    // is scaled onto the target (nearest pixel). An empty source stands for the
    // picture's rectangle. Rectangles are in bitmap and surface pixels; what
    // falls outside either is left out.
    bool Draw(platform::DrawContext* dc, const xRect& source, const xRect& target, bool stretch) const;

    void Free();

    bool IsEmpty() const { return bitmap_ == nullptr; }
    // The bitmap, or nullptr when no picture is held.
    const platform::Surface* Bitmap() const { return bitmap_.get(); }
    // The picture's own size; 0 when empty.
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The decoder's reason for the last refusal, or nullptr.
    const char* LastError() const { return lastError_; }

  private:
    std::unique_ptr<platform::Surface> bitmap_;
    int width_ = 0;
    int height_ = 0;
    JpegDecoder decoder_;
    const char* lastError_ = nullptr;
};

}  // namespace media
