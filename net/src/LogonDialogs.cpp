#include "net/LogonDialogs.h"

#include <ctime>
#include <utility>

#include "framework/MessagePump.h"
#include "net/LogonDialogData.h"
#include "net/LogonDialogTemplates.h"
#include "platform/DrawContext.h"
#include "platform/MessageBoxSink.h"
#include "platform/MessageQueue.h"

namespace {

namespace id = logon_ids;

constexpr int kSavePassword = 1001;
constexpr int kNewMember = 1000;
constexpr int kCancel = 2;
constexpr int kOk = 1;
constexpr int kCaption = 1065;
constexpr int kOneFieldEdit = 1072;
constexpr int kOneFieldLine1 = 1073;
constexpr int kWork = 1044;
constexpr int kSchool = 1045;

bool gSimulate = false;
std::unique_ptr<LogonDialogs> gDialogs;

void RegistrationBox(const char* text) {
    const std::uint32_t style = platform::BoxStyle::TaskModal | platform::BoxStyle::TopMost |
                                static_cast<std::uint32_t>(platform::BoxStyle::IconStop);
    platform::MessageBoxSink::Current().Beep(style);
    platform::MessageBoxSink::Current().Show("Registration", text, style);
}

std::vector<std::string> Entries(LogonChoiceList list) {
    std::vector<std::string> out;
    for (const char* e : LogonChoices(list)) out.emplace_back(e);
    return out;
}

// The optional page's lists, by control, with the stored field each one fills.
struct OptionalList {
    int control;
    LogonChoiceList list;
    int RegistrationFields::*field;
};
constexpr OptionalList kOptionalLists[] = {
    {id::kOccupation, LogonChoiceList::Occupation, &RegistrationFields::occupation},
    {id::kEducation, LogonChoiceList::Education, &RegistrationFields::education},
    {id::kIncome, LogonChoiceList::Income, &RegistrationFields::income},
    {id::kProcessor, LogonChoiceList::Processor, &RegistrationFields::processor},
    {id::kMemory, LogonChoiceList::Memory, &RegistrationFields::memory},
    {id::kMonitor, LogonChoiceList::Monitor, &RegistrationFields::monitor},
    {id::kConnectionSpeed, LogonChoiceList::ConnectionSpeed, &RegistrationFields::connectionSpeed},
};

// A stored list position that no entry has falls back to "Select".
int Clamp(int position, std::size_t count) {
    return position >= 0 && static_cast<std::size_t>(position) < count ? position : 0;
}

}  // namespace

LogonDialogs::LogonDialogs(platform::WindowHandle owner, HttpClient& client, LogonCompletion completion,
                           std::intptr_t user, LogonPages pages, platform::Registry& registry)
    : owner_(owner),
      exchange_(std::make_unique<LogonExchange>(*this, client, completion, user, std::move(pages), registry)),
      registry_(registry) {}

LogonDialogs::~LogonDialogs() {
    // The windows go first, while their procedure can still look at this object.
    const std::map<int, platform::WindowHandle> windows = windows_;
    for (const auto& [id, window] : windows) platform::DestroyDialogWindow(window);
    UnregisterLogonDialogs();
}

platform::WindowHandle LogonDialogs::Window(int dialogId) const {
    const auto it = windows_.find(dialogId);
    return it == windows_.end() ? nullptr : it->second;
}

LogonDialogState* LogonDialogs::Find(int dialogId) {
    return platform::GetDialogState(Window(dialogId));
}

LogonDialogState* LogonDialogs::Make(int dialogId, const char* title) {
    Destroy(dialogId);
    const platform::WindowHandle window = platform::CreateDialogWindow(
        LogonDialogTemplate(dialogId), owner_,
        [this, dialogId](platform::WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) { return Procedure(dialogId, message, wParam, lParam); },
        0);
    if (window == nullptr) return nullptr;
    windows_[dialogId] = window;
    Register(dialogId);
    LogonDialogState* d = platform::GetDialogState(window);
    d->title = title;
    return d;
}

