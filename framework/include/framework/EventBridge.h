#pragma once

#include "framework/xEvent.h"

#include <cstdint>
#include <memory>

class Msg;
class MsgSender;

// Event codes with a meaning of their own to the bridge and the event handlers.
namespace xEventCode {
inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kUnmapped = 1;  // a message class the bridge does not name
inline constexpr std::int32_t kStart = 2;
inline constexpr std::int32_t kStarted = 3;
inline constexpr std::int32_t kStop = 4;
inline constexpr std::int32_t kStopped = 6;
inline constexpr std::int32_t kPaused = 7;
inline constexpr std::int32_t kEndOfPass = 17;
inline constexpr std::int32_t kResourceUnlock = 18;
inline constexpr std::int32_t kResourceLock = 19;
inline constexpr std::int32_t kResourceUpdate = 20;
inline constexpr std::int32_t kTimer = 32;
inline constexpr std::int32_t kButtonDown = 35;
inline constexpr std::int32_t kButtonUp = 36;
inline constexpr std::int32_t kMouseMove = 37;
inline constexpr std::int32_t kKeyboardChar = 38;
inline constexpr std::int32_t kIgnored = 39;
inline constexpr std::int32_t kGainedFocus = 40;
inline constexpr std::int32_t kLostFocus = 41;
inline constexpr std::int32_t kListSelectionChanged = 47;
inline constexpr std::int32_t kIrc = 88;
}  // namespace xEventCode

// A message that knows its own event form. Message classes of higher
// libraries (the IRC messages) take this role so that they reach event
// handlers; it is consulted only for classes the bridge's table does not name.
class EventFormMsg {
  public:
    virtual ~EventFormMsg() = default;
    // Sets the code and parameters of the record.
    virtual void FillXEvent(xEvent& event) const = 0;
};

// A message made from an event, with the event's sender; msg is null for a
// code that maps to no message.
struct MsgSenderPair {
    std::unique_ptr<Msg> msg;
    MsgSender* sender = nullptr;
};

// The event for a message, matched by the message's exact class; null for a
// class the table does not name. Messages that events do not carry (starting,
// stopping, the pointer entering or leaving) give an event of code 0, which
// posting drops.
std::unique_ptr<xEvent> MsgToXEvent(const Msg& msg, MsgSender* sender);

// The message for an event (null for a code that maps to no message).
MsgSenderPair XEventToMsg(const xEvent& event);
