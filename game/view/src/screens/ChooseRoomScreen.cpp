#include "game/view/screens/ChooseRoomScreen.h"

#include <string>

#include "controls/ButtonClickedMsg.h"
#include "controls/ListControl.h"
#include "controls/ListSelectionMsgs.h"
#include "controls/RadioButtonControl.h"
#include "controls/RadioContainer.h"
#include "controls/ToggleButtonControl.h"
#include "divir/xRandom.h"
#include "framework/ActOnDrain.h"
#include "framework/AppTime.h"
#include "framework/ButtonDownMouseMsg.h"
#include "framework/Control.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MsgListSelectionChanged.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "framework/UIRoot.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/controls/FindMyFriendControl.h"
#include "media/Animation.h"
#include "platform/MessageBoxSink.h"
#include "platform/WinTypes.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Sfx.h"
#include "sound/SoundService.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kOptions = 1100;
constexpr std::int32_t kBackdrop = 1;
constexpr std::int32_t kTabBackdrop = 20;
constexpr std::int32_t kJoinMark = 116;
constexpr std::int32_t kChooseForMeButton = 5;
constexpr std::int32_t kLetMeChooseButton = 10;
constexpr std::int32_t kFindFriendButton = 15;
constexpr std::int32_t kAdultTabButton = 25;
constexpr std::int32_t kCleanTabButton = 30;
constexpr std::int32_t kJoinUp = 35;
constexpr std::int32_t kJoinDown = 40;

constexpr std::int32_t kAdultLanguageVoice = 2360;
constexpr std::int32_t kBeginningVoice = 2365;
constexpr std::int32_t kChooseForMeVoice = 2370;
constexpr std::int32_t kFindMyFriendsVoice = 2375;
constexpr std::int32_t kKeepItCleanVoice = 2400;
constexpr std::int32_t kLetMeChooseVoice = 2405;
constexpr std::int32_t kPencilSfx = 1050;
constexpr std::int32_t kWindowSfx = 1085;

constexpr std::int32_t kEnter = 13;
const char* const kBoxTitle = "Please Choose Another Room";

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

void StartIfStopped(Process& process) {
    if (process.IsStopped()) process.Start();
}

void StopIfRunning(Process& process) {
    if (!process.IsStopped() && !process.IsStopping()) process.Stop();
}

void HoldOrRepeat(Animation& animation) {
    if (animation.GetCelCount() == 1)
        animation.SetHoldAtEnd();
    else
        animation.SetRepeatForever();
}

std::unique_ptr<ListControl> MakeList(ChooseRoomScreen* screen, std::int32_t first, std::int32_t last,
                                      std::int32_t text, std::int32_t fifth) {
    auto list = std::make_unique<ListControl>(screen, screen, screen->GetLayer() + 1, first, last, kOptions,
                                              0, 0, text, 55, 5, 256, false, fifth);
    list->CreateScrollBar(kOptions, 0, 80, 0, 0, 85, 0, 70, 70, 0, 0);
    list->EnableSelection();
    list->SetHighlightColour(xRGB{168, 241, 124});
    list->SetSorted();
    list->SetSortKeys(0, 0, -1, 0, -1, 0, -1, 0, -1, 0);
    list->Hide();
    return list;
}

}  // namespace

