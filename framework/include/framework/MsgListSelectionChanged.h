#pragma once

#include "framework/CloneableMsg.h"

// Sent by a list when its selected row changes. It carries nothing: a receiver
// that wants to know which row asks the list.
class MsgListSelectionChanged : public CloneableMsg<MsgListSelectionChanged> {};
