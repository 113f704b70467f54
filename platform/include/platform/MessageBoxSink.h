#pragma once

// Where the program's message boxes go. The lower layer shows every box through
// the installed sink; the executable installs the desktop one, tests install a
// recorder, and with nothing installed boxes go to standard error.

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace platform {

class MessageBoxSink {
  public:
    virtual ~MessageBoxSink() = default;

    // Shows a blocking box; style is a combination of BoxStyle bits.
    virtual BoxAnswer Show(const std::string& title, const std::string& text, std::uint32_t style) = 0;
    // The alert sound that goes with a box of this icon style.
    virtual void Beep(std::uint32_t style) = 0;

    // The sink in use: the installed one, else the standard-error default.
    static MessageBoxSink& Current();
    // Installs a borrowed sink (it must outlive its installation); null restores the default.
    // Returns the sink installed before, null for the default.
    static MessageBoxSink* Install(MessageBoxSink* sink);

  private:
    static MessageBoxSink*& Installed() {
        static MessageBoxSink* installed = nullptr;
        return installed;
    }
};

// The answer a box gives when nobody can click it: its default button, the first one.
constexpr BoxAnswer DefaultBoxAnswer(std::uint32_t /*style*/) {
    return BoxAnswer::Ok;
}

}  // namespace platform

// The default sink and Current() live there.
#include "platform/StderrMessageBoxSink.h"