ChooseRoomScreen::ChooseRoomScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : Screen(parent, layer), shared_(shared), random_([](std::uint32_t n) { return xRandom(n); }) {
    backdrop_ = std::make_unique<Animation>(this, kOptions, kBackdrop);
    HoldOrRepeat(*backdrop_);
    tabBackdrop_ = std::make_unique<Animation>(this, kOptions, kTabBackdrop);
    HoldOrRepeat(*tabBackdrop_);
    tabBackdrop_->Hide();
    joinMark_ = std::make_unique<Animation>(this, kOptions, kJoinMark);
    joinMark_->SetRepeatForever();
    joinMark_->SetRate(2.0f);

    cleanList_ = MakeList(this, 1, 60, 45, 60);
    adultList_ = MakeList(this, 61, 120, 50, 65);

    findControl_ = std::make_unique<FindMyFriendControl>(this, this, GetLayer() + 1, kOptions, 91, 106, 121,
                                                         0, 111, 122, 123, 124, 125, 126, 96, 127, 101, 128);
    findControl_->Hide();

    modeGroup_ = std::make_unique<RadioContainer>();
    tabGroup_ = std::make_unique<RadioContainer>();
    const auto radio = [&](std::int32_t number) {
        return std::make_unique<RadioButtonControl>(this, this, GetLayer() + 2, kOptions, 0, 0, 0, number, 0,
                                                    true);
    };
    chooseForMe_ = radio(kChooseForMeButton);
    letMeChoose_ = radio(kLetMeChooseButton);
    findFriend_ = radio(kFindFriendButton);
    cleanTab_ = radio(kCleanTabButton);
    adultTab_ = radio(kAdultTabButton);
    modeGroup_->AddButton(chooseForMe_.get());
    modeGroup_->AddButton(letMeChoose_.get());
    modeGroup_->AddButton(findFriend_.get());
    adultTab_->Disable();
    cleanTab_->Disable();
    // Shown only to players allowed adult rooms, by the reset.
    adultTab_->Hide();
    cleanTab_->Hide();
    tabGroup_->AddButton(adultTab_.get());
    tabGroup_->AddButton(cleanTab_.get());
    join_ = std::make_unique<ToggleButtonControl>(this, this, GetLayer() + 2, kOptions, 0, 0, kJoinUp,
                                                  kJoinDown, 0, true);

    const auto voice = [&](std::int32_t number) {
        auto made = std::make_unique<Voice>(this, number);
        made->SetFlagA();
        made->SetFlagB();
        return made;
    };
    adultLanguage_ = voice(kAdultLanguageVoice);
    keepItClean_ = voice(kKeepItCleanVoice);
    beginning_ = voice(kBeginningVoice);
    chooseForMeVoice_ = voice(kChooseForMeVoice);
    letMeChooseVoice_ = voice(kLetMeChooseVoice);
    findMyFriendsVoice_ = voice(kFindMyFriendsVoice);
    beginning_->AddReceiver(this);
    windowSfx_ = std::make_unique<Sfx>(this, kWindowSfx);
    windowSfx_->AddReceiver(this);
    pencilSfx_ = std::make_unique<Sfx>(this, kPencilSfx);
    pencilSfx_->AddReceiver(this);
    idleTimer_ = std::make_unique<Timer>(this);

    mainSequencer_ = std::make_unique<ParallelSequencer>(this);
    controlsStarter_ = std::make_unique<StartSequencer>(nullptr);
    stopper_ = std::make_unique<StopSequencer>(this);
    for (Process* child : std::initializer_list<Process*>{
             controlsStarter_.get(), backdrop_.get(), cleanList_.get(), adultList_.get(), findControl_.get(),
             chooseForMe_.get(), letMeChoose_.get(), findFriend_.get(), join_.get(), tabBackdrop_.get(),
             adultTab_.get(), cleanTab_.get(), idleTimer_.get()})
        mainSequencer_->Add(child);
    for (Process* child : std::initializer_list<Process*>{
             mainSequencer_.get(), joinMark_.get(), adultLanguage_.get(), keepItClean_.get(),
             beginning_.get(), chooseForMeVoice_.get(), letMeChooseVoice_.get(), findMyFriendsVoice_.get(),
             windowSfx_.get(), pencilSfx_.get(), idleTimer_.get()})
        stopper_->Add(child);
    if (shared_ != nullptr) {
        for (std::size_t slot = kPlayerListSlot; slot <= kNameAndScoreSlot; ++slot)
            if ((*shared_)[slot] != nullptr) stopper_->Add((*shared_)[slot]);
    }
}

