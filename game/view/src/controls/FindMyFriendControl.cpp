#include "game/view/controls/FindMyFriendControl.h"

#include <string>

#include "controls/ButtonClickedMsg.h"
#include "controls/EditControl.h"
#include "controls/EditControlTextEnteredMsg.h"
#include "controls/ToggleButtonControl.h"
#include "framework/ActOnDrain.h"
#include "framework/ButtonDownMouseMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/PictureViewMsgs.h"
#include "game/screens/FriendSearch.h"
#include "media/Animation.h"
#include "net/GenericRoomMsgs.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kFriendFound = 2380;
constexpr std::int32_t kFriendFoundRoomFull = 2385;
constexpr std::int32_t kFriendIsChoosing = 2390;
constexpr std::int32_t kFriendNotFound = 2395;
constexpr std::int32_t kTryAgain = 2410;
constexpr std::int32_t kEnter = 13;

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

}  // namespace

FindMyFriendControl::FindMyFriendControl(
    UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId, std::int32_t boardNumber,
    std::int32_t editAnimation, std::int32_t editItem, std::int32_t searchUp, std::int32_t searchDown,
    std::int32_t nameField, std::int32_t playersField, std::int32_t roundField, std::int32_t pointsField,
    std::int32_t statusField, std::int32_t messageNumber, std::int32_t messageField, std::int32_t hintNumber,
    std::int32_t hintField)
    : Control(parent, receiver, layer),
      nameField_(nameField),
      playersField_(playersField),
      roundField_(roundField),
      pointsField_(pointsField),
      statusField_(statusField),
      messageField_(messageField),
      hintField_(hintField) {
    board_ = std::make_unique<Animation>(this, resourceId, boardNumber);
    messageLine_ = std::make_unique<Animation>(this, resourceId, messageNumber);
    messageLine_->SetHoldAtEnd();
    messageLine_->SetLayer(GetLayer() + 1);
    hintLine_ = std::make_unique<Animation>(this, resourceId, hintNumber);
    hintLine_->SetHoldAtEnd();

    editField_ = std::make_unique<EditControl>(this, this, GetLayer() + 1, editAnimation, editItem,
                                               resourceId, 0, 0, 256, 0);
    editField_->Hide();
    searchButton_ = std::make_unique<ToggleButtonControl>(this, this, GetLayer() + 1, resourceId, 0, 0,
                                                          searchUp, searchDown, 0, true);

    found_ = std::make_unique<Voice>(this, kFriendFound);
    notFound_ = std::make_unique<Voice>(this, kFriendNotFound);
    roomFull_ = std::make_unique<Voice>(this, kFriendFoundRoomFull);
    choosing_ = std::make_unique<Voice>(this, kFriendIsChoosing);
    for (Voice* voice : {found_.get(), notFound_.get(), roomFull_.get(), choosing_.get()}) {
        voice->SetFlagA();
        voice->SetFlagB();
    }
    tryAgain_ = std::make_unique<Voice>(this, kTryAgain);
    tryAgain_->SetFlagB();
    // Their ends start TryAgain.
    roomFull_->AddReceiver(this);
    notFound_->AddReceiver(this);

    mainSequencer_ = std::make_unique<ParallelSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    stopper_->Add(mainSequencer_.get());
    for (Voice* voice : {found_.get(), notFound_.get(), roomFull_.get(), choosing_.get(), tryAgain_.get()})
        stopper_->Add(voice);
    if (board_->GetCelCount() == 1)
        board_->SetHoldAtEnd();
    else
        board_->SetRepeatForever();
    mainSequencer_->Add(board_.get());
    mainSequencer_->Add(messageLine_.get());
    mainSequencer_->Add(hintLine_.get());
    mainSequencer_->Add(editField_.get());
    mainSequencer_->Add(searchButton_.get());
}

FindMyFriendControl::~FindMyFriendControl() {
    // The sequencers hold the children: they go first.
    stopper_.reset();
    mainSequencer_.reset();
}

void FindMyFriendControl::OnGainedKeyboardFocus() {
    editField_->OnGainedKeyboardFocus();
}

void FindMyFriendControl::OnLostKeyboardFocus() {
    editField_->OnLostKeyboardFocus();
}

void FindMyFriendControl::OnKeyboardChar(const KeyboardCharMsg& msg) {
    editField_->OnKeyboardChar(msg);
}

void FindMyFriendControl::OnStarting() {
    editField_->Show();
    mainSequencer_->Start();
}

void FindMyFriendControl::OnStarted() {
    Reset();
}

