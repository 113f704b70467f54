#pragma once

// The box of a program without a display: the title and text on standard error,
// answered with the box's default button.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/MessageBoxSink.h"

namespace platform {

class StderrMessageBoxSink : public MessageBoxSink {
  public:
    BoxAnswer Show(const std::string& title, const std::string& text, std::uint32_t style) override {
        Print(title, text);
        return DefaultBoxAnswer(style);
    }
    // The box's line on standard error: "title: text" (the text as it is, line breaks too).
    static void Print(const std::string& title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        std::fflush(stderr);
    }
    void Beep(std::uint32_t /*style*/) override {}
};

inline MessageBoxSink& MessageBoxSink::Current() {
    static StderrMessageBoxSink fallback;
    MessageBoxSink* installed = Installed();
    return installed ? *installed : fallback;
}

inline MessageBoxSink* MessageBoxSink::Install(MessageBoxSink* sink) {
    MessageBoxSink* before = Installed();
    Installed() = sink;
    return before;
}

}  // namespace platform
