#include "platform/DialogWindow.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "platform/DrawContext.h"
#include "platform/MessageQueue.h"

namespace platform {

namespace {

// The game's presentation size, where a dialog is centred before its owner has
// been presented once.
constexpr int kDefaultOwnerWidth = 640;
constexpr int kDefaultOwnerHeight = 480;

struct Dialog {
    WindowHandle handle = nullptr;
    WindowHandle owner = nullptr;
    DialogTemplate layout;
    DialogProc proc;
    DialogState state;
    int x = 0;
    int y = 0;
    bool destroyed = false;
    int holds = 0;  // calls into the dialog still running
    std::unique_ptr<Surface> surface;
    std::unique_ptr<Surface> drop;
};

struct Toolkit {
    std::map<WindowHandle, std::unique_ptr<Dialog>> dialogs;
    std::vector<WindowHandle> order;  // live dialogs, bottom first
    WindowHandle active = nullptr;
    std::uintptr_t next = 1;
    FontFace* font = nullptr;
    bool shift = false;  // Shift held, as the keys have told
    std::map<WindowHandle, std::pair<int, int>> ownerSizes;
    std::set<WindowHandle> laid;  // owners with dialogs over them at the last lay
};

// Never destroyed: dialogs owned by other statics may be destroyed at exit after it.
Toolkit& Kit() {
    static Toolkit* kit = new Toolkit;
    return *kit;
}

Dialog* Find(WindowHandle handle) {
    if (handle == nullptr) return nullptr;
    const auto it = Kit().dialogs.find(handle);
    return it == Kit().dialogs.end() || it->second->destroyed ? nullptr : it->second.get();
}

// Keeps a dialog's memory while a call into it runs; the last one out frees a
// dialog that was destroyed meanwhile.
class Hold {
  public:
    explicit Hold(Dialog* d) : d_(d) {
        if (d_ != nullptr) ++d_->holds;
    }
    ~Hold() {
        if (d_ != nullptr && --d_->holds == 0 && d_->destroyed) Kit().dialogs.erase(d_->handle);
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

  private:
    Dialog* d_;
};

std::intptr_t Send(Dialog* d, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (d == nullptr || d->destroyed || !d->proc) return 0;
    Hold hold(d);
    const DialogProc proc = d->proc;  // the procedure may replace itself
    return proc(d->handle, message, wParam, lParam);
}

void Notify(Dialog* d, int controlId, ControlNotify code) {
    Send(d, Num(WinMsg::Command), MakeCommandParam(controlId, code), 0);
}

const DialogControl* Control(const Dialog& d, int controlId) {
    return FindDialogControl(d.layout, controlId);
}

bool IsEditKind(DialogControlKind k) {
    return k == DialogControlKind::Edit || k == DialogControlKind::PasswordEdit ||
           k == DialogControlKind::EditableCombo;
}

bool IsListKind(DialogControlKind k) {
    return k == DialogControlKind::EditableCombo || k == DialogControlKind::DropList;
}

bool IsButtonKind(DialogControlKind k) {
    return k == DialogControlKind::Button || k == DialogControlKind::DefaultButton;
}

std::pair<int, int> OwnerSize(WindowHandle owner) {
    const auto it = Kit().ownerSizes.find(owner);
    return it != Kit().ownerSizes.end() ? it->second : std::pair{kDefaultOwnerWidth, kDefaultOwnerHeight};
}

int SurfaceHeight(const Dialog& d) {
    return DialogSurfaceHeight(d.layout);
}

int Caret(const DialogState& s, int controlId) {
    const std::size_t size = s.texts.contains(controlId) ? s.texts.at(controlId).size() : 0;
    const auto it = s.carets.find(controlId);
    if (it == s.carets.end() || it->second < 0) return static_cast<int>(size);
    return std::min(it->second, static_cast<int>(size));
}

int ItemCount(const DialogState& s, int controlId) {
    const auto it = s.items.find(controlId);
    return it == s.items.end() ? 0 : static_cast<int>(it->second.size());
}

int Selection(const DialogState& s, int controlId) {
    const auto it = s.selections.find(controlId);
    return it == s.selections.end() ? -1 : it->second;
}

// The drop-down list's rectangle on the dialog's surface (it may reach past it).
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(int px, int py) const { return px >= left && px < right && py >= top && py < bottom; }
};

int DropRows(const Dialog& d, int controlId) {
    return std::max(1, std::min(kDropRows, ItemCount(d.state, controlId)));
}

Box DropBox(const Dialog& d) {
    const DialogControl* c = Control(d, d.state.dropOpen);
    if (c == nullptr) return {};
    const int height = DropRows(d, c->id) * kDropRowHeight + 2;
    const int below = c->y + kDialogTitleHeight + c->height;
    // Above the control when the list would leave the owner's picture below it.
    const int top =
        d.y + below + height > OwnerSize(d.owner).second ? c->y + kDialogTitleHeight - height : below;
    return Box{c->x, top, c->x + c->width, top + height};
}

Box ControlBox(const DialogControl& c) {
    return Box{c.x, c.y + kDialogTitleHeight, c.x + c.width, c.y + kDialogTitleHeight + c.height};
}

void KeepSelectionShown(Dialog& d) {
    const int id = d.state.dropOpen;
    if (id == 0) return;
    const int rows = DropRows(d, id);
    const int count = ItemCount(d.state, id);
    const int selected = Selection(d.state, id);
    int& top = d.state.dropTop;
    if (selected >= 0 && selected < top) top = selected;
    if (selected >= top + rows) top = selected - rows + 1;
    top = std::clamp(top, 0, std::max(0, count - rows));
}

void OpenDrop(Dialog& d, int controlId) {
    d.state.dropOpen = controlId;
    d.state.dropTop = std::max(0, Selection(d.state, controlId));
    KeepSelectionShown(d);
}

void CloseDrop(Dialog& d) {
    d.state.dropOpen = 0;
}

void Focus(Dialog& d, int controlId) {
    if (d.state.dropOpen != 0 && d.state.dropOpen != controlId) CloseDrop(d);
    d.state.focus = controlId;
}

// Chooses a list entry as the user does, and tells the procedure.
void Choose(Dialog* d, int controlId, int index) {
    const DialogControl* c = Control(*d, controlId);
    if (c == nullptr || index < 0 || index >= ItemCount(d->state, controlId)) return;
    d->state.selections[controlId] = index;
    if (c->kind == DialogControlKind::EditableCombo) {
        d->state.texts[controlId] = d->state.items[controlId][static_cast<std::size_t>(index)];
        d->state.carets.erase(controlId);
    }
    KeepSelectionShown(*d);
    Notify(d, controlId, ControlNotify::ComboSelChange);
}

bool IsDisabled(const DialogState& s, int controlId) {
    return s.disabled.contains(controlId);
}

void CheckRadio(Dialog& d, int controlId) {
    for (int radio : RadioGroupOf(d.layout, controlId)) d.state.checks[radio] = radio == controlId;
}

// A button, check box or radio button pressed (by mouse, Space, Enter or its letter).
void Click(Dialog* d, const DialogControl& c) {
    if (IsDisabled(d->state, c.id)) return;
    if (c.kind == DialogControlKind::CheckBox) {
        d->state.checks[c.id] = !d->state.checks[c.id];
    } else if (c.kind == DialogControlKind::RadioButton) {
        CheckRadio(*d, c.id);
    }
    Notify(d, c.id, ControlNotify::Clicked);
}

int CaretAt(const DialogControl& c, const std::string& text, int px) {
    const std::string shown =
        c.kind == DialogControlKind::PasswordEdit ? std::string(text.size(), '*') : text;
    const int offset = px - (c.x + 4);
    int best = 0;
    int bestDistance = std::abs(offset);
    for (std::size_t i = 1; i <= shown.size(); ++i) {
        const int distance = std::abs(offset - DialogTextWidth(Kit().font, shown.substr(0, i)));
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}


const DialogControl* HitControl(const Dialog& d, int px, int py) {
    const DialogControl* hit = nullptr;
    for (const DialogControl& c : d.layout.controls) {
        if (c.kind == DialogControlKind::Static || c.kind == DialogControlKind::GroupBox ||
            c.kind == DialogControlKind::CentredStatic || c.kind == DialogControlKind::RightStatic ||
            IsDisabled(d.state, c.id))
            continue;
        if (ControlBox(c).Contains(px, py)) hit = &c;
    }
    return hit;
}

void DropClick(Dialog* d, int px, int py) {
    const Box box = DropBox(*d);
    const int id = d->state.dropOpen;
    const int count = ItemCount(d->state, id);
    const int rows = DropRows(*d, id);
    const int last = std::max(0, count - rows);
    if (count > rows && px >= box.right - kDropStripWidth) {
        // The scroll strip: an arrow cell at each end scrolls a row, the track between a page.
        int& top = d->state.dropTop;
        if (py < box.top + kDropStripWidth)
            --top;
        else if (py >= box.bottom - kDropStripWidth)
            ++top;
        else
            top += py < (box.top + box.bottom) / 2 ? -rows : rows;
        top = std::clamp(top, 0, last);
        return;
    }
    const int row = (py - box.top - 1) / kDropRowHeight;
    const int index = d->state.dropTop + std::clamp(row, 0, rows - 1);
    CloseDrop(*d);
    Choose(d, id, index);
}

void MouseDown(Dialog* d, int px, int py) {
    if (d->state.dropOpen != 0) {
        if (DropBox(*d).Contains(px, py)) {
            DropClick(d, px, py);
            return;
        }
        const int open = d->state.dropOpen;
        CloseDrop(*d);
        // A press on the list's own control only closes it.
        if (const DialogControl* c = HitControl(*d, px, py); c != nullptr && c->id == open) return;
    }
    const DialogControl* c = HitControl(*d, px, py);
    if (c == nullptr || IsDisabled(d->state, c->id)) return;
    if (IsTabStop(*c)) Focus(*d, c->id);
    switch (c->kind) {
        case DialogControlKind::Edit:
        case DialogControlKind::PasswordEdit:
            d->state.carets[c->id] = CaretAt(*c, d->state.texts[c->id], px);
            return;
        case DialogControlKind::EditableCombo:
            if (px >= c->x + c->width - c->height)
                OpenDrop(*d, c->id);
            else
                d->state.carets[c->id] = CaretAt(*c, d->state.texts[c->id], px);
            return;
        case DialogControlKind::DropList:
            OpenDrop(*d, c->id);
            return;
        case DialogControlKind::CheckBox:
        case DialogControlKind::RadioButton:
        case DialogControlKind::Button:
        case DialogControlKind::DefaultButton:
            d->state.pressed = c->id;
            return;
        default:
            return;
    }
}

void MouseUp(Dialog* d, int px, int py) {
    const int pressed = d->state.pressed;
    d->state.pressed = 0;
    if (pressed == 0) return;
    const DialogControl* c = HitControl(*d, px, py);
    if (c != nullptr && c->id == pressed) Click(d, *c);
}

// The keys the focused control handles itself: caret keys in an edit, Up and
// Down in a list.
bool ControlKey(Dialog* d, std::uint32_t vk) {
    const DialogControl* c = Control(*d, d->state.focus);
    if (c == nullptr) return false;
    if (IsListKind(c->kind) && (vk == Num(VirtualKey::Up) || vk == Num(VirtualKey::Down))) {
        const int last = ItemCount(d->state, c->id) - 1;
        if (last < 0) return true;
        const int step = vk == Num(VirtualKey::Up) ? -1 : 1;
        const int next = std::clamp(Selection(d->state, c->id) + step, 0, last);
        Choose(d, c->id, next);
        return true;
    }
    if (IsEditKind(c->kind)) {
        const int size = static_cast<int>(d->state.texts[c->id].size());
        int caret = Caret(d->state, c->id);
        if (vk == Num(VirtualKey::Left))
            caret = std::max(0, caret - 1);
        else if (vk == Num(VirtualKey::Right))
            caret = std::min(size, caret + 1);
        else if (vk == Num(VirtualKey::Home))
            caret = 0;
        else if (vk == Num(VirtualKey::End))
            caret = size;
        else if (vk == Num(VirtualKey::Delete)) {
            if (caret >= size) return true;
            d->state.texts[c->id].erase(static_cast<std::size_t>(caret), 1);
            Notify(d, c->id,
                   c->kind == DialogControlKind::EditableCombo ? ControlNotify::ComboEditChange
                                                               : ControlNotify::EditChange);
            return true;
        } else
            return false;
        d->state.carets[c->id] = caret;
        return true;
    }
    if (vk == Num(VirtualKey::Space) && (IsButtonKind(c->kind) || c->kind == DialogControlKind::CheckBox ||
                                         c->kind == DialogControlKind::RadioButton)) {
        Click(d, *c);
        return true;
    }
    return false;
}

// Alt with a letter: the control whose label has "&letter"; a text's letter goes
// to the next control that takes the focus.
void Mnemonic(Dialog* d, char letter) {
    const auto& controls = d->layout.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const std::string& text = controls[i].text;
        const std::size_t amp = text.find('&');
        if (amp == std::string::npos || amp + 1 >= text.size() ||
            std::toupper(static_cast<unsigned char>(text[amp + 1])) != letter)
            continue;
        const DialogControl* target = &controls[i];
        if (!IsTabStop(*target)) {
            target = nullptr;
            for (std::size_t j = i + 1; j < controls.size() && target == nullptr; ++j)
                if (IsTabStop(controls[j])) target = &controls[j];
        }
        if (target == nullptr || IsDisabled(d->state, target->id)) return;
        Focus(*d, target->id);
        if (IsButtonKind(target->kind) || target->kind == DialogControlKind::CheckBox ||
            target->kind == DialogControlKind::RadioButton)
            Click(d, *target);
        return;
    }
}

void Activate(Dialog* d) {
    Toolkit& kit = Kit();
    std::erase(kit.order, d->handle);
    kit.order.push_back(d->handle);
    kit.active = d->handle;
}

void ActivateTopmost(WindowHandle owner) {
    Toolkit& kit = Kit();
    kit.active = nullptr;
    for (auto it = kit.order.rbegin(); it != kit.order.rend(); ++it) {
        const Dialog* d = Find(*it);
        if (d != nullptr && d->owner == owner && d->state.visible) {
            kit.active = d->handle;
            return;
        }
    }
}

bool IsKey(std::uint32_t m) {
    return m >= kKeyFirst && m <= kKeyLast;
}
bool IsMouse(std::uint32_t m) {
    return m >= kMouseFirst && m <= kMouseLast;
}

// Shift as of the key message being served (a press queued behind it has not
// happened yet for it).
void TrackShift(std::uint32_t message, std::uintptr_t wParam) {
    if (wParam == Num(VirtualKey::Shift) &&
        (message == Num(WinMsg::KeyDown) || message == Num(WinMsg::KeyUp)))
        Kit().shift = message == Num(WinMsg::KeyDown);
}

// The queue's input router: mouse input to the dialog under the pointer (or the
// one holding a pressed button), keys to the active dialog.
void Route(WinMessage& m) {
    Toolkit& kit = Kit();
    if (IsKey(m.message)) {
        const Dialog* active = Find(kit.active);
        if (active != nullptr && active->state.visible && Find(m.window) == nullptr)
            m.window = active->handle;
        return;
    }
    if (!IsMouse(m.message) || Find(m.window) != nullptr) return;
    const int x = LowWord(m.lParam);
    const int y = HighWord(m.lParam);
    Dialog* target = nullptr;
    if (m.message == Num(WinMsg::LButtonUp)) {
        for (WindowHandle h : kit.order)
            if (Dialog* d = Find(h); d != nullptr && d->owner == m.window && d->state.pressed != 0)
                target = d;
    }
    for (auto it = kit.order.rbegin(); target == nullptr && it != kit.order.rend(); ++it) {
        Dialog* d = Find(*it);
        if (d == nullptr || d->owner != m.window || !d->state.visible) continue;
        const Box surface{d->x, d->y, d->x + d->layout.width, d->y + SurfaceHeight(*d)};
        Box drop = DropBox(*d);
        drop = Box{drop.left + d->x, drop.top + d->y, drop.right + d->x, drop.bottom + d->y};
        if (surface.Contains(x, y) || (d->state.dropOpen != 0 && drop.Contains(x, y))) target = d;
    }
    const bool press = m.message == Num(WinMsg::LButtonDown) || m.message == Num(WinMsg::RButtonDown) ||
                       m.message == Num(WinMsg::MButtonDown);
    if (target == nullptr) {
        if (press) {
            // A press on the game: the keys go back to it, open lists close.
            kit.active = nullptr;
            for (auto& [h, d] : kit.dialogs)
                if (d->owner == m.window) CloseDrop(*d);
        }
        return;
    }
    if (press) Activate(target);
    m.window = target->handle;
    m.lParam = MakeLParam(x - target->x, y - target->y);
}

// The dialog's window procedure as the queue dispatches to it: the mouse and the
// focused control's own keys are handled here, everything else goes to the
// dialog's procedure.
std::intptr_t DialogWindowProc(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    Dialog* d = Find(handle);
    if (d == nullptr) return 0;
    Hold hold(d);
    switch (message) {
        case Num(WinMsg::LButtonDown):
        case Num(WinMsg::LButtonDblClk):
            MouseDown(d, LowWord(lParam), HighWord(lParam));
            return 0;
        case Num(WinMsg::LButtonUp):
            MouseUp(d, LowWord(lParam), HighWord(lParam));
            return 0;
        case Num(WinMsg::MouseMove):
            return 0;
        case Num(WinMsg::KeyUp):
            TrackShift(message, wParam);
            return Send(d, message, wParam, lParam);
        case Num(WinMsg::KeyDown):
            TrackShift(message, wParam);
            if (!ControlKey(d, static_cast<std::uint32_t>(wParam))) Send(d, message, wParam, lParam);
            return 0;
        case Num(WinMsg::Char):
            TypeDialogChar(handle, static_cast<char>(wParam & 0xFF));
            return 0;
        default:
            return Send(d, message, wParam, lParam);
    }
}

// The queue's dialog filter: the registered dialog's keyboard handling; every
// other message of the dialog goes to its window procedure.
bool FilterDialogMessage(WindowHandle dialog, const WinMessage& m) {
    if (m.window != dialog) return false;
    TrackShift(m.message, m.wParam);
    Dialog* d = Find(dialog);
    if (d == nullptr) return false;
    Hold hold(d);
    const std::uint32_t vk = static_cast<std::uint32_t>(m.wParam);
    if (m.message == Num(WinMsg::KeyDown)) {
        const DialogControl* focused = Control(*d, d->state.focus);
        const bool radio = focused != nullptr && focused->kind == DialogControlKind::RadioButton;
        switch (vk) {
            case Num(VirtualKey::Tab):
                PressDialogKey(dialog, Kit().shift ? DialogKey::ShiftTab : DialogKey::Tab);
                return true;
            case Num(VirtualKey::Return):
                PressDialogKey(dialog, DialogKey::Enter);
                return true;
            case Num(VirtualKey::Escape):
                PressDialogKey(dialog, DialogKey::Escape);
                return true;
            case Num(VirtualKey::Up):
            case Num(VirtualKey::Left):
                if (radio) {
                    PressDialogKey(dialog, DialogKey::Up);
                    return true;
                }
                break;
            case Num(VirtualKey::Down):
            case Num(VirtualKey::Right):
                if (radio) {
                    PressDialogKey(dialog, DialogKey::Down);
                    return true;
                }
                break;
            default:
                break;
        }
    } else if (m.message == Num(WinMsg::Char) && (vk == 9 || vk == 13 || vk == 27)) {
        return true;
    } else if (m.message == Num(WinMsg::SysKeyDown)) {
        if (vk >= Num(VirtualKey::LetterA) && vk < Num(VirtualKey::LetterA) + 26)
            Mnemonic(d, static_cast<char>('A' + (vk - Num(VirtualKey::LetterA))));
        else if (vk >= Num(VirtualKey::Digit0) && vk < Num(VirtualKey::Digit0) + 10)
            Mnemonic(d, static_cast<char>('0' + (vk - Num(VirtualKey::Digit0))));
        return true;
    } else if (m.message == Num(WinMsg::SysChar) || m.message == Num(WinMsg::SysKeyUp)) {
        return true;
    }
    // The pump does not translate what the filter takes: Backspace's character is made here.
    if (m.message == Num(WinMsg::KeyDown))
        if (MessageQueue* queue = MessageQueue::Current()) queue->Translate(m);
    DialogWindowProc(dialog, m.message, m.wParam, m.lParam);
    return true;
}

void HookQueue(MessageQueue& queue) {
    // Every time: a test's next queue may sit where the last one was.
    queue.SetDialogFilter(&FilterDialogMessage);
    queue.SetInputRouter(&Route);
}

void PaintDrop(Dialog& d, FontFace* font) {
    const Box box = DropBox(d);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (!d.drop || d.drop->Width() != width || d.drop->Height() != height)
        d.drop = std::make_unique<Surface>(width, height, 32, false);
    DrawContext dc(d.drop.get());
    dc.SelectFont(font);
    const int id = d.state.dropOpen;
    const auto& items = d.state.items[id];
    const int count = static_cast<int>(items.size());
    const int rows = DropRows(d, id);
    const bool strip = count > rows;
    const int textRight = strip ? width - kDropStripWidth : width;
    // The context keeps pointers to what it selects: these outlive it.
    const Pen none{true, 1, 0};
    const Brush field{false, kDialogField};
    const Brush chosenFill{false, kDialogTitle};
    const Brush face{false, kDialogFace};
    const Brush thumb{false, 0x00808080};
    dc.SelectPen(none);
    dc.SelectBrush(field);
    dc.Rectangle(0, 0, width, height);
    dc.SetBackgroundMode(BackgroundMode::Transparent);
    const int selected = Selection(d.state, id);
    for (int row = 0; row < rows && d.state.dropTop + row < count; ++row) {
        const int index = d.state.dropTop + row;
        const int top = 1 + row * kDropRowHeight;
        const bool chosen = index == selected;
        if (chosen) {
            dc.SelectBrush(chosenFill);
            dc.Rectangle(1, top, textRight - 1, top + kDropRowHeight);
        }
        if (font != nullptr) {
            dc.SetTextColour(chosen ? 0x00FFFFFF : 0x00000000);
            dc.TextOut(4, top + (kDropRowHeight - font->Metrics().height) / 2,
                       items[static_cast<std::size_t>(index)]);
        }
    }
    if (strip) {
        dc.SelectBrush(face);
        dc.Rectangle(textRight, 0, width, height);
        // The thumb shows which part of the list is in view.
        const int track = height - 2 * kDropStripWidth;
        const int thumbTop = kDropStripWidth + track * d.state.dropTop / count;
        const int thumbHeight = std::max(6, track * rows / count);
        dc.SelectBrush(thumb);
        dc.Rectangle(textRight + 3, thumbTop, width - 3, thumbTop + thumbHeight);
        dc.SelectPen(StockBlackPen());
        for (int i = 0; i < 4; ++i) {
            const int cx = textRight + kDropStripWidth / 2;
            dc.MoveTo({cx - 4 + i, 10 - i});
            dc.LineTo({cx + 4 - i, 10 - i});
            dc.MoveTo({cx - 4 + i, height - 10 + i});
            dc.LineTo({cx + 4 - i, height - 10 + i});
        }
    }
    dc.SelectPen(StockBlackPen());
    dc.SelectBrush(StockNullBrush());
    dc.Rectangle(0, 0, width, height);
}

void Paint(Dialog& d) {
    const int width = d.layout.width;
    const int height = SurfaceHeight(d);
    if (!d.surface || d.surface->Width() != width || d.surface->Height() != height)
        d.surface = std::make_unique<Surface>(width, height, 32, false);
    DialogTemplate shown = d.layout;
    shown.title = d.state.title;
    const WindowHandle handle = d.handle;
    PaintDialog(
        *d.surface, shown, Kit().font, [&](const DialogControl& c) { return DialogViewOf(d.state, c); },
        [&](Surface& surface, const DialogControl& c) {
            Dialog* live = Find(handle);
            if (live == nullptr) return;
            const Box b = ControlBox(c);
            DrawItemInfo info{c.id, &surface, b.left, b.top, b.right, b.bottom};
            Send(live, Num(WinMsg::DrawItem), static_cast<std::uintptr_t>(c.id),
                 reinterpret_cast<std::intptr_t>(&info));
        });
}

}  // namespace

WindowHandle CreateDialogWindow(const DialogTemplate& layout, WindowHandle owner, DialogProc proc,
                                std::intptr_t param) {
    MessageQueue* queue = MessageQueue::Current();
    if (queue == nullptr) return nullptr;
    HookQueue(*queue);
    Toolkit& kit = Kit();
    // Handles are never reused, and odd, so no pointer-sized window identity meets them.
    const auto handle = reinterpret_cast<WindowHandle>((kit.next++ << 4) | 0xD1A10000000001u);
    auto d = std::make_unique<Dialog>();
    d->handle = handle;
    d->owner = owner;
    d->layout = layout;
    d->proc = std::move(proc);
    d->state.id = layout.id;
    d->state.title = layout.title;
    const auto [ownerWidth, ownerHeight] = OwnerSize(owner);
    d->x = CentredDialogOffset(ownerWidth, layout.width);
    d->y = CentredDialogOffset(ownerHeight, DialogSurfaceHeight(layout));
    for (const DialogControl& c : layout.controls)
        if (IsTabStop(c)) {
            d->state.focus = c.id;
            break;
        }
    Dialog* raw = d.get();
    kit.dialogs[handle] = std::move(d);
    kit.order.push_back(handle);
    queue->RegisterWindow(handle, WindowClass{&DialogWindowProc, false});
    Send(raw, Num(WinMsg::InitDialog), 0, param);
    return Find(handle) != nullptr ? handle : nullptr;
}

void DestroyDialogWindow(WindowHandle handle) {
    Dialog* d = Find(handle);
    if (d == nullptr) return;
    Hold hold(d);
    Send(d, Num(WinMsg::Destroy), 0, 0);
    if (d->destroyed) return;  // destroyed again from its WM_DESTROY
    d->destroyed = true;
    d->state.visible = false;
    Toolkit& kit = Kit();
    std::erase(kit.order, handle);
    if (MessageQueue* queue = MessageQueue::Current()) queue->UnregisterWindow(handle);
    if (kit.active == handle) ActivateTopmost(d->owner);
}

bool IsDialogWindow(WindowHandle window) {
    return Find(window) != nullptr;
}

std::vector<WindowHandle> DialogWindows() {
    return Kit().order;
}

DialogState* GetDialogState(WindowHandle dialog) {
    Dialog* d = Find(dialog);
    return d != nullptr ? &d->state : nullptr;
}

const DialogTemplate* GetDialogTemplate(WindowHandle dialog) {
    const Dialog* d = Find(dialog);
    return d != nullptr ? &d->layout : nullptr;
}

void ShowDialogWindow(WindowHandle dialog, bool show) {
    Dialog* d = Find(dialog);
    if (d == nullptr) return;
    d->state.visible = show;
    if (show) {
        Activate(d);
    } else {
        CloseDrop(*d);
        d->state.pressed = 0;
        if (Kit().active == dialog) ActivateTopmost(d->owner);
    }
}

WindowHandle ActiveDialog() {
    return Find(Kit().active) != nullptr ? Kit().active : nullptr;
}

DialogPlace GetDialogPlace(WindowHandle dialog) {
    const Dialog* d = Find(dialog);
    return d != nullptr ? DialogPlace{d->x, d->y, d->layout.width, SurfaceHeight(*d)} : DialogPlace{};
}

void MoveDialogWindow(WindowHandle dialog, int x, int y) {
    if (Dialog* d = Find(dialog)) {
        d->x = x;
        d->y = y;
    }
}

DialogPlace GetControlPlace(WindowHandle dialog, int controlId) {
    const Dialog* d = Find(dialog);
    const DialogControl* c = d != nullptr ? Control(*d, controlId) : nullptr;
    if (c == nullptr) return {};
    return DialogPlace{d->x + c->x, d->y + c->y + kDialogTitleHeight, c->width, c->height};
}

DialogPlace GetDropPlace(WindowHandle dialog) {
    const Dialog* d = Find(dialog);
    if (d == nullptr || d->state.dropOpen == 0) return {};
    const Box b = DropBox(*d);
    return DialogPlace{d->x + b.left, d->y + b.top, b.right - b.left, b.bottom - b.top};
}

std::intptr_t SendDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    return Send(Find(dialog), message, wParam, lParam);
}

