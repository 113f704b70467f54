#pragma once

#include <cstdint>

#include "framework/MsgSender.h"

// The wildcard sender: all bits set. A handler whose watched sender is AnySender
// accepts the watched message class from every sender. Never dereferenced.
inline MsgSender* const AnySender = reinterpret_cast<MsgSender*>(~std::uintptr_t{0});

// The sender test of every handler: the message came from the watched sender, or
// the handler watches every sender.
inline bool IsWatchedSender(const MsgSender* from, const MsgSender* watched) {
    return watched == AnySender || from == watched;
}
