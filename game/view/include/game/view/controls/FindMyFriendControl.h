#pragma once

// The room chooser's find-my-friend mode: an edit field for a friend's user
// name, a search button, a board that shows the friend's room, and a message
// and a hint line. Enter or the button searches: the trimmed name goes to the
// receivers as FindPlayerMsg, and the lobby's answer, handed back through
// PlayerFound or PlayerNotFound, shows the room with a spoken comment or says
// the friend was not found. The room it holds is the one the chooser joins.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Control.h"
#include "game/model/PictureRoom.h"
#include "net/Player.h"

class Animation;
class EditControl;
class KeyboardCharMsg;
class ParallelSequencer;
class PlayerFoundRoomMsg;
class PlayerNotFoundRoomMsg;
class StopSequencer;
class ToggleButtonControl;
class Voice;

class FindMyFriendControl : public Control {
  public:
    FindMyFriendControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                        std::int32_t boardNumber, std::int32_t editAnimation, std::int32_t editItem,
                        std::int32_t searchUp, std::int32_t searchDown, std::int32_t nameField,
                        std::int32_t playersField, std::int32_t roundField, std::int32_t pointsField,
                        std::int32_t statusField, std::int32_t messageNumber, std::int32_t messageField,
                        std::int32_t hintNumber, std::int32_t hintField);
    ~FindMyFriendControl() override;

    void OnGainedKeyboardFocus() override;
    void OnLostKeyboardFocus() override;
    virtual void SetAdultAllowed(bool allowed) { adultAllowed_ = allowed; }
    virtual void SetPreflightMode(bool preflight) { preflightMode_ = preflight; }

    void PlayerFound(const PlayerFoundRoomMsg& msg);
    void PlayerNotFound(const PlayerNotFoundRoomMsg& msg);
    void Reset();
    void OnKeyboardChar(const KeyboardCharMsg& msg);
    void OnRoomUpdate() {}

    // The found friend's room; a default room when none is held.
    const PictureRoom& GetRoom() const { return room_; }
    const Player& GetPlayer() const { return player_; }
    const std::string& GetSearchName() const { return searchName_; }

    EditControl& GetEditField() { return *editField_; }
    ToggleButtonControl& GetSearchButton() { return *searchButton_; }
    Voice& GetFoundVoice() { return *found_; }
    Voice& GetNotFoundVoice() { return *notFound_; }
    Voice& GetRoomFullVoice() { return *roomFull_; }
    Voice& GetChoosingVoice() { return *choosing_; }
    Voice& GetTryAgainVoice() { return *tryAgain_; }

    void OnStarting() override;
    void OnStarted() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    void Search(const std::string& typed);
    void ShowNotFound(const std::string& message, const std::string& hint);
    void ClearBoard();
    void Forget();
    void UncheckButton();
    static void StartIfStopped(Voice& voice);

    std::unique_ptr<ParallelSequencer> mainSequencer_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<EditControl> editField_;
    std::unique_ptr<Animation> board_;
    std::unique_ptr<Animation> messageLine_;
    std::unique_ptr<Animation> hintLine_;
    std::unique_ptr<ToggleButtonControl> searchButton_;
    std::unique_ptr<Voice> found_;
    std::unique_ptr<Voice> notFound_;
    std::unique_ptr<Voice> roomFull_;
    std::unique_ptr<Voice> choosing_;
    std::unique_ptr<Voice> tryAgain_;
    std::int32_t nameField_;
    std::int32_t playersField_;
    std::int32_t roundField_;
    std::int32_t pointsField_;
    std::int32_t statusField_;
    std::int32_t messageField_;
    std::int32_t hintField_;
    std::string searchName_;
    PictureRoom room_;
    Player player_;
    bool adultAllowed_ = false;
    bool preflightMode_ = false;
};
