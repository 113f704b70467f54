#pragma once

// The lobby screen on which the player picks a game room. Three modes: choose
// for me (the rooms of the current tab are scored and one of the best drawn),
// let me choose (a list), and find my friend (by user name). Two tabs split the
// rooms with the language filter on from the others; they are shown only to
// players whose logon allowed adult rooms. The join button shows while the mode
// yields a joinable room; its click sends RoomSelectedMsg. Double click, Enter
// and two idle minutes press it. The rooms are copies held in lobby order, and
// the selection is held by index, so a new list never leaves a stale room
// selectable.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Screen.h"
#include "game/model/PictureRoom.h"
#include "game/screens/ChooserRooms.h"
#include "game/screens/RoomChoice.h"
#include "game/view/SharedControls.h"
#include "net/GenericRoomMsgs.h"

class Animation;
class FindMyFriendControl;
class ListControl;
class ParallelSequencer;
class RadioButtonControl;
class RadioContainer;
class Sfx;
class StartSequencer;
class StopSequencer;
class Timer;
class ToggleButtonControl;
class Voice;

class ChooseRoomScreen : public Screen {
  public:
    // What the current mode yields.
    enum Source : std::int32_t { kNoSource = 0, kChosenForMe = 1, kFromList = 2, kFriendsRoom = 3 };
    static constexpr std::uint32_t kIdleMs = 120000;

    ChooseRoomScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~ChooseRoomScreen() override;

    void RoomListBegin(const RoomListBeginRoomMsg& msg);
    void RoomListItem(const RoomListItemRoomMsg& msg);
    void RoomUpdate(const RoomUpdateRoomMsg& msg);
    void PlayerFound(const PlayerFoundRoomMsg& msg);
    void PlayerNotFound(const PlayerNotFoundRoomMsg& msg);
    // Joining failed: the reason (when there is one) in a box, then the
    // screen's opening state.
    void ChooseAnotherRoom(const std::string& text);

    std::uint32_t GetTotalTime() override { return GetFirstTime() + GetMiddleTime() + GetLastTime(); }
    std::uint32_t GetFirstTime() override { return 2000; }
    std::uint32_t GetMiddleTime() override { return 0; }
    std::uint32_t GetLastTime() override { return 2000; }
    void OnKeyboardChar(const KeyboardCharMsg& msg) override;
    void OnGainedKeyboardFocus() override;
    void OnLostKeyboardFocus() override;
    virtual void SetAdultAllowed(bool allowed);
    virtual void SetPreflightMode(bool preflight);

    static bool IsJoinable(const PictureRoom* room) { return IsJoinableRoom(room); }

    void OnStarting() override;
    void OnStarted() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // The draws of choose for me (0 .. n - 1); by default the general generator.
    void SetRandomSource(RoomRandom random) { random_ = std::move(random); }

    // For tests.
    const ChooserRooms& GetRooms() const { return rooms_; }
    // The room the current mode yields, or null.
    const PictureRoom* GetSelectedRoom() const;
    std::int32_t GetSelectionSource() const { return source_; }
    bool IsFindActive() const { return findActive_; }
    bool IsRoomTaken() const { return roomTaken_; }
    ListControl& GetCleanList() { return *cleanList_; }
    ListControl& GetAdultList() { return *adultList_; }
    FindMyFriendControl& GetFindControl() { return *findControl_; }
    RadioButtonControl& GetChooseForMeButton() { return *chooseForMe_; }
    RadioButtonControl& GetLetMeChooseButton() { return *letMeChoose_; }
    RadioButtonControl& GetFindFriendButton() { return *findFriend_; }
    RadioButtonControl& GetCleanTabButton() { return *cleanTab_; }
    RadioButtonControl& GetAdultTabButton() { return *adultTab_; }
    ToggleButtonControl& GetJoinButton() { return *join_; }
    Animation& GetTabBackdrop() { return *tabBackdrop_; }
    Animation& GetJoinMark() { return *joinMark_; }
    Timer& GetIdleTimer() { return *idleTimer_; }
    ParallelSequencer& GetMainSequencer() { return *mainSequencer_; }
    Voice& GetBeginningVoice() { return *beginning_; }
    Voice& GetKeepItCleanVoice() { return *keepItClean_; }
    Voice& GetAdultLanguageVoice() { return *adultLanguage_; }
    Voice& GetChooseForMeVoice() { return *chooseForMeVoice_; }
    Voice& GetLetMeChooseVoice() { return *letMeChooseVoice_; }
    Voice& GetFindMyFriendsVoice() { return *findMyFriendsVoice_; }
    Sfx& GetWindowSfx() { return *windowSfx_; }
    Sfx& GetPencilSfx() { return *pencilSfx_; }

  private:
    bool IsMode(const RadioButtonControl* button) const { return mode_ == button; }
    bool IsCleanTab() const;
    ListControl& TabList();
    void AddRowFor(const PictureRoom& room);
    void Refresh();
    std::ptrdiff_t ChooseForMe();
    void RestartIdleTimer();
    void ApplyModes();
    void ApplyTab(bool clean);
    void OnModeClicked(RadioButtonControl* button);
    void OnTabClicked(RadioButtonControl* button);
    void OnJoinClicked();
    void ClickJoinIfVisible();
    void ShowTabs(bool shown);
    void ResetControls();
    void StartMainSequencer();
    void Unsubscribe();

    SharedControls* shared_;
    std::unique_ptr<RadioContainer> modeGroup_;
    std::unique_ptr<RadioContainer> tabGroup_;
    std::unique_ptr<ParallelSequencer> mainSequencer_;
    std::unique_ptr<StartSequencer> controlsStarter_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<Animation> backdrop_;
    std::unique_ptr<Animation> tabBackdrop_;
    std::unique_ptr<Animation> joinMark_;
    std::unique_ptr<ListControl> cleanList_;
    std::unique_ptr<ListControl> adultList_;
    std::unique_ptr<FindMyFriendControl> findControl_;
    RadioButtonControl* mode_ = nullptr;
    RadioButtonControl* tab_ = nullptr;
    std::unique_ptr<RadioButtonControl> chooseForMe_;
    std::unique_ptr<RadioButtonControl> letMeChoose_;
    std::unique_ptr<RadioButtonControl> findFriend_;
    std::unique_ptr<RadioButtonControl> cleanTab_;
    std::unique_ptr<RadioButtonControl> adultTab_;
    std::unique_ptr<ToggleButtonControl> join_;
    std::unique_ptr<Voice> adultLanguage_;
    std::unique_ptr<Voice> keepItClean_;
    std::unique_ptr<Voice> beginning_;
    std::unique_ptr<Voice> chooseForMeVoice_;
    std::unique_ptr<Voice> letMeChooseVoice_;
    std::unique_ptr<Voice> findMyFriendsVoice_;
    std::unique_ptr<Sfx> windowSfx_;
    std::unique_ptr<Sfx> pencilSfx_;
    std::unique_ptr<Timer> idleTimer_;
    ChooserRooms rooms_;
    // The selection: an index into rooms_ (sources 1 and 2), the friend's room
    // (source 3), or none.
    std::ptrdiff_t selectedIndex_ = -1;
    std::int32_t source_ = kNoSource;
    RoomRandom random_;
    bool findActive_ = false;
    bool adultAllowed_ = false;
    bool preflightMode_ = false;
    bool roomTaken_ = false;
    bool subscribed_ = false;
};