void FindMyFriendControl::OnStopping() {
    stopper_->Start();
    editField_->Hide();
}

void FindMyFriendControl::StartIfStopped(Voice& voice) {
    if (voice.IsStopped()) voice.Start();
}

void FindMyFriendControl::UncheckButton() {
    if (searchButton_->IsChecked()) searchButton_->Click();
}

void FindMyFriendControl::ClearBoard() {
    for (std::int32_t field : {nameField_, playersField_, roundField_, pointsField_, statusField_})
        board_->SetText(field, "");
}

void FindMyFriendControl::Forget() {
    room_ = PictureRoom();
    player_ = Player();
}

void FindMyFriendControl::Reset() {
    searchName_.clear();
    Forget();
    editField_->SetText("");
    ClearBoard();
    messageLine_->SetText(messageField_, "");
    hintLine_->SetText(hintField_, "");
    Enable();
    UncheckButton();
}

void FindMyFriendControl::Search(const std::string& typed) {
    if (!IsEnabled()) return;
    if (!searchButton_->IsChecked()) {
        // The click comes back and enters the text again: one search.
        searchButton_->Click();
        return;
    }
    Disable();
    searchName_ = TrimSearchName(typed);
    if (searchName_.empty()) {
        Reset();
        return;
    }
    ClearBoard();
    messageLine_->SetText(messageField_, "Searching...");
    hintLine_->SetText(hintField_, "");
    Send(FindPlayerMsg(searchName_));
}

void FindMyFriendControl::ShowNotFound(const std::string& message, const std::string& hint) {
    UncheckButton();
    ClearBoard();
    messageLine_->SetText(messageField_, message);
    if (!hint.empty()) hintLine_->SetText(hintField_, hint);
    Forget();
    StartIfStopped(*notFound_);
}

void FindMyFriendControl::PlayerFound(const PlayerFoundRoomMsg& msg) {
    Enable();
    UncheckButton();
    // The lobby's rooms are the game's rooms; anything else is no room.
    const auto* room = dynamic_cast<const PictureRoom*>(msg.GetRoom());
    room_ = room != nullptr ? *room : PictureRoom();
    player_ = msg.GetPlayer() != nullptr ? *msg.GetPlayer() : Player();
    hintLine_->SetText(hintField_, "");
    if (room == nullptr) {
        ShowNotFound(FriendNotFound(searchName_).message, "");
        return;
    }
    const FriendSearchOutcome out = FriendFound(searchName_, room_, adultAllowed_, preflightMode_);
    using Kind = FriendSearchOutcome::Kind;
    switch (out.kind) {
        case Kind::Choosing:
            messageLine_->SetText(messageField_, out.message);
            Forget();
            StartIfStopped(*choosing_);
            return;
        case Kind::NotFound:
            ShowNotFound(out.message, "");
            return;
        case Kind::Found:
        case Kind::RoomFull:
            messageLine_->SetText(messageField_, "");
            board_->SetText(nameField_, room_.GetName());
            board_->SetText(playersField_, std::to_string(room_.GetPlayers()));
            board_->SetText(roundField_, std::to_string(room_.GetRound()));
            board_->SetText(pointsField_, std::to_string(room_.GetSecondCount()));
            board_->SetText(statusField_, room_.GetState());
            StartIfStopped(out.kind == Kind::RoomFull ? *roomFull_ : *found_);
            return;
    }
}

void FindMyFriendControl::PlayerNotFound(const PlayerNotFoundRoomMsg& /*msg*/) {
    Enable();
    const FriendSearchOutcome out = FriendNotFound(searchName_);
    ShowNotFound(out.message, out.hint);
}

std::int32_t FindMyFriendControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    const bool stopped = msg.Is<StoppedMsg>();
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, mainSequencer_)) && IsStarting()) DefaultOnStarting();
    if (wanted(stopped && IsFrom(from, stopper_)) && IsStopping()) DefaultOnStopping();
    if (wanted(msg.Is<EditControlTextEnteredMsg>() && IsFrom(from, editField_)))
        Search(static_cast<const EditControlTextEnteredMsg&>(msg).GetText());
    if (wanted(msg.Is<ButtonClickedMsg>() && IsFrom(from, searchButton_)) && searchButton_->IsChecked())
        editField_->OnKeyboardChar(KeyboardCharMsg(kEnter));
    if (wanted(msg.Is<ButtonDownMouseMsg>() && IsFrom(from, editField_))) Send(msg);
    if (wanted(stopped && (IsFrom(from, roomFull_) || IsFrom(from, notFound_)))) StartIfStopped(*tryAgain_);
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