void SetControlText(WindowHandle dialog, int controlId, const std::string& text) {
    if (Dialog* d = Find(dialog)) {
        d->state.texts[controlId] = text;
        d->state.carets.erase(controlId);
    }
}

void AddListItem(WindowHandle dialog, int controlId, const std::string& text) {
    if (Dialog* d = Find(dialog)) d->state.items[controlId].push_back(text);
}

void InsertListItem(WindowHandle dialog, int controlId, int index, const std::string& text) {
    Dialog* d = Find(dialog);
    if (d == nullptr) return;
    auto& items = d->state.items[controlId];
    const std::size_t at = index < 0 || static_cast<std::size_t>(index) > items.size()
                               ? items.size()
                               : static_cast<std::size_t>(index);
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), text);
    int& selected = d->state.selections.try_emplace(controlId, -1).first->second;
    if (selected >= static_cast<int>(at)) ++selected;
}

void DeleteListItem(WindowHandle dialog, int controlId, int index) {
    Dialog* d = Find(dialog);
    if (d == nullptr) return;
    auto& items = d->state.items[controlId];
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
    items.erase(items.begin() + index);
    int& selected = d->state.selections.try_emplace(controlId, -1).first->second;
    if (selected == index)
        selected = -1;
    else if (selected > index)
        --selected;
    KeepSelectionShown(*d);
}

