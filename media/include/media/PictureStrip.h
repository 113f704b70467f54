#pragma once

#include "media/JpegPicture.h"
#include "media/xArtStrip.h"

#include <cstdint>
#include <span>
#include <string>

// The art strip that shows the game's downloaded picture. A sprite's cel does
// not pick a picture but a layout command (cel modulo 10) that sets where and
// how the picture goes, and for some commands draws it:
//   0 destination = source = the rectangle, source given; draws
//   1 destination, fit            2 destination, plain
//   3 destination, centred        6 destination, fit keeping the aspect
//   7 destination, fit keeping the aspect, centred
//   4 source = the rectangle, source given; draws
//   5 source = the rectangle, source not given; draws
//   8, 9 draw as laid out
// With the source given, the source rectangle (picture pixels) is scaled onto
// the target; without, the whole picture is stretched onto it with fit, and
// shown at its own size, cut to the target, without.
class PictureStrip : public xArtStrip {
  public:
    using Rect = media::JpegPicture::Rect;

    explicit PictureStrip(void* owner = nullptr) : owner_(owner) {}
    PictureStrip(const PictureStrip&) = delete;
    PictureStrip& operator=(const PictureStrip&) = delete;
    ~PictureStrip() override;

    void Unload() override;
    void Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
              std::int32_t extra) override;
    void DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                     std::int32_t extra, const xSpriteRegion& region) override;

    void LoadFile(const std::string& path);
    bool LoadMemory(std::span<const std::uint8_t> data);

    // The rectangles the next draw uses: false when nothing would be drawn.
    bool Layout(xRect& source, xRect& target) const;

    void* GetOwner() const { return owner_; }
    bool IsLoaded() const { return loaded_; }
    const Rect& GetDestination() const { return destination_; }
    const Rect& GetSource() const { return source_; }
    const media::JpegPicture& GetPicture() const { return picture_; }
    bool IsSourceGiven() const { return sourceGiven_; }

  private:
    void* owner_;
    media::JpegPicture picture_;
    Rect destination_;
    Rect pictureRect_;
    Rect source_;
    bool loaded_ = false;
    bool fit_ = false;
    bool sourceGiven_ = false;
    bool centre_ = false;
    bool keepAspect_ = false;
};
