#pragma once

// Modeless dialogs inside the game window. Each dialog is a window the installed
// MessageQueue knows: its posted messages and window timers reach its procedure
// through Dispatch whether or not the pump has it registered. The queue's input
// router sends mouse input to the dialog under the pointer (in coordinates of the
// dialog's painted surface, title bar included) and keys to the active dialog; a
// press on the game itself gives the keys back to the game. The queue's dialog
// filter (installed here) gives the registered dialog its keyboard handling: Tab
// and Shift-Tab, Enter for the focused or default button, Escape for IDCANCEL,
// arrows in radio groups, Alt with a control's "&" letter.
//
// A dialog paints into a 32-bit surface of its own; the game window lays the
// visible dialogs over its picture at present, after the 8-bit conversion, so the
// game's drawing and palette never touch them.
//
// A dialog destroyed from inside its own procedure gets WM_DESTROY at once and is
// freed once the outermost call into it has returned.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/DialogTemplate.h"
#include "platform/FontFace.h"
#include "platform/Surface.h"
#include "platform/WinTypes.h"

namespace platform {

using DialogProc = std::function<std::intptr_t(WindowHandle dialog, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam)>;

// What the controls hold now; the dialog's procedure and its owner read and set it
// (set values show at the next present).
struct DialogState {
    int id = 0;  // the template's id
    bool visible = false;
    int focus = 0;  // the focused control's id
    std::string title;
    std::map<int, std::string> texts;  // edits and editable combos
    std::map<int, std::vector<std::string>> items;
    std::map<int, int> selections;  // -1 for none
    std::map<int, bool> checks;
    std::map<int, bool> disabled;  // a disabled control takes no click, focus or letter
    std::map<int, int> limits;  // characters an edit takes
    std::map<int, int> carets;  // characters before an edit's caret; none: at the end
    int progress = 0;           // the progress bar, 0 to progressEnd
    int progressEnd = 100;
    int dropOpen = 0;  // the control whose drop-down list is open, 0 for none
    int dropTop = 0;   // the first entry the open list shows
    int pressed = 0;   // the button held down by the mouse
};

// WM_DRAWITEM's lParam: where an owner-drawn control draws itself.
struct DrawItemInfo {
    int controlId = 0;
    Surface* surface = nullptr;  // the dialog's own surface
    int left = 0;                // the control's rectangle on that surface
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The drop-down list of a combo: at most this many rows of this height (pixels).
inline constexpr int kDropRows = 8;
inline constexpr int kDropRowHeight = 18;
// Width of the scroll strip of a drop-down list that holds more entries than rows.
inline constexpr int kDropStripWidth = 16;

// Makes a hidden dialog over the owner from the template, centred on the owner's
// client area, registered with the installed queue; the procedure gets
// WM_INITDIALOG (lParam = param) before this returns. Null without a queue, or
// when the procedure destroyed the dialog during its initialisation.
WindowHandle CreateDialogWindow(const DialogTemplate& dialog, WindowHandle owner, DialogProc proc,
                                std::intptr_t param);
void DestroyDialogWindow(WindowHandle dialog);
bool IsDialogWindow(WindowHandle window);
// Every dialog not yet destroyed, bottom first.
std::vector<WindowHandle> DialogWindows();

// Null for a window that is not a live dialog.
DialogState* GetDialogState(WindowHandle dialog);
const DialogTemplate* GetDialogTemplate(WindowHandle dialog);

// Showing raises the dialog and makes it the active one (it takes the keys);
// hiding the active dialog activates the topmost other visible one of its owner.
void ShowDialogWindow(WindowHandle dialog, bool show);
WindowHandle ActiveDialog();

// The dialog's surface position in its owner's client pixels.
struct DialogPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
DialogPlace GetDialogPlace(WindowHandle dialog);
void MoveDialogWindow(WindowHandle dialog, int x, int y);
// A control's rectangle in the owner's client pixels (width 0 when there is none).
DialogPlace GetControlPlace(WindowHandle dialog, int controlId);
// The open drop-down list's rectangle in the owner's client pixels (width 0 when closed).
DialogPlace GetDropPlace(WindowHandle dialog);

// Calls the dialog's procedure now; 0 for a dead dialog.
std::intptr_t SendDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam);

// Control operations, each as the control's own message did it.
void SetControlText(WindowHandle dialog, int controlId, const std::string& text);
void AddListItem(WindowHandle dialog, int controlId, const std::string& text);
void InsertListItem(WindowHandle dialog, int controlId, int index, const std::string& text);
void DeleteListItem(WindowHandle dialog, int controlId, int index);
// Selects the entry (-1: none); an editable combo shows its text.
void SelectListItem(WindowHandle dialog, int controlId, int index);
void SetDialogFocus(WindowHandle dialog, int controlId);

// What a key or a typed character does to the dialog, as its keyboard handling
// and its focused control do it (the queue's filter and window procedure call
// these).
void PressDialogKey(WindowHandle dialog, DialogKey key);
// Printable characters go into the focused edit at the caret, within its limit
// (8 erases before the caret), reported as an edit change; a drop-down list
// chooses the next entry that starts with the character.
void TypeDialogChar(WindowHandle dialog, char c);

// The font the dialogs draw with (borrowed for the program's run; null: frames only).
void SetDialogFont(FontFace* font);

// What a control shows for the state.
DialogControlView DialogViewOf(const DialogState& state, const DialogControl& control);

// Whether the owner's picture needs the dialogs laid over it again: a dialog is
// shown over it, or was at the last lay.
bool DialogsOverOwner(WindowHandle owner);
// Paints the owner's visible dialogs (and an open drop-down list) over the frame,
// a 32-bit picture of the owner's client size; true when any was laid.
bool LayDialogs(WindowHandle owner, Surface& frame);

}  // namespace platform