void SelectListItem(WindowHandle dialog, int controlId, int index) {
    Dialog* d = Find(dialog);
    if (d == nullptr) return;
    const int count = ItemCount(d->state, controlId);
    d->state.selections[controlId] = index >= 0 && index < count ? index : -1;
    const DialogControl* c = Control(*d, controlId);
    if (c != nullptr && c->kind == DialogControlKind::EditableCombo && index >= 0 && index < count) {
        d->state.texts[controlId] = d->state.items[controlId][static_cast<std::size_t>(index)];
        d->state.carets.erase(controlId);
    }
}

void SetDialogFocus(WindowHandle dialog, int controlId) {
    if (Dialog* d = Find(dialog)) Focus(*d, controlId);
}

void PressDialogKey(WindowHandle dialog, DialogKey key) {
    Dialog* d = Find(dialog);
    if (d == nullptr) return;
    Hold hold(d);
    const DialogControl* focused = Control(*d, d->state.focus);
    switch (key) {
        case DialogKey::Tab:
        case DialogKey::ShiftTab: {
            // The next tab stop that is enabled; none enabled leaves the focus.
            int next = d->state.focus;
            for (std::size_t n = 0; n < d->layout.controls.size(); ++n) {
                next = NextTabStop(d->layout, next, key == DialogKey::ShiftTab);
                if (!IsDisabled(d->state, next)) {
                    Focus(*d, next);
                    break;
                }
            }
            return;
        }
        case DialogKey::Enter:
            if (d->state.dropOpen != 0) {
                CloseDrop(*d);
                return;
            }
            Notify(
                d,
                focused != nullptr && IsButtonKind(focused->kind) && !IsDisabled(d->state, focused->id)
                    ? focused->id
                    : DefaultButtonId(d->layout),
                ControlNotify::Clicked);
            return;
        case DialogKey::Escape:
            if (d->state.dropOpen != 0) {
                CloseDrop(*d);
                return;
            }
            Notify(d, kIdCancel, ControlNotify::Clicked);
            return;
        default:
            break;
    }
    if (focused == nullptr) return;
    const bool back = key == DialogKey::Up || key == DialogKey::Left;
    const std::vector<int> group = RadioGroupOf(d->layout, focused->id);
    if (!group.empty()) {
        const auto at =
            static_cast<std::size_t>(std::find(group.begin(), group.end(), focused->id) - group.begin());
        const int next = group[(at + (back ? group.size() - 1 : 1)) % group.size()];
        Focus(*d, next);
        if (const DialogControl* c = Control(*d, next)) Click(d, *c);
        return;
    }
    ControlKey(d, Num(back ? VirtualKey::Up : VirtualKey::Down));
}