ChooseRoomScreen::~ChooseRoomScreen() {
    Unsubscribe();
    // The sequencers hold the children: they go first.
    stopper_.reset();
    mainSequencer_.reset();
    controlsStarter_.reset();
}

// ---- the view's calls ----

void ChooseRoomScreen::SetAdultAllowed(bool allowed) {
    adultAllowed_ = allowed;
    findControl_->SetAdultAllowed(allowed);
}

void ChooseRoomScreen::SetPreflightMode(bool preflight) {
    preflightMode_ = preflight;
    findControl_->SetPreflightMode(preflight);
}

void ChooseRoomScreen::AddRowFor(const PictureRoom& room) {
    ListControl& list = room.IsLanguageFiltered() ? *cleanList_ : *adultList_;
    list.AddRow(room.GetName(), std::to_string(room.GetPlayers()), std::to_string(room.GetRound()),
                std::to_string(room.GetSecondCount()), room.GetStatusText(), IsJoinable(&room),
                room.IsExcluded() ? 1 : 0, 2);
}

void ChooseRoomScreen::RoomListBegin(const RoomListBeginRoomMsg& msg) {
    rooms_.Begin(msg.GetCount());
    cleanList_->RemoveAllRows();
    adultList_->RemoveAllRows();
    Refresh();
}

void ChooseRoomScreen::RoomListItem(const RoomListItemRoomMsg& msg) {
    const ChooserRooms::Change change = rooms_.Add(msg.GetRoom(), preflightMode_);
    if (change.kind == ChooserRooms::Change::Kind::None) return;
    AddRowFor(rooms_.At(change.index));
    Refresh();
}

void ChooseRoomScreen::RoomUpdate(const RoomUpdateRoomMsg& msg) {
    using Kind = ChooserRooms::Change::Kind;
    const ChooserRooms::Change change = rooms_.Update(msg.GetRoom(), preflightMode_);
    if (change.kind == Kind::None) return;
    const PictureRoom& room = rooms_.At(change.index);
    ListControl& list = room.IsLanguageFiltered() ? *cleanList_ : *adultList_;
    if (change.kind == Kind::Moved) {
        // The row leaves the list of the old flag, so that it can never join
        // the room under the wrong tab.
        ListControl& old = room.IsLanguageFiltered() ? *adultList_ : *cleanList_;
        const std::int32_t stale = old.FindRow(0, room.GetName(), true);
        if (stale >= 0) {
            old.RemoveRow(stale);
            AddRowFor(room);
        }
    } else {
        const std::int32_t id = list.FindRow(0, room.GetName(), true);
        if (id >= 0) {
            list.SetCell(id, 1, std::to_string(room.GetPlayers()), true);
            list.SetCell(id, 2, std::to_string(room.GetRound()), true);
            list.SetCell(id, 3, std::to_string(room.GetSecondCount()), true);
            list.SetCell(id, 4, room.GetStatusText(), true);
            if (IsJoinable(&room))
                list.MarkRow(id);
            else
                list.UnmarkRow(id);
        }
    }
    findControl_->OnRoomUpdate();
    Refresh();
}

void ChooseRoomScreen::PlayerFound(const PlayerFoundRoomMsg& msg) {
    findControl_->PlayerFound(msg);
    Refresh();
}

void ChooseRoomScreen::PlayerNotFound(const PlayerNotFoundRoomMsg& msg) {
    findControl_->PlayerNotFound(msg);
    Refresh();
}

void ChooseRoomScreen::ChooseAnotherRoom(const std::string& text) {
    StopIfRunning(*joinMark_);
    if (!text.empty()) {
        platform::MessageBoxSink& sink = platform::MessageBoxSink::Current();
        sink.Beep(Num(platform::BoxStyle::IconExclamation));
        sink.Show(kBoxTitle, text, Num(platform::BoxStyle::IconExclamation));
    }
    Enable();
    ResetControls();
    Refresh();
}

// ---- the selection ----

bool ChooseRoomScreen::IsCleanTab() const {
    return tab_ == nullptr || tab_ == cleanTab_.get();
}

