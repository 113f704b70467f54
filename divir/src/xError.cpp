#include "divir/xError.h"

#include <cstdarg>
#include <cstdio>
#include <string_view>
#include <vector>

#include "divir/xTryFrame.h"
#include "platform/MessageBoxSink.h"
#include "platform/WinTypes.h"

std::int16_t xErrorCode = 0;
std::int32_t xPendingExitCode = 0;

namespace {

constexpr std::size_t kDetailTextMax = 251;

std::string& Detail() {
    static std::string detail;
    return detail;
}

}  // namespace

std::int16_t xThrow(std::int16_t code) {
    xErrorCode = code;
    if (code != 0 && xTryFrame::Top() != nullptr) {
        throw xErrorUnwind{code};
    }
    return 0;
}

void xErrorSetDetail(const char* text) {
    std::string& detail = Detail();
    detail.clear();
    if (text == nullptr) {
        return;
    }
    std::string_view shown(text);
    if (shown.size() > kDetailTextMax) {
        shown = shown.substr(0, kDetailTextMax);
    }
    detail.append(" (").append(shown).append(")");
}

const std::string& xErrorGetDetail() {
    return Detail();
}

void xAlert(const char* title, const char* format, ...) {
    std::string text;
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        va_list measure;
        va_copy(measure, args);
        const int length = std::vsnprintf(nullptr, 0, format, measure);
        va_end(measure);
        if (length > 0) {
            std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
            std::vsnprintf(buffer.data(), buffer.size(), format, args);
            text.assign(buffer.data(), static_cast<std::size_t>(length));
        }
        va_end(args);
    }
    using platform::BoxStyle;
    platform::MessageBoxSink& boxes = platform::MessageBoxSink::Current();
    boxes.Beep(platform::Num(BoxStyle::IconStop));
    boxes.Show(title != nullptr ? title : "", text,
               platform::Num(BoxStyle::Ok) | platform::Num(BoxStyle::IconStop) |
                   platform::Num(BoxStyle::TaskModal) | platform::Num(BoxStyle::TopMost));
}