void LogonDialogs::Register(int dialogId) {
    UnregisterLogonDialogs();
    xSetModelessDialog(Window(dialogId));
}

void LogonDialogs::UnregisterLogonDialogs() {
    for (const auto& [id, window] : windows_) xClearModelessDialog(window);
}

void LogonDialogs::Destroy(int dialogId) {
    const platform::WindowHandle window = Window(dialogId);
    if (window == nullptr) return;
    windows_.erase(dialogId);
    xClearModelessDialog(window);
    platform::DestroyDialogWindow(window);
    // A dialog that goes hands the pump back to the logon dialog.
    if (dialogId != kLogon && Window(kLogon) != nullptr) Register(kLogon);
}

void LogonDialogs::Show(int dialogId, bool show) {
    platform::ShowDialogWindow(Window(dialogId), show);
}

void LogonDialogs::Focus(int dialogId, int controlId) {
    platform::SetDialogFocus(Window(dialogId), controlId);
}

std::intptr_t LogonDialogs::Procedure(int dialogId, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    using platform::ControlNotify;
    using platform::Num;
    using platform::WinMsg;
    switch (message) {
        case Num(WinMsg::Command): {
            const int control = static_cast<int>(wParam & 0xFFFF);
            const auto code = static_cast<std::uint32_t>((wParam >> 16) & 0xFFFF);
            if (code == Num(ControlNotify::Clicked))
                Command(dialogId, control);
            else if (code == Num(ControlNotify::ComboSelChange))
                SelectionChanged(dialogId, control);
            else if (code == Num(ControlNotify::ComboEditChange) || code == Num(ControlNotify::EditChange))
                TextChanged(dialogId, control);
            return 1;
        }
        case Num(WinMsg::Timer):
            if (dialogId == kProgress && wParam == kProgressTimerId) ProgressTick();
            return 0;
        case Num(WinMsg::DrawItem):
            if (dialogId == kLogon && lParam != 0)
                DrawLogo(*reinterpret_cast<const platform::DrawItemInfo*>(lParam));
            return 1;
        case kRegistrationFormComplete:
            if (dialogId == kLogon) RegistrationComplete();
            return 0;
        case kRegistered:
            if (dialogId == kLogon) OnPlayerRegistered();
            return 0;
        case kUserNameChanged:
            // Sent, never posted: lParam points at the caller's text.
            if (dialogId == kLogon && lParam != 0)
                OnUserNameChanged(*reinterpret_cast<const std::string*>(lParam));
            return 0;
        default:
            return 0;
    }
}

// Our own logo: a blue field with a ring and a handle.
void LogonDialogs::DrawLogo(const platform::DrawItemInfo& item) {
    if (item.controlId != 1075 || item.surface == nullptr) return;
    platform::DrawContext dc(item.surface);
    const int width = item.right - item.left;
    const int height = item.bottom - item.top;
    // The context keeps pointers to what it selects: these outlive it.
    const platform::Pen none{true, 1, 0};
    const platform::Brush field{false, 0x00A05010};
    const platform::Pen ring{false, 6, 0x0000CCFF};
    dc.SelectPen(none);
    dc.SelectBrush(field);
    dc.Rectangle(item.left, item.top, item.right, item.bottom);
    dc.SelectPen(ring);
    dc.SelectBrush(platform::StockNullBrush());
    dc.Ellipse(item.left + 14, item.top + 10, item.right - 14, item.bottom - 10);
    dc.MoveTo({item.left + width / 2 + 6, item.top + height / 2 + 6});
    dc.LineTo({item.right - 16, item.bottom - 8});
    dc.SelectPen(platform::StockBlackPen());
}

