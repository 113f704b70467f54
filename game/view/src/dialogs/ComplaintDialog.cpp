#include "game/view/dialogs/ComplaintDialog.h"

#include "framework/MessagePump.h"
#include "game/model/PictureRoomMsgs.h"
#include "platform/DialogWindow.h"
#include "platform/MessageBoxSink.h"

namespace {

namespace id = complaint_ids;
using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogTemplate;

struct State {
    platform::WindowHandle window = nullptr;
    ComplaintCallback callback = nullptr;
    void* cookie = nullptr;
    MsgSender* cookieSender = nullptr;
    ComplaintView* view = nullptr;
    bool languageFiltered = false;
    int lastIndex = -1;
};

State& Dialog() {
    static State state;
    return state;
}

const DialogTemplate& ProblemPlayerTemplate() {
    static const DialogTemplate t{
        id::kProblemPlayer,
        "Problem player",
        324,
        336,
        {
            {0, DialogControlKind::Static, 12, 12, 100, 16, "Player name:"},
            {id::kPlayers, DialogControlKind::DropList, 110, 10, 200, 22, ""},
            {id::kIgnore, DialogControlKind::CheckBox, 12, 44, 300, 18,
             "Don't display chat messages from this player (/ignore)"},
            {id::kComplain, DialogControlKind::CheckBox, 12, 70, 300, 18,
             "File a complaint against this player (/complain)"},
            {0, DialogControlKind::GroupBox, 12, 96, 300, 96, "Reason for complaint"},
            {id::kBadLanguage, DialogControlKind::RadioButton, 24, 116, 200, 18, "&Bad Language"},
            {id::kHarassment, DialogControlKind::RadioButton, 24, 140, 200, 18, "&Harassment"},
            {id::kOther, DialogControlKind::RadioButton, 24, 164, 200, 18, "&Other"},
            {0, DialogControlKind::Static, 12, 200, 200, 16, "Description:"},
            {id::kDescription, DialogControlKind::Edit, 12, 218, 300, 70, ""},
            {platform::kIdOk, DialogControlKind::DefaultButton, 80, 300, 75, 24, "OK"},
            {platform::kIdCancel, DialogControlKind::Button, 170, 300, 75, 24, "Cancel"},
        }};
    return t;
}

const DialogTemplate& NoOneTemplate() {
    static const DialogTemplate t{
        id::kNoOne,
        "Problem Player",
        280,
        102,
        {
            {0, DialogControlKind::CentredStatic, 10, 20, 260, 16,
             "There is no one to complain about at this time."},
            {platform::kIdCancel, DialogControlKind::DefaultButton, 102, 64, 75, 24, "OK"},
        }};
    return t;
}

platform::DialogState* Controls() {
    return Dialog().window != nullptr ? platform::GetDialogState(Dialog().window) : nullptr;
}

bool Checked(const platform::DialogState& s, int control) {
    const auto c = s.checks.find(control);
    return c != s.checks.end() && c->second;
}

void SetEnabled(platform::DialogState& s, int control, bool enabled) {
    if (enabled) {
        s.disabled.erase(control);
    } else {
        s.disabled.insert(control);
    }
}

std::string Selected(const platform::DialogState& s, int index) {
    const auto items = s.items.find(id::kPlayers);
    if (items == s.items.end() || index < 0 || static_cast<std::size_t>(index) >= items->second.size())
        return "";
    return items->second[static_cast<std::size_t>(index)];
}

int Selection(const platform::DialogState& s) {
    const auto it = s.selections.find(id::kPlayers);
    return it != s.selections.end() ? it->second : -1;
}

void OnPlayerChosen() {
    platform::DialogState* s = Controls();
    if (s == nullptr) return;
    const int index = Selection(*s);
    if (index < 0 || index == Dialog().lastIndex) return;
    SetEnabled(*s, id::kIgnore, true);
    SetEnabled(*s, id::kComplain, true);
    Dialog().lastIndex = index;
    s->checks[id::kIgnore] = Dialog().view != nullptr && Dialog().view->IsPlayerIgnored(Selected(*s, index));
}

void OnComplainClicked() {
    platform::DialogState* s = Controls();
    if (s == nullptr) return;
    const bool on = Checked(*s, id::kComplain);
    for (int control : {id::kHarassment, id::kOther, id::kDescription}) SetEnabled(*s, control, on);
    if (Dialog().languageFiltered) SetEnabled(*s, id::kBadLanguage, on);
}

void Report(std::int32_t code) {
    const State& d = Dialog();
    if (d.callback != nullptr) d.callback(code, 0, d.cookie);
}

void OnOk() {
    platform::DialogState* s = Controls();
    if (s == nullptr) return;
    const int index = Selection(*s);
    if (index < 0) {
        platform::MessageBoxSink::Current().Show("Problem Player Error",
                                                 "Please select a Problem Player from the list.",
                                                 platform::Num(platform::BoxStyle::Ok));
        if (Dialog().window != nullptr) platform::SetDialogFocus(Dialog().window, id::kPlayers);
        return;
    }
    // The name whole, as the list holds it.
    const std::string name = Selected(*s, index);
    ComplaintView* view = Dialog().view;
    const bool ignore = Checked(*s, id::kIgnore);
    if (view != nullptr && ignore != view->IsPlayerIgnored(name)) view->ToggleIgnore(name);
    if (Checked(*s, id::kComplain)) {
        std::int32_t reason = 0;
        if (Checked(*s, id::kBadLanguage)) reason = 1;
        if (Checked(*s, id::kHarassment)) reason = 2;
        if (Checked(*s, id::kOther)) reason = 3;
        std::string text = s->texts[id::kDescription];
        if (text.size() > static_cast<std::size_t>(id::kDescriptionLength))
            text.resize(id::kDescriptionLength);
        if (view != nullptr) {
            view->Receive(ComplaintRoomMsg(name, reason, ComplaintDescription(text)), Dialog().cookieSender);
        }
    }
    Report(0);
}

std::intptr_t Procedure(platform::WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t /*lParam*/) {
    using platform::ControlNotify;
    using platform::Num;
    using platform::WinMsg;
    if (message == Num(WinMsg::InitDialog)) {
        xSetModelessDialog(dialog);
        return 1;
    }
    if (message == Num(WinMsg::Destroy)) {
        xClearModelessDialog(dialog);
        return 0;
    }
    if (message != Num(WinMsg::Command)) return 0;
    const int control = static_cast<int>(wParam & 0xFFFF);
    const auto code = static_cast<std::uint32_t>((wParam >> 16) & 0xFFFF);
    if (control == id::kPlayers) {
        OnPlayerChosen();
    } else if (control == id::kComplain && code == Num(ControlNotify::Clicked)) {
        OnComplainClicked();
    } else if (control == platform::kIdOk && code == Num(ControlNotify::Clicked)) {
        OnOk();
    } else if (control == platform::kIdCancel && code == Num(ControlNotify::Clicked)) {
        Report(1);
    }
    return 1;
}

}  // namespace

