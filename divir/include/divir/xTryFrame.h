#pragma once

// A lower-layer error frame: the point a raise returns to. Frames are opened only
// through xTry, which runs a body under a new innermost frame and returns the
// code that ended it (0 when the body completed). Objects between the raise and
// the frame are destroyed by the unwinding; frames close in strict stack order.
//
//   std::int16_t code = xTry([&] { ...work that may xThrow... });
//   xThrow(code);   // pass it on to the enclosing frame, as most frames do

#include <cstdint>
#include <new>
#include <utility>

#include "divir/xError.h"

class xTryFrame {
  public:
    xTryFrame(const xTryFrame&) = delete;
    xTryFrame& operator=(const xTryFrame&) = delete;
    ~xTryFrame() { Close(); }

    // The frame that was innermost when this one opened; null for the outermost.
    const xTryFrame* Enclosing() const { return enclosing_; }

    // The innermost open frame, null when none is open.
    static const xTryFrame* Top() { return top_; }

  private:
    template <typename Body>
    friend std::int16_t xTry(Body&& body);

    xTryFrame() noexcept : enclosing_(top_) {
        top_ = this;
        xErrorCode = 0;
    }
    void Close() noexcept {
        if (open_) {
            top_ = const_cast<xTryFrame*>(enclosing_);
            open_ = false;
        }
    }

    const xTryFrame* enclosing_;
    bool open_ = true;
    static inline xTryFrame* top_ = nullptr;
};

// The innermost open frame, null when none is open.
inline const xTryFrame* xTryTop() {
    return xTryFrame::Top();
}

// Runs body under a new frame. A raise inside it, at any depth outside an inner
// frame, abandons the body; std::bad_alloc counts as lower-layer code 1. Returns
// the code, which is also left in xErrorCode. Other exceptions pass through and
// close the frame on their way.
template <typename Body>
std::int16_t xTry(Body&& body) {
    xTryFrame frame;
    try {
        std::forward<Body>(body)();
        xErrorCode = 0;
    } catch (const xErrorUnwind& raised) {
        xErrorCode = raised.code;
    } catch (const std::bad_alloc&) {
        xErrorCode = kErrMemory;
    }
    frame.Close();
    return xErrorCode;
}