void LogonDialogs::CreateLogonDialog() {
    LogonDialogState* made = Make(kLogon, "Quonza Registration");
    if (made == nullptr) return;
    LogonDialogState& d = *made;
    exchange_->ClearRegistrationFields();
    players_ = LoadSavedPlayers(registry_);
    auto& names = d.items[id::kUserName];
    for (const SavedPlayer& p : players_) names.push_back(p.name);
    exchange_->userName = players_.empty() ? "" : players_.front().name;
    exchange_->password = players_.empty() ? "" : players_.front().password;
    d.selections[id::kUserName] = players_.empty() ? -1 : 0;
    d.texts[id::kUserName] = exchange_->userName;
    d.limits[id::kUserName] = 12;
    d.checks[kSavePassword] = !exchange_->password.empty();
    d.texts[id::kPassword] = exchange_->password;
    d.limits[id::kPassword] = 12;
}

void LogonDialogs::ShowLogonDialog(int focusId) {
    Destroy(kRequired);
    Destroy(kOptional);
    if (Find(kLogon) == nullptr) {
        CreateLogonDialog();
        if (Find(kLogon) == nullptr) {
            platform::MessageBoxSink::Current().Show("System Error Message",
                                                     "The dialog could not be made: no message queue.", 0);
            return;
        }
    }
    Register(kLogon);
    Show(kLogon, true);
    Focus(kLogon, focusId);
}

void LogonDialogs::ShowProgressDialog(const std::string& caption) {
    Destroy(kRequired);
    Destroy(kOptional);
    Show(kLogon, false);
    LogonDialogState* d = Make(kProgress, "Progress");
    if (d == nullptr) return;
    d->texts[kCaption] = caption;
    d->progress = 0;
    d->progressEnd = kProgressEnd;
    if (platform::MessageQueue* queue = platform::MessageQueue::Current())
        queue->SetWindowTimer(Window(kProgress), kProgressTimerId, kProgressTimerMs);
    Show(kProgress, true);
    Focus(kProgress, kCancel);
}

void LogonDialogs::DestroyProgressDialog() {
    Destroy(kProgress);
}

void LogonDialogs::ProgressTick() {
    LogonDialogState* d = Find(kProgress);
    if (d == nullptr) return;
    if (++d->progress >= kProgressEnd) exchange_->OnProgressExpired();
}

void LogonDialogs::CreateRequiredPage() {
    LogonDialogState* made = Make(kRequired, "Quonza Registration - Required information");
    if (made == nullptr) return;
    LogonDialogState& d = *made;
    const RegistrationFields& f = exchange_->Fields();
    d.texts[id::kUserName] = f.userName;
    d.texts[id::kPassword] = f.password;
    d.texts[id::kVerifyPassword] = f.password;
    d.texts[id::kRealName] = f.realName;
    d.texts[id::kEmail] = f.email;
    d.texts[id::kAddress] = f.address;
    d.texts[id::kCity] = f.city;
    d.texts[id::kState] = f.state;
    d.texts[id::kPostalCode] = f.postalCode;
    const std::pair<int, int> limits[] = {{id::kUserName, 12}, {id::kPassword, 12}, {id::kVerifyPassword, 12},
                                          {id::kRealName, 60}, {id::kEmail, 60},    {id::kAddress, 60},
                                          {id::kCity, 40},     {id::kState, 20},    {id::kPostalCode, 10}};
    for (const auto& [control, limit] : limits) d.limits[control] = limit;
    auto& countries = d.items[id::kCountry];
    for (const CountryRow& row : LogonCountries()) countries.emplace_back(row.name);
    d.selections[id::kCountry] = FindLogonCountry(f.country);
    d.items[id::kSex] = Entries(LogonChoiceList::Sex);
    d.selections[id::kSex] = Clamp(f.sex, d.items[id::kSex].size());
    d.items[id::kAge] = Entries(LogonChoiceList::Age);
    d.selections[id::kAge] = Clamp(f.age, d.items[id::kAge].size());
}

void LogonDialogs::ShowRequiredInfoDialog(int focusId) {
    Show(kLogon, false);
    Destroy(kOptional);
    if (Find(kRequired) == nullptr) CreateRequiredPage();
    if (Find(kRequired) == nullptr) return;
    Show(kRequired, true);
    Focus(kRequired, focusId);
}