ListControl& ChooseRoomScreen::TabList() {
    return IsCleanTab() ? *cleanList_ : *adultList_;
}

const PictureRoom* ChooseRoomScreen::GetSelectedRoom() const {
    switch (source_) {
        case kChosenForMe:
        case kFromList:
            if (selectedIndex_ >= 0 && static_cast<std::size_t>(selectedIndex_) < rooms_.Count())
                return &rooms_.At(static_cast<std::size_t>(selectedIndex_));
            return nullptr;
        case kFriendsRoom:
            return &findControl_->GetRoom();
        default:
            return nullptr;
    }
}

std::ptrdiff_t ChooseRoomScreen::ChooseForMe() {
    const std::vector<const PictureRoom*> all = rooms_.All();
    const PictureRoom* chosen = ChooseRoomForMe(all, IsCleanTab(), random_);
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == chosen) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

void ChooseRoomScreen::Refresh() {
    selectedIndex_ = -1;
    source_ = kNoSource;
    if (IsMode(chooseForMe_.get())) {
        selectedIndex_ = ChooseForMe();
        source_ = kChosenForMe;
    } else if (IsMode(letMeChoose_.get())) {
        source_ = kFromList;
        if (rooms_.Count() > 0) {
            ListControl& list = TabList();
            const std::int32_t id = list.GetSelectedRowId();
            if (id >= 0) {
                std::string name;
                list.GetCellText(name, id, 0);
                selectedIndex_ = rooms_.Find(name);
            }
        }
    } else if (IsMode(findFriend_.get())) {
        if (findControl_->GetRoom().GetName() != PictureRoom().GetName()) source_ = kFriendsRoom;
    }
    if (IsJoinable(GetSelectedRoom())) {
        join_->Show();
    } else {
        selectedIndex_ = -1;
        source_ = kNoSource;
        join_->Hide();
    }
}

// ---- modes and tabs ----

void ChooseRoomScreen::RestartIdleTimer() {
    idleTimer_->Cancel();
    idleTimer_->StartOnce(kIdleMs);
}

void ChooseRoomScreen::ShowTabs(bool shown) {
    for (RadioButtonControl* button : {adultTab_.get(), cleanTab_.get()}) {
        if (shown) {
            button->Show();
            button->Enable();
        } else {
            button->Disable();
            button->Hide();
        }
    }
    if (shown)
        tabBackdrop_->Show();
    else
        tabBackdrop_->Hide();
}

void ChooseRoomScreen::ApplyModes() {
    if (IsMode(chooseForMe_.get())) {
        RestartIdleTimer();
        StartIfStopped(*chooseForMeVoice_);
        Refresh();
    }
    ListControl& list = TabList();
    if (IsMode(letMeChoose_.get())) {
        RestartIdleTimer();
        StartIfStopped(*letMeChooseVoice_);
        list.SelectRow(list.GetRowId(0));
        list.Show();
        Refresh();
    } else {
        list.Hide();
    }
    if (IsMode(findFriend_.get())) {
        idleTimer_->Cancel();
        if (adultAllowed_) ShowTabs(false);
        findControl_->Reset();
        findControl_->Show();
        findControl_->OnGainedKeyboardFocus();
        findActive_ = true;
        StartIfStopped(*findMyFriendsVoice_);
        Refresh();
    } else {
        findControl_->Hide();
        if (findActive_) {
            findControl_->OnLostKeyboardFocus();
            findActive_ = false;
        }
        if (adultAllowed_) ShowTabs(true);
    }
}

void ChooseRoomScreen::OnModeClicked(RadioButtonControl* button) {
    if (mode_ != button) mode_ = button;
    if (windowSfx_->IsStopped())
        windowSfx_->Start();
    else
        ApplyModes();
}

