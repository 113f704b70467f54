#pragma once

#include "framework/CloneableMsg.h"

// Sent by the view to the application when its current screen has started and no
// next screen waits, so that the application can hand it the next segment.
class ReadyToPlayNextScreenMsg : public CloneableMsg<ReadyToPlayNextScreenMsg> {};
