#pragma once

// What the game's view tells the application object: the progress screen's
// cancels and time-outs, the logon's outcome, the room chosen, the opening's end,
// the control panel's choices, a find-my-friend request and the ads' outcomes.
// The chat line has its own header (LocalOriginChatMsg.h).

#include <cstdint>
#include <string>
#include <utility>

#include "framework/CloneableMsg.h"
#include "game/model/PictureRoom.h"
#include "resource/AdInfo.h"

class DispatchProgressCanceledMsg : public CloneableMsg<DispatchProgressCanceledMsg> {};
class DispatchProgressTimedOutMsg : public CloneableMsg<DispatchProgressTimedOutMsg> {};
class FileUpdateProgressCanceledMsg : public CloneableMsg<FileUpdateProgressCanceledMsg> {};
class FileUpdateProgressTimedOutMsg : public CloneableMsg<FileUpdateProgressTimedOutMsg> {};
class ListRoomProgressCanceledMsg : public CloneableMsg<ListRoomProgressCanceledMsg> {};
class ListRoomProgressTimedOutMsg : public CloneableMsg<ListRoomProgressTimedOutMsg> {};

class LogonScreenCanceledMsg : public CloneableMsg<LogonScreenCanceledMsg> {};

// The logon's result: the player's name, a second text the application object
// does not read, the player and session ids and the adult flag.
class LogonScreenSucceededMsg : public CloneableMsg<LogonScreenSucceededMsg> {
  public:
    LogonScreenSucceededMsg(std::string name, std::string other, std::int32_t playerId, std::int32_t sessionId,
                            std::uint8_t adult)
        : name_(std::move(name)),
          other_(std::move(other)),
          playerId_(playerId),
          sessionId_(sessionId),
          adult_(adult) {}
    const std::string& GetName() const { return name_; }
    const std::string& GetOther() const { return other_; }
    std::int32_t GetPlayerId() const { return playerId_; }
    std::int32_t GetSessionId() const { return sessionId_; }
    std::uint8_t GetAdult() const { return adult_; }

  private:
    std::string name_;
    std::string other_;
    std::int32_t playerId_;
    std::int32_t sessionId_;
    std::uint8_t adult_;
};

// The player chose a room: a copy of its record, and the configuration number the
// game room proxy logs on with.
class RoomSelectedMsg : public CloneableMsg<RoomSelectedMsg> {
  public:
    RoomSelectedMsg(const PictureRoom& room, std::int32_t number) : room_(room), number_(number) {}
    const PictureRoom& GetRoom() const { return room_; }
    std::int32_t GetNumber() const { return number_; }

  private:
    PictureRoom room_;
    std::int32_t number_;
};

class OpeningCompleteMsg : public CloneableMsg<OpeningCompleteMsg> {};

class FindPlayerMsg : public CloneableMsg<FindPlayerMsg> {
  public:
    explicit FindPlayerMsg(std::string name) : name_(std::move(name)) {}
    const std::string& GetName() const { return name_; }

  private:
    std::string name_;
};

class ExitMsg : public CloneableMsg<ExitMsg> {};
class NewRoomMsg : public CloneableMsg<NewRoomMsg> {};

// An ad has finished playing; clicked when the player clicked it meanwhile.
class AdViewedMsg : public CloneableMsg<AdViewedMsg> {
  public:
    AdViewedMsg(AdInfo ad, bool clicked) : ad_(std::move(ad)), clicked_(clicked) {}
    const AdInfo& GetAd() const { return ad_; }
    bool GetClicked() const { return clicked_; }
    const AdInfo& GetAdInfo() const { return ad_; }
    bool WasClicked() const { return clicked_; }

  private:
    AdInfo ad_;
    bool clicked_;
};

// The player clicked the running ad.
class AdSelectedMsg : public CloneableMsg<AdSelectedMsg> {
  public:
    explicit AdSelectedMsg(AdInfo ad) : ad_(std::move(ad)) {}
    const AdInfo& GetAd() const { return ad_; }
    const AdInfo& GetAdInfo() const { return ad_; }

  private:
    AdInfo ad_;
};