void LogonDialogs::CreateOptionalPage() {
    LogonDialogState* made = Make(kOptional, "Quonza Registration - Optional information");
    if (made == nullptr) return;
    LogonDialogState& d = *made;
    const RegistrationFields& f = exchange_->Fields();
    for (const OptionalList& l : kOptionalLists) {
        d.items[l.control] = Entries(l.list);
        d.selections[l.control] = Clamp(f.*l.field, d.items[l.control].size());
    }
    d.checks[id::kHome] = f.surfPlace == 0;
    d.checks[kWork] = f.surfPlace == 1;
    d.checks[kSchool] = f.surfPlace == 2;
}

void LogonDialogs::ShowOptionalInfoDialog(int focusId) {
    Show(kLogon, false);
    Destroy(kRequired);
    if (Find(kOptional) == nullptr) CreateOptionalPage();
    if (Find(kOptional) == nullptr) return;
    Show(kOptional, true);
    Focus(kOptional, focusId);
}

bool LogonDialogs::ShowOneFieldDialog(int mode) {
    const OneFieldMode* m = FindOneFieldMode(mode);
    if (m == nullptr) {
        exchange_->Complete(2, nullptr);
        return true;
    }
    LogonDialogState* d = Make(kOneField, m->title);
    if (d == nullptr) return false;
    d->texts[kOneFieldEdit] = "";
    d->limits[kOneFieldEdit] = m->limit;
    for (int i = 0; i < 3; ++i) d->texts[kOneFieldLine1 + i] = m->lines[i];
    Show(kOneField, true);
    Focus(kOneField, kOneFieldEdit);
    return true;
}

void LogonDialogs::ClearPasswordField() {
    if (LogonDialogState* d = Find(kLogon)) d->texts[id::kPassword].clear();
}

bool LogonDialogs::IsSavePasswordChecked() {
    LogonDialogState* d = Find(kLogon);
    return d != nullptr && d->checks[kSavePassword];
}

void LogonDialogs::PlayerRegistered() {
    platform::SendDialogMessage(Window(kLogon), kRegistered, 0, 0);
}

void LogonDialogs::UserNameChanged(const std::string& newName) {
    platform::SendDialogMessage(Window(kLogon), kUserNameChanged, 0,
                                reinterpret_cast<std::intptr_t>(&newName));
}

void LogonDialogs::OnPlayerRegistered() {
    players_.insert(players_.begin(), SavedPlayer{exchange_->userName, exchange_->password,
                                                  static_cast<std::uint32_t>(std::time(nullptr))});
    if (LogonDialogState* d = Find(kLogon)) {
        auto& names = d->items[id::kUserName];
        names.insert(names.begin(), exchange_->userName);
        d->selections[id::kUserName] = 0;
        d->texts[id::kUserName] = exchange_->userName;
        d->texts[id::kPassword] = exchange_->password;
    }
}

void LogonDialogs::OnUserNameChanged(const std::string& newName) {
    LogonDialogState* d = Find(kLogon);
    if (d == nullptr) return;
    const int selected = d->selections[id::kUserName];
    if (selected >= 0 && static_cast<std::size_t>(selected) < players_.size()) {
        players_[static_cast<std::size_t>(selected)].name = newName;
        d->items[id::kUserName][static_cast<std::size_t>(selected)] = newName;
    }
    d->texts[id::kUserName] = newName;
}

void LogonDialogs::CloseLogonDialog() {
    Destroy(kLogon);
}

void LogonDialogs::CloseAll() {
    UnregisterLogonDialogs();
    for (const int id : {kOneField, kProgress, kRequired, kOptional, kLogon}) Destroy(id);
    exchange_->Complete(3, nullptr);
}

void LogonDialogs::SelectionChanged(int dialogId, int controlId) {
    if (dialogId != kLogon || controlId != id::kUserName) return;
    LogonDialogState& d = *Find(kLogon);
    const int selected = d.selections[id::kUserName];
    if (selected < 0 || static_cast<std::size_t>(selected) >= players_.size()) return;
    const SavedPlayer& p = players_[static_cast<std::size_t>(selected)];
    d.texts[id::kUserName] = p.name;
    d.checks[kSavePassword] = !p.password.empty();
    d.texts[id::kPassword] = p.password;
}

