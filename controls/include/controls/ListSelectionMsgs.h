#pragma once

#include "framework/CloneableMsg.h"
#include "framework/MsgListSelectionChanged.h"

// The list's selection messages. They carry nothing: a receiver that wants to
// know which row asks the list. MsgListSelectionChanged lives with the
// framework, which bridges it to the game's events.

// A double click on the selected row.
class MsgListSelectionDoubleClick : public CloneableMsg<MsgListSelectionDoubleClick> {};

// A click on the row that was already selected.
class MsgListSelectionUnChanged : public CloneableMsg<MsgListSelectionUnChanged> {};
