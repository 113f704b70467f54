#pragma once

#include "media/OffsetRunDecoder.h"
#include "media/xArtStrip.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class xSimpleResFile;
class xSpriteRegion;

// The strip of the animations, read from an "off4" resource: each cel is a
// composition of up to 48 parts, each part an image of the strip (kept
// compressed and decoded while drawn) or a cel of a secondary strip.
class xOffsetStrip : public xArtStrip {
  public:
    static constexpr int kMaxParts = 48;
    static constexpr int kLayers = 48;

    // Part flags.
    static constexpr std::uint16_t kPartMirrorBits = 3;
    static constexpr std::uint16_t kPartSecondary = 0x20;
    static constexpr std::uint16_t kPartHidden = 0x8000;
    static int KindOf(std::uint16_t partFlags) { return (partFlags >> 2) & 7; }
    static int LayerOf(std::uint16_t partFlags) { return (partFlags >> 8) & 0x7F; }

    struct Part {
        std::uint16_t flags = 0;
        xRect rect;
        std::int16_t number = 0;  // an image, or a cel of the secondary strip
    };
    struct CelParts {
        std::uint16_t partSlot = 0;  // the slot whose part list the cel uses; 0 its own
        xRect rect;
        std::uint16_t count = 0;
        std::array<Part, kMaxParts> parts{};
    };

    xOffsetStrip() = default;
    xOffsetStrip(const xOffsetStrip&) = delete;
    xOffsetStrip& operator=(const xOffsetStrip&) = delete;
    ~xOffsetStrip() override;

    void Unload() override;
    xRect GetCelSize(std::int16_t cel) override;
    xRect GetSize() override;
    std::uint16_t GetCelCount() override { return celCount_; }
    bool HasCel(std::int16_t cel) override;
    void Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
              std::int32_t extra) override;
    void DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                     std::int32_t extra, const xSpriteRegion& region) override;
    void AddDirtyArea(xSpriteRegion& region, const xRect& place, std::int16_t cel, std::uint16_t flags,
                      std::int32_t extra) override;
    void AddChangedArea(xSpriteRegion& region, const xRect& place, std::int16_t cel, std::uint16_t flags,
                        std::int32_t extra, const xRect& otherPlace, std::int16_t otherCel,
                        std::uint16_t otherFlags, std::int32_t otherExtra) override;

    // Loads ("off4", id) from any open file of the reader; a missing resource
    // raises the reader's error, damaged data error 3. The word is not read.
    void Load(xSimpleResFile& reader, std::int32_t id, std::uint16_t unused, xArtStrip* secondary);
    // Takes an "off4" resource as it is stored. Every count, slot, part list,
    // image record and offset is checked against the data first; anything that
    // does not fit raises x-layer error 3 and leaves the strip empty (false).
    bool LoadData(std::span<const std::uint8_t> data, xArtStrip* secondary);

    void AddPartAreas(xSpriteRegion& region, std::int16_t cel);
    xRect GetAnimInfo(std::int16_t image) const;
    xRect GetAnimBounds();
    std::uint16_t GetAnimCount() const { return static_cast<std::uint16_t>(images_.size()); }
    bool HasAnim(std::int16_t image) const { return image >= 1 && image <= GetAnimCount(); }
    void DrawCel(xCanvas& canvas, const xRect& target, std::int16_t image, const xRect& clip,
                 std::uint16_t flags, std::int32_t extra);
    void DrawPart(xCanvas& canvas, const xRect& target, std::int16_t image, std::uint16_t flags,
                  std::int32_t extra, const xSpriteRegion& region);
    void AddAnimDirtyArea(xSpriteRegion& region, const xRect& target, std::int16_t image, std::uint16_t flags,
                          std::int32_t extra);
    void AddAnimChangedArea(xSpriteRegion& region, const xRect& target, std::int16_t image,
                            std::uint16_t flags, std::int32_t extra, const xRect& otherTarget,
                            std::int16_t otherImage, std::uint16_t otherFlags, std::int32_t otherExtra);
    // The cel's header and parts moved to `at` (mirrored parts reflected within
    // the cel rectangle), or null. Valid until the second next call.
    const CelParts* GetCelParts(std::int16_t cel, xPoint at, std::uint16_t mirror);
    xRect GetAnimRect(std::int16_t cel);
    std::int16_t GetRunLength(std::int16_t cel);
    // The layer of the cel's first part of that kind; 0 when none.
    int FindPartOfKind(std::int16_t cel, int kind);
    // Layers 1-48 have flags; 0 means all of them; any other layer is ignored.
    void HideLayer(int layer);
    void ShowLayer(int layer);
    bool IsLayerHidden(int layer) const;

    std::uint16_t GetOpaqueCount() const { return opaqueCount_; }
    bool IsLoaded() const { return !data_.empty(); }

  protected:
    struct Image {
        std::uint32_t offset = 0;
        std::uint16_t width = 0;
        std::uint16_t height = 0;
    };

    // The slot's first word, or -1 when the cel does not exist.
    std::int32_t SlotStart(std::int16_t cel) const;

  private:
    bool Parse(std::span<const std::uint8_t> data, xArtStrip* secondary);
    template <typename Pixel>
    void DrawDirect(const xRect& target, const xRect& inter, const Image& image, std::uint8_t* const* rows,
                    Pixel& pixel);
    void DrawSpan(xCanvas& canvas, const xRect& target, const xRect& clip, const Image& image,
                  std::uint16_t flags);

    std::vector<std::uint8_t> data_;    // the resource as stored
    std::vector<std::uint16_t> words_;  // the frame area in machine order
    std::vector<Image> images_;
    std::uint32_t slotBase_ = 0;   // slot k starts at word k * S + slotBase_
    std::uint16_t slotWords_ = 0;  // S
    std::uint16_t celCount_ = 0;
    std::uint16_t opaqueCount_ = 0;
    xArtStrip* secondary_ = nullptr;

    std::array<CelParts, 2> buffers_{};
    std::uint16_t toggle_ = 0;
    xRect animBounds_;
    bool animBoundsKnown_ = false;
    xRect size_;
    bool sizeKnown_ = false;
    std::array<std::uint8_t, kLayers> layerHidden_{};

    OffsetRunDecoder decoder_;
    std::array<std::uint8_t, OffsetRunDecoder::kMaxWidth> rowBuffer_{};
};