void LogonDialogs::TextChanged(int dialogId, int controlId) {
    if (dialogId == kLogon && controlId == id::kUserName) Find(kLogon)->texts[id::kPassword].clear();
}

void LogonDialogs::Command(int dialogId, int controlId) {
    if (Find(dialogId) == nullptr) return;
    switch (dialogId) {
        case kLogon:
            if (controlId == kOk) {
                OnEnter();
            } else if (controlId == kNewMember) {
                exchange_->ClearRegistrationFields();
                ShowRequiredInfoDialog(id::kUserName);
            } else if (controlId == kCancel) {
                // Exit: the caller may close the dialogs from its callback.
                const LifeWatch alive = alive_.Watch();
                exchange_->Complete(1, nullptr);
                if (alive.IsAlive()) Destroy(kLogon);
            }
            return;
        case kProgress:
            if (controlId == kCancel || controlId == kOk) exchange_->OnProgressCancel();
            return;
        case kRequired:
            if (controlId == kOk)
                OnNext();
            else if (controlId == kCancel)
                ShowLogonDialog(id::kUserName);
            return;
        case kOptional:
            if (controlId == kOk)
                OnDone();
            else if (controlId == kCancel)
                ShowLogonDialog(id::kUserName);
            return;
        case kOneField:
            if (controlId == kOk) {
                OnOneFieldOk();
            } else if (controlId == kCancel) {
                Destroy(kOneField);
                ShowLogonDialog(id::kUserName);
            }
            return;
        default:
            return;
    }
}

void LogonDialogs::Key(int dialogId, platform::DialogKey key) {
    platform::PressDialogKey(Window(dialogId), key);
}

void LogonDialogs::TypeChar(int dialogId, char c) {
    platform::TypeDialogChar(Window(dialogId), c);
}

void LogonDialogs::OnEnter() {
    LogonDialogState& d = *Find(kLogon);
    std::string name = d.texts[id::kUserName].substr(0, 12);
    std::string password = d.texts[id::kPassword].substr(0, 12);
    if (!ValidateTextField(name, 13, 3, 12, true, "User Name")) {
        d.focus = id::kUserName;
        return;
    }
    if (!ValidateTextField(password, 13, 3, 12, true, "Password")) {
        d.focus = id::kPassword;
        return;
    }
    exchange_->userName = name;
    exchange_->password = password;
    exchange_->SetTestMode(gSimulate);
    exchange_->SendLogon();
}

void LogonDialogs::OnNext() {
    LogonDialogState& d = *Find(kRequired);
    struct Check {
        int control;
        const char* name;
        std::size_t minimum;
        std::size_t maximum;
        bool spaces;
    };
    const Check checks[] = {
        {id::kUserName, "User Name", 3, 12, true},
        {id::kPassword, "Password", 3, 12, true},
        {id::kVerifyPassword, "Verify Password", 3, 12, true},
        {id::kRealName, "Real Name", 2, 60, true},
        {id::kEmail, "EMail Address", 5, 60, false},
        {id::kAddress, "Address 1", 0, 60, true},
        {id::kCity, "City", 0, 40, true},
        {id::kState, "State", 0, 20, true},
        {id::kPostalCode, "Postal Code", 2, 10, true},
    };
    for (const Check& c : checks) {
        std::string& text = d.texts[c.control];
        if (!ValidateTextField(text, c.maximum + 1, c.minimum, c.maximum, c.spaces, c.name)) {
            d.focus = c.control;
            return;
        }
        if (c.control == id::kVerifyPassword && text != d.texts[id::kPassword]) {
            RegistrationBox(kPasswordsDiffer);
            d.texts[id::kPassword].clear();
            d.texts[id::kVerifyPassword].clear();
            d.focus = id::kPassword;
            return;
        }
        if (c.control == id::kEmail && !IsEmailAddress(text)) {
            RegistrationBox(kNotAnEmailAddress);
            d.focus = id::kEmail;
            return;
        }
    }
    if (d.selections[id::kSex] <= 0) {
        RegistrationBox(kSexRequired);
        d.focus = id::kSex;
        return;
    }
    if (d.selections[id::kAge] <= 0) {
        RegistrationBox(kAgeRequired);
        d.focus = id::kAge;
        return;
    }
    RegistrationFields& f = exchange_->Fields();
    f.userName = d.texts[id::kUserName];
    f.password = d.texts[id::kPassword];
    f.realName = d.texts[id::kRealName];
    f.email = d.texts[id::kEmail];
    f.address = d.texts[id::kAddress];
    f.city = d.texts[id::kCity];
    f.state = d.texts[id::kState];
    f.postalCode = d.texts[id::kPostalCode];
    const int country = d.selections[id::kCountry];
    const auto rows = LogonCountries();
    if (country >= 0 && static_cast<std::size_t>(country) < rows.size()) {
        f.country = rows[static_cast<std::size_t>(country)].code;
    }
    f.sex = d.selections[id::kSex];
    f.age = d.selections[id::kAge];
    f.notices = 1;
    exchange_->userName = f.userName;
    exchange_->password = f.password;
    ShowOptionalInfoDialog(id::kOccupation);
}

