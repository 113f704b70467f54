#pragma once

// Dialogs drawn inside the game window: a template in code (our own layout, in
// pixels) and a painter that draws a dialog's controls, with their current state,
// into a 32-bit surface of the dialog's own, which the window lays over the game's
// picture.

#include <functional>
#include <string>
#include <vector>

#include "platform/FontFace.h"
#include "platform/Surface.h"

namespace platform {

enum class DialogControlKind {
    Static,  // left-aligned text
    CentredStatic,
    RightStatic,
    Edit,
    PasswordEdit,
    ReadOnlyEdit,
    EditableCombo,
    DropList,
    CheckBox,
    RadioButton,
    GroupBox,
    Button,
    DefaultButton,
    ProgressBar,
    OwnerDrawn,
};

struct DialogControl {
    int id = 0;  // 0 or -1 for texts nobody addresses
    DialogControlKind kind = DialogControlKind::Static;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string text;  // the label; "&" marks the Alt letter
};

// Controls sit in the client area, below the title bar.
inline constexpr int kDialogTitleHeight = 20;

struct DialogTemplate {
    int id = 0;
    std::string title;
    int width = 0;
    int height = 0;  // of the client area; the painted dialog adds the title bar
    std::vector<DialogControl> controls;
};

// What a control shows now.
struct DialogControlView {
    std::string text;  // an edit's or list's text (a drop list's selected entry)
    bool checked = false;
    bool focused = false;
    bool disabled = false;  // its label is drawn grey
    int progress = 0;
    int progressEnd = 100;
    int caret = -1;  // a focused edit's caret, characters from the start; -1: none shown
};

// Width in pixels of a text in the dialogs' font; without a font every character
// counts kDialogFallbackCharWidth (so caret placement works headless too).
inline constexpr int kDialogFallbackCharWidth = 7;
int DialogTextWidth(FontFace* font, const std::string& text);

// The painted dialog's height: the client area and the title bar.
inline int DialogSurfaceHeight(const DialogTemplate& dialog) {
    return dialog.height + kDialogTitleHeight;
}

// Paints the dialog (frame, title bar and every control) into a 32-bit surface of
// the template's width and DialogSurfaceHeight. The font may be null (frames and fills only). ownerDraw,
// when given, draws the owner-drawn controls.
void PaintDialog(Surface& surface, const DialogTemplate& dialog, FontFace* font,
                 const std::function<DialogControlView(const DialogControl&)>& view,
                 const std::function<void(Surface&, const DialogControl&)>& ownerDraw = {});

// Colours of the painted dialogs, 0x00BBGGRR.
inline constexpr std::uint32_t kDialogFace = 0x00C8D0D4;
inline constexpr std::uint32_t kDialogTitle = 0x006A240A;
inline constexpr std::uint32_t kDialogField = 0x00FFFFFF;

}  // namespace platform

namespace platform {

// Lays a painted dialog (32-bit) over a 32-bit picture at (x, y), clipped to it;
// this is how a window shows its dialogs over the game's converted frame.
void LayDialogOver(Surface& picture, const Surface& dialog, int x, int y);

// Where a dialog of that size sits centred over a picture.
inline int CentredDialogOffset(int pictureSize, int dialogSize) {
    return pictureSize > dialogSize ? (pictureSize - dialogSize) / 2 : 0;
}

}  // namespace platform

namespace platform {

// The keys a dialog handles itself.
enum class DialogKey { Tab, ShiftTab, Enter, Escape, Up, Down, Left, Right };

// Whether the control takes the focus (texts, group boxes, pictures and read-only
// displays do not).
bool IsTabStop(const DialogControl& control);
// The next (or, backwards, the previous) tab stop after the control, in template
// order, wrapping; the first tab stop when the id is not one.
int NextTabStop(const DialogTemplate& dialog, int currentId, bool backwards);
// The default button's id; 1 when the template has none.
int DefaultButtonId(const DialogTemplate& dialog);
// The radio buttons next to each other in template order with the control (empty
// when it is not a radio button).
std::vector<int> RadioGroupOf(const DialogTemplate& dialog, int controlId);
// The control of the id, null when the template has none.
const DialogControl* FindDialogControl(const DialogTemplate& dialog, int controlId);

}  // namespace platform
