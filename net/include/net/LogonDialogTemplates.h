#pragma once

// The layouts of the five logon and registration dialogs (ours; the ids, texts and
// order of the controls are the dialogs' own), and how a dialog's state shows in
// its controls.

#include "net/LogonDialogs.h"
#include "platform/DialogTemplate.h"

// The template of dialog 101, 106, 109, 110 or 111; an empty one for other ids.
const platform::DialogTemplate& LogonDialogTemplate(int dialogId);
// What the control shows for the dialog's state.
platform::DialogControlView LogonControlView(const LogonDialogState& state, const platform::DialogControl& control);
