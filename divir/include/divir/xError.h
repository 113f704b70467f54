#pragma once

// The lower layer's failure model: a raise records a 16-bit code in one
// process-wide value and, when an error frame is open, unwinds to the innermost
// one (see xTryFrame.h). With no frame open the raiser goes on after xThrow and
// must not use the result that failed.

#include <cstdint>
#include <string>

// The code of the last raise; 0 once a frame body has completed. The program's
// entry reads it after the main loop and maps it to the exit message.
extern std::int16_t xErrorCode;

// A code that ends the main loop at its next test; written by the sound start.
extern std::int32_t xPendingExitCode;

// Lower-layer codes with a meaning of their own (the rest are module-specific).
inline constexpr std::int16_t kErrMemory = 1;           // memory or a system object unavailable
inline constexpr std::int16_t kErrSystemResources = 2;  // brush, pen, palette, font, bitmap, window
inline constexpr std::int16_t kErrResourceFile = 3;     // resource file cannot be opened or is invalid
inline constexpr std::int16_t kErrResourceRead = 4;     // resource cannot be read in full
inline constexpr std::int16_t kErrResourceMissing = 6;  // no resource of that type and number
inline constexpr std::int16_t kErrBadState = 7;         // request the state does not allow, full queue
inline constexpr std::int16_t kErrUserBreak = 8;        // never raised; the exit has a text for it
inline constexpr std::int16_t kErrFontFile = 15;        // a font file cannot be added
inline constexpr std::int16_t kErrIrcConnection = 16;   // IRC socket error or over-long line
inline constexpr std::int16_t kErrNoSoundDriver = 17;
inline constexpr std::int16_t kErrNo16BitSound = 18;
inline constexpr std::int16_t kErrSoundCardBusy = 19;
inline constexpr std::int16_t kErrBadHttpResponse = 21;
inline constexpr std::int16_t kErrChannelPoolFull = 24;
inline constexpr std::int16_t kErrSoundStart = 25;
inline constexpr std::int16_t kErrSoundSlotsFull = 26;
inline constexpr std::int16_t kErrSoundOutput = 27;
inline constexpr std::int16_t kErrFileOpen = 12003;
inline constexpr std::int16_t kErrFileRead = 12004;
inline constexpr std::int16_t kErrFileWrite = 12005;
inline constexpr std::int16_t kErrFileCreate = 12006;
inline constexpr std::int16_t kErrSearchPathFull = 12008;
inline constexpr std::int16_t kErrProgramPath = 12011;
inline constexpr std::int16_t kErrHttpTimeout = 15006;
inline constexpr std::int16_t kErrSocketBase = 10000;  // 10000 and up: the socket layer's error number

// What xThrow throws while a frame is open. Only xTry catches it: it is not a
// std::exception, so upper-layer handlers of std::exception let it pass.
struct xErrorUnwind {
    std::int16_t code;
};

// Stores the code; with a non-zero code and an open frame, unwinds to that frame.
// Otherwise returns 0 and the caller goes on.
std::int16_t xThrow(std::int16_t code);

// Detail for the next raise: " (" + text cut to 251 characters + ")", at most
// 254 characters; null clears it. Nothing reads it but logs and tests.
void xErrorSetDetail(const char* text);
const std::string& xErrorGetDetail();

// printf-style text shown in a task-modal, topmost OK box with the stop icon,
// after the error beep. Pass fixed texts as xAlert(title, "%s", text).
void xAlert(const char* title, const char* format, ...) __attribute__((format(printf, 2, 3)));
