#include "platform/DialogTemplate.h"

#include "platform/DrawContext.h"

#include <algorithm>

namespace platform {

namespace {

constexpr ColourRef kBlack = 0x00000000;
constexpr ColourRef kShadow = 0x00808080;
constexpr ColourRef kWhite = 0x00FFFFFF;
constexpr ColourRef kProgressFill = 0x006A240A;
constexpr int kTitleHeight = kDialogTitleHeight;

void Fill(DrawContext& dc, int left, int top, int right, int bottom, ColourRef colour) {
    const Pen pen{false, 1, colour};
    const Brush brush{false, colour};
    dc.SelectPen(pen);
    dc.SelectBrush(brush);
    dc.Rectangle(left, top, right, bottom);
    dc.SelectPen(StockBlackPen());
    dc.SelectBrush(StockNullBrush());
}

void Frame(DrawContext& dc, int left, int top, int right, int bottom, ColourRef colour, int width = 1) {
    const Pen pen{false, width, colour};
    dc.SelectPen(pen);
    dc.SelectBrush(StockNullBrush());
    dc.Rectangle(left, top, right, bottom);
    dc.SelectPen(StockBlackPen());
}

// The label without its "&" marks ("&&" shows one "&").
std::string Label(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

void Text(DrawContext& dc, int x, int y, const std::string& text, ColourRef colour) {
    if (dc.CurrentFont() == nullptr) return;
    dc.SetTextColour(colour);
    dc.SetBackgroundMode(BackgroundMode::Transparent);
    dc.TextOut(x, y, text);
}

int TextTop(const DrawContext& dc, int top, int height) {
    const FontFace* font = dc.CurrentFont();
    const int textHeight = font != nullptr ? font->Metrics().height : 0;
    return top + (height - textHeight) / 2;
}

}  // namespace

int DialogTextWidth(FontFace* font, const std::string& text) {
    if (font == nullptr) return static_cast<int>(text.size()) * kDialogFallbackCharWidth;
    int width = 0;
    for (const unsigned char c : text) width += font->GetGlyph(c).advance;
    return width;
}

void PaintDialog(Surface& surface, const DialogTemplate& dialog, FontFace* font,
                 const std::function<DialogControlView(const DialogControl&)>& view,
                 const std::function<void(Surface&, const DialogControl&)>& ownerDraw) {
    DrawContext dc(&surface);
    dc.SelectFont(font);
    const int w = dialog.width;
    const int h = DialogSurfaceHeight(dialog);
    Fill(dc, 0, 0, w, h, kDialogFace);
    Frame(dc, 0, 0, w, h, kBlack);
    Fill(dc, 1, 1, w - 1, kTitleHeight, kDialogTitle);
    Text(dc, 6, TextTop(dc, 1, kTitleHeight - 1), dialog.title, kWhite);
    for (const DialogControl& c : dialog.controls) {
        const DialogControlView v = view ? view(c) : DialogControlView();
        const int left = c.x;
        const int top = c.y + kTitleHeight;
        const int right = left + c.width;
        const int bottom = top + c.height;
        const int textTop = TextTop(dc, top, c.height);
        switch (c.kind) {
            case DialogControlKind::Static:
                Text(dc, left, textTop, Label(v.text.empty() ? c.text : v.text), kBlack);
                break;
            case DialogControlKind::CentredStatic:
            case DialogControlKind::RightStatic: {
                const std::string label = Label(v.text.empty() ? c.text : v.text);
                const int textWidth = font != nullptr ? dc.GetTextExtent(label).cx : 0;
                const int x = c.kind == DialogControlKind::RightStatic ? right - textWidth
                                                                       : left + (c.width - textWidth) / 2;
                Text(dc, x, textTop, label, kBlack);
                break;
            }
            case DialogControlKind::Edit:
            case DialogControlKind::PasswordEdit:
            case DialogControlKind::ReadOnlyEdit:
            case DialogControlKind::EditableCombo:
            case DialogControlKind::DropList: {
                const bool readOnly = c.kind == DialogControlKind::ReadOnlyEdit;
                Fill(dc, left, top, right, bottom, readOnly || v.disabled ? kDialogFace : kDialogField);
                Frame(dc, left, top, right, bottom, v.focused ? kBlack : kShadow, v.focused ? 2 : 1);
                std::string shown =
                    c.kind == DialogControlKind::PasswordEdit ? std::string(v.text.size(), '*') : v.text;
                Text(dc, left + 4, textTop, shown, kBlack);
                if (v.focused && v.caret >= 0 && !readOnly && c.kind != DialogControlKind::DropList) {
                    const std::size_t at = std::min(static_cast<std::size_t>(v.caret), shown.size());
                    const int caretX = left + 4 + DialogTextWidth(font, shown.substr(0, at));
                    dc.MoveTo({caretX, top + 3});
                    dc.LineTo({caretX, bottom - 3});
                }
                if (c.kind == DialogControlKind::EditableCombo || c.kind == DialogControlKind::DropList) {
                    const int arrow = c.height;
                    Fill(dc, right - arrow, top + 1, right - 1, bottom - 1, kDialogFace);
                    for (int i = 0; i < 4; ++i) {
                        dc.MoveTo({right - arrow / 2 - 4 + i, top + c.height / 2 - 2 + i});
                        dc.LineTo({right - arrow / 2 + 4 - i, top + c.height / 2 - 2 + i});
                    }
                }
                break;
            }
            case DialogControlKind::CheckBox:
            case DialogControlKind::RadioButton: {
                const int box = 13;
                const int boxTop = top + (c.height - box) / 2;
                Fill(dc, left, boxTop, left + box, boxTop + box, kDialogField);
                Frame(dc, left, boxTop, left + box, boxTop + box, kShadow);
                if (v.checked) Fill(dc, left + 3, boxTop + 3, left + box - 3, boxTop + box - 3, kBlack);
                Text(dc, left + box + 5, textTop, Label(c.text), v.disabled ? kShadow : kBlack);
                if (v.focused) Frame(dc, left + box + 3, top, right, bottom, kShadow);
                break;
            }
            case DialogControlKind::GroupBox:
                Frame(dc, left, top + 6, right, bottom, kShadow);
                if (font != nullptr) {
                    const std::string label = Label(c.text);
                    const Extent e = dc.GetTextExtent(label);
                    Fill(dc, left + 6, top, left + 10 + e.cx, top + e.cy, kDialogFace);
                    Text(dc, left + 8, top - 1, label, kBlack);
                }
                break;
            case DialogControlKind::Button:
            case DialogControlKind::DefaultButton: {
                Fill(dc, left, top, right, bottom, kDialogFace);
                Frame(dc, left, top, right, bottom, kBlack,
                      c.kind == DialogControlKind::DefaultButton ? 2 : 1);
                const std::string label = Label(c.text);
                const int textWidth = font != nullptr ? dc.GetTextExtent(label).cx : 0;
                Text(dc, left + (c.width - textWidth) / 2, textTop, label, v.disabled ? kShadow : kBlack);
                if (v.focused) Frame(dc, left + 3, top + 3, right - 3, bottom - 3, kShadow);
                break;
            }
            case DialogControlKind::ProgressBar: {
                Fill(dc, left, top, right, bottom, kDialogField);
                Frame(dc, left, top, right, bottom, kShadow);
                const int end = v.progressEnd > 0 ? v.progressEnd : 1;
                const int position = v.progress < 0 ? 0 : v.progress > end ? end : v.progress;
                const int filled = (c.width - 4) * position / end;
                if (filled > 0) Fill(dc, left + 2, top + 2, left + 2 + filled, bottom - 2, kProgressFill);
                break;
            }
            case DialogControlKind::OwnerDrawn:
                if (ownerDraw) ownerDraw(surface, c);
                break;
        }
    }
}

}  // namespace platform

namespace platform {

void LayDialogOver(Surface& picture, const Surface& dialog, int x, int y) {
    if (picture.Depth() != 32 || dialog.Depth() != 32) return;
    for (int row = 0; row < dialog.Height(); ++row) {
        const int py = y + row;
        if (py < 0 || py >= picture.Height()) continue;
        const int first = x < 0 ? -x : 0;
        const int last = x + dialog.Width() > picture.Width() ? picture.Width() - x : dialog.Width();
        if (first >= last) continue;
        const std::uint8_t* from = dialog.Row(row) + first * 4;
        std::uint8_t* to = picture.Row(py) + (x + first) * 4;
        for (int i = 0; i < (last - first) * 4; ++i) to[i] = from[i];
    }
}

}  // namespace platform

namespace platform {

bool IsTabStop(const DialogControl& control) {
    switch (control.kind) {
        case DialogControlKind::Static:
        case DialogControlKind::CentredStatic:
        case DialogControlKind::RightStatic:
        case DialogControlKind::GroupBox:
        case DialogControlKind::OwnerDrawn:
        case DialogControlKind::ProgressBar:
        case DialogControlKind::ReadOnlyEdit:
            return false;
        default:
            return control.id > 0;
    }
}

int NextTabStop(const DialogTemplate& dialog, int currentId, bool backwards) {
    std::vector<int> stops;
    for (const DialogControl& c : dialog.controls) {
        if (IsTabStop(c)) stops.push_back(c.id);
    }
    if (stops.empty()) return currentId;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (stops[i] == currentId) {
            return backwards ? stops[(i + stops.size() - 1) % stops.size()] : stops[(i + 1) % stops.size()];
        }
    }
    return stops.front();
}

int DefaultButtonId(const DialogTemplate& dialog) {
    for (const DialogControl& c : dialog.controls) {
        if (c.kind == DialogControlKind::DefaultButton) return c.id;
    }
    return 1;
}

std::vector<int> RadioGroupOf(const DialogTemplate& dialog, int controlId) {
    std::vector<int> group;
    bool found = false;
    for (const DialogControl& c : dialog.controls) {
        if (c.kind == DialogControlKind::RadioButton) {
            group.push_back(c.id);
            found = found || c.id == controlId;
        } else if (!group.empty()) {
            if (found) return group;
            group.clear();
        }
    }
    return found ? group : std::vector<int>();
}

const DialogControl* FindDialogControl(const DialogTemplate& dialog, int controlId) {
    for (const DialogControl& c : dialog.controls) {
        if (c.id == controlId) return &c;
    }
    return nullptr;
}

}  // namespace platform