void ChooseRoomScreen::ApplyTab(bool clean) {
    if (IsMode(findFriend_.get()) || IsCleanTab() != clean) return;
    RestartIdleTimer();
    if (IsMode(letMeChoose_.get())) {
        ListControl& shown = clean ? *cleanList_ : *adultList_;
        ListControl& hidden = clean ? *adultList_ : *cleanList_;
        hidden.Hide();
        shown.SelectRow(shown.GetRowId(0));
        shown.Show();
    }
    StartIfStopped(clean ? *keepItClean_ : *adultLanguage_);
}

void ChooseRoomScreen::OnTabClicked(RadioButtonControl* button) {
    if (button == tab_ || IsMode(findFriend_.get())) return;
    tab_ = button;
    ApplyTab(true);
    ApplyTab(false);
    Refresh();
}

// ---- joining ----

void ChooseRoomScreen::ClickJoinIfVisible() {
    if (join_->IsVisible()) join_->Click();
}

void ChooseRoomScreen::OnJoinClicked() {
    idleTimer_->Cancel();
    const PictureRoom* room = GetSelectedRoom();
    if (!join_->IsChecked() || room == nullptr) return;
    if (auto* root = dynamic_cast<UIRoot*>(GetRoot())) {
        if (auto* sound = dynamic_cast<SoundService*>(root->GetSoundService())) {
            for (std::int32_t channel = 0; channel < SoundService::kChannels; ++channel) sound->Stop(channel);
        }
    }
    roomTaken_ = true;
    Disable();
    pencilSfx_->Start();
    // A copy: the message outlives any change of the rooms.
    const PictureRoom chosen = *room;
    Send(RoomSelectedMsg(chosen, source_));
    join_->Disable();
    cleanList_->Hide();
    adultList_->Hide();
    findControl_->Hide();
}

void ChooseRoomScreen::OnKeyboardChar(const KeyboardCharMsg& msg) {
    if (findActive_) {
        findControl_->OnKeyboardChar(msg);
        return;
    }
    if (join_->IsVisible() && msg.GetKey() == kEnter) {
        join_->Click();
        return;
    }
    RestartIdleTimer();
}

void ChooseRoomScreen::OnGainedKeyboardFocus() {
    findControl_->OnGainedKeyboardFocus();
}

void ChooseRoomScreen::OnLostKeyboardFocus() {
    findControl_->OnLostKeyboardFocus();
}

// ---- start and stop ----

void ChooseRoomScreen::ResetControls() {
    chooseForMe_->Check();
    letMeChoose_->Uncheck();
    findFriend_->Uncheck();
    for (RadioButtonControl* button : {chooseForMe_.get(), letMeChoose_.get(), findFriend_.get()}) {
        button->Enable();
        button->Show();
    }
    mode_ = chooseForMe_.get();
    source_ = kChosenForMe;
    cleanTab_->Check();
    adultTab_->Uncheck();
    tab_ = cleanTab_.get();
    // Without adult rooms the tabs stay out of sight.
    ShowTabs(adultAllowed_);
    cleanList_->Hide();
    adultList_->Hide();
    findControl_->Reset();
    findControl_->Hide();
    findActive_ = false;
    join_->Hide();
    join_->Enable();
    join_->Uncheck();
}

void ChooseRoomScreen::StartMainSequencer() {
    // Started twice (the background's start reported while the sequencer is
    // still starting), it would refuse: only a stopped one is started.
    StartIfStopped(*mainSequencer_);
    StartIfStopped(*beginning_);
}

void ChooseRoomScreen::Unsubscribe() {
    if (!subscribed_) return;
    subscribed_ = false;
    if (shared_ != nullptr && (*shared_)[kBackgroundSlot] != nullptr)
        (*shared_)[kBackgroundSlot]->RemoveReceiver(this);
}