std::string ComplaintDescription(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\r' || text[i] == '\n') {
            while (i < text.size() && (text[i] == '\r' || text[i] == '\n')) ++i;
            out += ' ';
        } else {
            out += text[i++];
        }
    }
    return out.empty() ? "NONE" : out;
}

platform::WindowHandle OpenComplaintDialog(platform::WindowHandle owner, ComplaintCallback callback,
                                           void* cookie, MsgSender* cookieSender,
                                           const std::vector<std::string>& players, bool languageFiltered,
                                           ComplaintView* view) {
    State& d = Dialog();
    if (d.window != nullptr) return nullptr;
    d.callback = callback;
    d.cookie = cookie;
    d.cookieSender = cookieSender;
    d.view = view;
    d.languageFiltered = languageFiltered;
    d.lastIndex = -1;
    const bool anyone = players.size() > 1;
    const platform::WindowHandle window = platform::CreateDialogWindow(
        anyone ? ProblemPlayerTemplate() : NoOneTemplate(), owner, &Procedure, 0);
    if (window == nullptr) return nullptr;
    d.window = window;
    if (anyone) {
        platform::DialogState* s = platform::GetDialogState(window);
        // The list is sorted; the local player is not in it.
        std::vector<std::string> names;
        const std::string self = view != nullptr ? view->GetLocalPlayerName() : std::string();
        for (const std::string& name : players) {
            if (name != self) names.push_back(name);
        }
        std::stable_sort(names.begin(), names.end());
        s->items[id::kPlayers] = names;
        s->selections[id::kPlayers] = -1;
        s->checks[id::kIgnore] = false;
        s->checks[id::kComplain] = false;
        s->checks[id::kBadLanguage] = languageFiltered;
        s->checks[id::kHarassment] = !languageFiltered;
        s->checks[id::kOther] = false;
        for (int control = id::kIgnore; control <= id::kDescription; ++control)
            SetEnabled(*s, control, false);
        s->limits[id::kDescription] = id::kDescriptionLength;
        s->texts[id::kDescription].clear();
    }
    platform::ShowDialogWindow(window, true);
    return window;
}

void CloseComplaintDialog(bool report) {
    State& d = Dialog();
    if (d.window == nullptr) return;
    const platform::WindowHandle window = d.window;
    d.window = nullptr;
    platform::DestroyDialogWindow(window);
    if (report) Report(2);
}

bool IsComplaintDialogOpen() {
    return Dialog().window != nullptr;
}

void HideComplaintDialog() {
    if (Dialog().window != nullptr) platform::ShowDialogWindow(Dialog().window, false);
}

void RestoreComplaintDialog() {
    if (Dialog().window != nullptr) platform::ShowDialogWindow(Dialog().window, true);
}

platform::WindowHandle ComplaintDialogWindow() {
    return Dialog().window;
}
