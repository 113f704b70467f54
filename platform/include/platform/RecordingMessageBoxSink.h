#pragma once

// A message-box sink for tests: installs itself for its lifetime, records every
// box and beep, and answers with a chosen button.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MessageBoxSink.h"

namespace platform {

class RecordingMessageBoxSink : public MessageBoxSink {
  public:
    struct Box {
        std::string title;
        std::string text;
        std::uint32_t style = 0;
    };

    RecordingMessageBoxSink() : before_(Install(this)) {}
    ~RecordingMessageBoxSink() override { Install(before_); }
    RecordingMessageBoxSink(const RecordingMessageBoxSink&) = delete;
    RecordingMessageBoxSink& operator=(const RecordingMessageBoxSink&) = delete;

    BoxAnswer Show(const std::string& title, const std::string& text, std::uint32_t style) override {
        boxes.push_back(Box{title, text, style});
        return answer;
    }
    void Beep(std::uint32_t style) override { beeps.push_back(style); }

    std::vector<Box> boxes;
    std::vector<std::uint32_t> beeps;
    BoxAnswer answer = BoxAnswer::Ok;

  private:
    MessageBoxSink* before_;
};

}  // namespace platform