void ChooseRoomScreen::OnStarting() {
    ResetControls();
    Refresh();
    Control* background = nullptr;
    if (shared_ != nullptr) {
        background = (*shared_)[kBackgroundSlot];
        for (std::size_t slot = kPlayerListSlot; slot <= kNameAndScoreSlot; ++slot)
            if ((*shared_)[slot] != nullptr) (*shared_)[slot]->Hide();
    }
    if (background != nullptr && !subscribed_) {
        background->AddReceiver(this);
        subscribed_ = true;
    }
    controlsStarter_->Clear();
    if (background == nullptr || !background->IsStopped())
        StartMainSequencer();
    else
        background->Start();
}

void ChooseRoomScreen::OnStarted() {
    Enable();
    findActive_ = false;
    Refresh();
}

void ChooseRoomScreen::OnStopping() {
    if (!mainSequencer_->IsStopped()) {
        stopper_->Start();
    } else {
        Unsubscribe();
        ProcessForwarder::OnStopping();
    }
    cleanList_->Hide();
    adultList_->Hide();
    findControl_->Hide();
    for (RadioButtonControl* button :
         {chooseForMe_.get(), letMeChoose_.get(), findFriend_.get(), cleanTab_.get(), adultTab_.get()})
        button->Hide();
    join_->Hide();
}

std::int32_t ChooseRoomScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    const bool clicked = msg.Is<ButtonClickedMsg>();
    const bool changed = msg.Is<MsgListSelectionChanged>();
    const bool doubleClick = msg.Is<MsgListSelectionDoubleClick>();
    MsgSender* background = nullptr;
    if (shared_ != nullptr && (*shared_)[kBackgroundSlot] != nullptr)
        background = static_cast<MsgSender*>((*shared_)[kBackgroundSlot]);

    if (wanted(started && background != nullptr && from == background && subscribed_) && IsStarting())
        StartMainSequencer();
    if (wanted(started && IsFrom(from, mainSequencer_)) && IsStarting()) {
        idleTimer_->StartOnce(kIdleMs);
        ProcessForwarder::OnStarting();
    }
    if (wanted(stopped && IsFrom(from, stopper_))) {
        if (IsStopping()) {
            Unsubscribe();
            ProcessForwarder::OnStopping();
        } else {
            Stop();
        }
    }
    if (wanted(clicked && IsFrom(from, chooseForMe_))) OnModeClicked(chooseForMe_.get());
    if (wanted(clicked && IsFrom(from, letMeChoose_))) OnModeClicked(letMeChoose_.get());
    if (wanted(clicked && IsFrom(from, findFriend_))) OnModeClicked(findFriend_.get());
    if (wanted(clicked && IsFrom(from, cleanTab_))) OnTabClicked(cleanTab_.get());
    if (wanted(clicked && IsFrom(from, adultTab_))) OnTabClicked(adultTab_.get());
    if (wanted(clicked && IsFrom(from, join_))) OnJoinClicked();
    if (wanted(changed && IsFrom(from, cleanList_))) Refresh();
    if (wanted(doubleClick && IsFrom(from, cleanList_))) ClickJoinIfVisible();
    if (wanted(changed && IsFrom(from, adultList_))) Refresh();
    if (wanted(doubleClick && IsFrom(from, adultList_))) ClickJoinIfVisible();
    if (wanted(msg.Is<ButtonDownMouseMsg>() && IsFrom(from, findControl_)) && !findActive_) {
        findControl_->OnGainedKeyboardFocus();
        findActive_ = true;
    }
    if (wanted(msg.Is<FindPlayerMsg>() && IsFrom(from, findControl_))) Send(msg);
    if (wanted(stopped && IsFrom(from, beginning_))) {
        if (IsMode(chooseForMe_.get()) && !roomTaken_ && chooseForMeVoice_->IsStopped())
            chooseForMeVoice_->Start();
        else
            roomTaken_ = false;
    }
    if (wanted(started && IsFrom(from, windowSfx_))) ApplyModes();
    if (wanted(started && IsFrom(from, pencilSfx_))) StartIfStopped(*joinMark_);
    if (wanted(msg.Is<TimerMsg>() && IsFrom(from, idleTimer_))) ClickJoinIfVisible();
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