void LogonDialogs::OnDone() {
    LogonDialogState& d = *Find(kOptional);
    RegistrationFields& f = exchange_->Fields();
    for (const OptionalList& l : kOptionalLists)
        f.*l.field = Clamp(d.selections[l.control], d.items[l.control].size());
    f.surfPlace = d.checks[kSchool] ? 2 : d.checks[kWork] ? 1 : 0;
    if (platform::MessageQueue* queue = platform::MessageQueue::Current())
        queue->Post(Window(kLogon), kRegistrationFormComplete, 0, 0);
}

void LogonDialogs::RegistrationComplete() {
    exchange_->SendRegistration();
}

void LogonDialogs::OnOneFieldOk() {
    LogonDialogState& d = *Find(kOneField);
    std::string text = d.texts[kOneFieldEdit].substr(0, 255);
    const int mode = exchange_->mode;
    bool good = false;
    if (mode == 11) {
        good = ValidateTextField(text, 256, 5, 60, false, "EMail Address");
        if (good && !IsEmailAddress(text)) {
            RegistrationBox(kNotAnEmailAddress);
            good = false;
        }
    } else {
        good = ValidateTextField(text, 256, 3, 12, true, "User Name");
    }
    if (!good) {
        d.focus = kOneFieldEdit;
        return;
    }
    exchange_->newValue = text;
    Destroy(kOneField);
    exchange_->SendChangeRequest();
}

void SetLogonTestMode(bool simulate) {
    gSimulate = simulate;
}

LogonDialogs* StartLogonDialogs(platform::WindowHandle owner, HttpClient& client, LogonCompletion completion,
                                std::intptr_t user, const std::string& /*unused*/,
                                const std::string& registerPage, const std::string& validatePage,
                                const std::string& changePage, const std::string& origin,
                                const std::string& version, const std::string& platform,
                                platform::Registry& registry) {
    if (gDialogs && gDialogs->Find(LogonDialogs::kLogon) != nullptr) return gDialogs.get();
    gDialogs.reset();
    gDialogs = std::make_unique<LogonDialogs>(
        owner, client, completion, user,
        LogonPages{registerPage, validatePage, changePage, origin, version, platform}, registry);
    gDialogs->ShowLogonDialog(logon_ids::kUserName);
    if (gDialogs->Find(LogonDialogs::kLogon) == nullptr) {
        gDialogs.reset();
        return nullptr;
    }
    return gDialogs.get();
}

void CloseLogonDialogs() {
    if (!gDialogs) return;
    std::unique_ptr<LogonDialogs> dialogs = std::move(gDialogs);
    dialogs->CloseAll();
}

LogonDialogs* CurrentLogonDialogs() {
    return gDialogs.get();
}