void TypeDialogChar(WindowHandle dialog, char c) {
    Dialog* d = Find(dialog);
    if (d == nullptr) return;
    Hold hold(d);
    const DialogControl* focused = Control(*d, d->state.focus);
    if (focused == nullptr) return;
    const auto code = static_cast<unsigned char>(c);
    if (focused->kind == DialogControlKind::DropList) {
        // Type-ahead: the next entry after the chosen one that starts with the character.
        const auto& items = d->state.items[focused->id];
        const int count = static_cast<int>(items.size());
        const int from = Selection(d->state, focused->id);
        for (int step = 1; step <= count; ++step) {
            const int i = ((from < 0 ? -1 : from) + step + count) % count;
            const std::string& item = items[static_cast<std::size_t>(i)];
            if (!item.empty() && std::tolower(static_cast<unsigned char>(item[0])) == std::tolower(code)) {
                Choose(d, focused->id, i);
                return;
            }
        }
        return;
    }
    if (!IsEditKind(focused->kind)) return;
    std::string& text = d->state.texts[focused->id];
    int caret = Caret(d->state, focused->id);
    if (code == 8) {
        if (caret == 0) return;
        text.erase(static_cast<std::size_t>(caret - 1), 1);
        --caret;
    } else {
        if (code < 32) return;
        const auto limit = d->state.limits.find(focused->id);
        if (limit != d->state.limits.end() &&
            text.size() >= static_cast<std::size_t>(std::max(0, limit->second)))
            return;
        text.insert(static_cast<std::size_t>(caret), 1, c);
        ++caret;
    }
    d->state.carets[focused->id] = caret;
    Notify(d, focused->id,
           focused->kind == DialogControlKind::EditableCombo ? ControlNotify::ComboEditChange
                                                             : ControlNotify::EditChange);
}

