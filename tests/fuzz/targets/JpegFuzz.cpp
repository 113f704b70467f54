// A picture as a JPEG picture strip shows it: decoded into its bitmap, then
// drawn onto a 32-bit target unscaled and stretched, from a source rectangle
// the input picks.

#include "FuzzSupport.h"
#include "framework/xRect.h"
#include "media/JpegPicture.h"
#include "platform/DrawContext.h"
#include "platform/Surface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static platform::Surface target(160, 120, 32, false);
    static platform::DrawContext dc(&target);
    fuzz::Input input(data, size);
    const int left = static_cast<int>(input.Small(64));
    const int top = static_cast<int>(input.Small(64));
    const int width = static_cast<int>(input.Small(200));
    const int height = static_cast<int>(input.Small(200));

    media::JpegPicture picture;
    media::JpegPicture::Rect rect;
    if (!picture.LoadMemory(input.Rest(), rect)) {
        if (!picture.IsEmpty()) __builtin_trap();
        return 0;
    }
    const xRect source(left, top, left + width, top + height);
    picture.Draw(&dc, xRect(), xRect(0, 0, 160, 120), false);
    picture.Draw(&dc, source, xRect(-10, 5, 150, 130), true);
    picture.Draw(&dc, source, xRect(20, 20, 60, 50), false);
    return 0;
}
