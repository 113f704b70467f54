#include "media/PictureStrip.h"

#include "media/xCanvas.h"
#include "media/xSpriteRegion.h"

#include <algorithm>

namespace {

PictureStrip::Rect Widen(const xRect& r) {
    return PictureStrip::Rect{r.left, r.top, r.right, r.bottom};
}

xRect Narrow(const PictureStrip::Rect& r) {
    return xRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

PictureStrip::~PictureStrip() {
    Unload();
}

void PictureStrip::Unload() {
    if (loaded_) {
        picture_.Free();
        loaded_ = false;
    }
}

void PictureStrip::LoadFile(const std::string& path) {
    Unload();
    loaded_ = picture_.LoadFile(path, pictureRect_);
}

bool PictureStrip::LoadMemory(std::span<const std::uint8_t> data) {
    Unload();
    loaded_ = picture_.LoadMemory(data, pictureRect_);
    return loaded_;
}

bool PictureStrip::Layout(xRect& source, xRect& target) const {
    const std::int32_t w = destination_.right - destination_.left;
    const std::int32_t h = destination_.bottom - destination_.top;
    const std::int32_t pw = pictureRect_.right - pictureRect_.left;
    const std::int32_t ph = pictureRect_.bottom - pictureRect_.top;
    const std::int32_t sw = source_.right - source_.left;
    const std::int32_t sh = source_.bottom - source_.top;
    Rect t;
    if (!fit_) {
        t = Rect{pictureRect_.left + destination_.left, pictureRect_.top + destination_.top,
                 pictureRect_.right + destination_.left, pictureRect_.bottom + destination_.top};
        t.left = std::max(t.left, destination_.left);
        t.top = std::max(t.top, destination_.top);
        t.right = std::min(t.right, destination_.right);
        t.bottom = std::min(t.bottom, destination_.bottom);
    } else if (!keepAspect_) {
        t = destination_;
    } else {
        if (pw <= 0 || ph <= 0) {
            return false;
        }
        const double rx = static_cast<double>(w) / pw;
        const double ry = static_cast<double>(h) / ph;
        t = destination_;
        if (ry < rx) {
            const auto width = static_cast<std::int32_t>(pw * ry);
            t.left += centre_ ? (w - width) / 2 : 0;
            t.right = t.left + width;
        } else {
            const auto height = static_cast<std::int32_t>(ph * rx);
            t.top += centre_ ? (h - height) / 2 : 0;
            t.bottom = t.top + height;
        }
    }
    const std::int32_t tw = t.right - t.left;
    const std::int32_t th = t.bottom - t.top;
    if (tw <= 0 || th <= 0 || w <= 0 || h <= 0) {
        return false;
    }
    const double fx = static_cast<double>(tw) / w;
    const double fy = static_cast<double>(th) / h;
    Rect s = source_;
    if (centre_) {
        s.left += static_cast<std::int32_t>((1 - fx) * sw / 2);
        s.top += static_cast<std::int32_t>((1 - fy) * sh / 2);
    }
    s.right = s.left + static_cast<std::int32_t>(sw * fx);
    s.bottom = s.top + static_cast<std::int32_t>(sh * fy);
    target = Narrow(t);
    // Without a given source the whole picture is drawn: stretched with fit,
    // from its top-left corner at its own size without.
    source = sourceGiven_ ? Narrow(s) : Narrow(pictureRect_);
    return true;
}

void PictureStrip::Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t, std::int32_t) {
    if (!loaded_) {
        return;
    }
    const int command = cel % 10;
    const Rect r = Widen(place);
    bool drawNow = false;
    switch (command) {
        case 0:
            destination_ = source_ = r;
            sourceGiven_ = true;
            fit_ = centre_ = keepAspect_ = false;
            drawNow = true;
            break;
        case 1:
            destination_ = r;
            fit_ = true;
            centre_ = keepAspect_ = false;
            break;
        case 2:
            destination_ = r;
            fit_ = centre_ = keepAspect_ = false;
            break;
        case 3:
            destination_ = r;
            centre_ = true;
            fit_ = keepAspect_ = false;
            break;
        case 4:
            source_ = r;
            sourceGiven_ = true;
            drawNow = true;
            break;
        case 5:
            source_ = r;
            sourceGiven_ = false;
            drawNow = true;
            break;
        case 6:
            destination_ = r;
            fit_ = keepAspect_ = true;
            centre_ = false;
            break;
        case 7:
            destination_ = r;
            fit_ = centre_ = keepAspect_ = true;
            break;
        case 8:
        case 9:
            drawNow = true;
            break;
        default:
            return;
    }
    xRect source;
    xRect target;
    if (!drawNow || !Layout(source, target)) {
        return;
    }
    canvas.BeginDraw(nullptr);
    picture_.Draw(canvas.GetDC(), source, target, sourceGiven_ || fit_);
    canvas.EndDraw(nullptr);
}

void PictureStrip::DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                               std::int32_t extra, const xSpriteRegion& region) {
    const int command = cel % 10;
    if (command < 0 || command == 8 || command == 9) {
        return;
    }
    if ((command == 0 || command == 4 || command == 5) && !region.Meets(place)) {
        return;
    }
    Draw(canvas, place, cel, flags, extra);
}
