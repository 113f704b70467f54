#include "media/xGdi.h"

#include "divir/xError.h"

namespace {

template <typename T>
std::unique_ptr<T> Checked(std::unique_ptr<T> object) {
    if (!object || xSimulateGdiFailure()) {
        xThrow(kErrSystemResources);
        return nullptr;
    }
    return object;
}

}  // namespace

bool xSimulateGdiFailure() {
    return false;
}

std::unique_ptr<platform::Brush> xCreateSolidBrush(platform::ColourRef colour) {
    return Checked(std::make_unique<platform::Brush>(platform::Brush{false, colour}));
}

std::unique_ptr<platform::Pen> xCreatePen(int style, int width, platform::ColourRef colour) {
    // Style 5 is the old null pen; every other style draws solid.
    return Checked(std::make_unique<platform::Pen>(platform::Pen{style == 5, width, colour}));
}

std::unique_ptr<xLogPalette> xCreatePalette(const xLogPalette& entries) {
    return Checked(std::make_unique<xLogPalette>(entries));
}

std::unique_ptr<platform::FontFace> xCreateFont(const platform::FontRequest& request) {
    return Checked(platform::OpenFontFace(request));
}