void SetDialogFont(FontFace* font) {
    Kit().font = font;
}

DialogControlView DialogViewOf(const DialogState& state, const DialogControl& control) {
    DialogControlView v;
    v.focused = state.focus == control.id;
    v.disabled = IsDisabled(state, control.id);
    if (const auto t = state.texts.find(control.id); t != state.texts.end()) v.text = t->second;
    if (control.kind == DialogControlKind::DropList) {
        const auto items = state.items.find(control.id);
        const int selected = Selection(state, control.id);
        v.text.clear();
        if (items != state.items.end() && selected >= 0 &&
            static_cast<std::size_t>(selected) < items->second.size())
            v.text = items->second[static_cast<std::size_t>(selected)];
    }
    if (const auto c = state.checks.find(control.id); c != state.checks.end()) v.checked = c->second;
    if (control.kind == DialogControlKind::ProgressBar) {
        v.progress = state.progress;
        v.progressEnd = state.progressEnd;
    }
    if (v.focused && IsEditKind(control.kind)) v.caret = Caret(state, control.id);
    return v;
}

bool DialogsOverOwner(WindowHandle owner) {
    if (Kit().laid.contains(owner)) return true;
    for (WindowHandle h : Kit().order) {
        const Dialog* d = Find(h);
        if (d != nullptr && d->owner == owner && d->state.visible) return true;
    }
    return false;
}

bool LayDialogs(WindowHandle owner, Surface& frame) {
    Toolkit& kit = Kit();
    kit.ownerSizes[owner] = {frame.Width(), frame.Height()};
    bool any = false;
    const std::vector<WindowHandle> order = kit.order;  // owner-drawn controls may change it
    for (WindowHandle h : order) {
        Dialog* d = Find(h);
        if (d == nullptr || d->owner != owner || !d->state.visible) continue;
        Hold hold(d);
        Paint(*d);
        if (d->destroyed) continue;
        LayDialogOver(frame, *d->surface, d->x, d->y);
        if (d->state.dropOpen != 0 && Control(*d, d->state.dropOpen) != nullptr) {
            PaintDrop(*d, kit.font);
            const Box b = DropBox(*d);
            LayDialogOver(frame, *d->drop, d->x + b.left, d->y + b.top);
        }
        any = true;
    }
    if (any)
        kit.laid.insert(owner);
    else
        kit.laid.erase(owner);
    return any;
}

}  // namespace platform
