#pragma once

// The room messages of the generic protocol, one class per tag. Each has a
// constructor from its field values (to send), a copy constructor (Clone) and one
// from a stream (the factory), which reads the tag and the fields in wire order and
// throws InvalidRoomMsg when a field fails. Messages own their player and room
// records. Segment messages take the segment's five numbers last.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/RoomMsg.h"

// "LN": The bot asks the client to log on; the answer to the challenge goes back in "L".
class LogonNowRoomMsg : public RoomMsgOf<LogonNowRoomMsg> {
  public:
    static constexpr const char* kTag = "LN";

    explicit LogonNowRoomMsg(std::uint32_t challenge) : challenge_(challenge) {}
    explicit LogonNowRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::uint32_t GetChallenge() const { return challenge_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.challenge_...);
    }

  private:
    std::uint32_t challenge_ = 0;
};

// "L": The client's logon.
class LogonRoomMsg : public RoomMsgOf<LogonRoomMsg> {
  public:
    static constexpr const char* kTag = "L";

    LogonRoomMsg(std::string playerName, std::uint32_t answer, Version version, std::uint32_t playerId,
                 std::uint32_t sessionId, std::int32_t configuration)
        : playerName_(std::move(playerName)),
          answer_(answer),
          version_(std::move(version)),
          playerId_(playerId),
          sessionId_(sessionId),
          configuration_(configuration) {}
    explicit LogonRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetPlayerName() const { return playerName_; }
    std::uint32_t GetAnswer() const { return answer_; }
    const Version& GetVersion() const { return version_; }
    std::uint32_t GetPlayerId() const { return playerId_; }
    std::uint32_t GetSessionId() const { return sessionId_; }
    std::int32_t GetConfiguration() const { return configuration_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.playerName_...);
        f(s.answer_...);
        f(s.version_...);
        f(s.playerId_...);
        f(s.sessionId_...);
        f(s.configuration_...);
    }

  private:
    std::string playerName_;
    std::uint32_t answer_ = 0;
    Version version_;
    std::uint32_t playerId_ = 0;
    std::uint32_t sessionId_ = 0;
    std::int32_t configuration_ = 0;
};

// "LA": The bot accepts the logon: the room's name as it announces it, its version and its clock in ms.
class LogonAcceptedRoomMsg : public RoomMsgOf<LogonAcceptedRoomMsg> {
  public:
    static constexpr const char* kTag = "LA";

    LogonAcceptedRoomMsg(std::string text, Version serverVersion, std::uint32_t serverTime)
        : text_(std::move(text)), serverVersion_(std::move(serverVersion)), serverTime_(serverTime) {}
    explicit LogonAcceptedRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetText() const { return text_; }
    const Version& GetServerVersion() const { return serverVersion_; }
    std::uint32_t GetServerTime() const { return serverTime_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.text_...);
        f(s.serverVersion_...);
        f(s.serverTime_...);
    }

  private:
    std::string text_;
    Version serverVersion_;
    std::uint32_t serverTime_ = 0;
};

// "LO": The client logs off.
class LogoffRoomMsg : public RoomMsgOf<LogoffRoomMsg> {
  public:
    static constexpr const char* kTag = "LO";

    explicit LogoffRoomMsg(bool logoff) : logoff_(logoff) {}
    explicit LogoffRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    bool GetLogoff() const { return logoff_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.logoff_...);
    }

  private:
    bool logoff_ = false;
};

// "LOA": The bot accepts the logoff.
class LogoffAcceptedRoomMsg : public RoomMsgOf<LogoffAcceptedRoomMsg> {
  public:
    static constexpr const char* kTag = "LOA";

    LogoffAcceptedRoomMsg() = default;
    explicit LogoffAcceptedRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "SA": An ad break: the ads are played one after another.
class StartAdsRoomMsg : public RoomMsgOf<StartAdsRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SA";

    StartAdsRoomMsg(bool flag, std::vector<AdInfo> ads, std::uint32_t timeStamp, std::int32_t startDelay,
                    std::int32_t arg3, std::int32_t arg4, std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length), flag_(flag), ads_(std::move(ads)) {}
    explicit StartAdsRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    bool GetFlag() const { return flag_; }
    const std::vector<AdInfo>& GetAds() const { return ads_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.flag_...);
        f(s.ads_...);
    }

  private:
    bool flag_ = false;
    std::vector<AdInfo> ads_;
};

// "SPA": The sponsor ad.
class SponsorAdRoomMsg : public RoomMsgOf<SponsorAdRoomMsg> {
  public:
    static constexpr const char* kTag = "SPA";

    explicit SponsorAdRoomMsg(AdInfo ad) : ad_(std::move(ad)) {}
    explicit SponsorAdRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const AdInfo& GetAd() const { return ad_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.ad_...);
    }

  private:
    AdInfo ad_;
};

// "ADLB": The ads to download: begin.
class AdDownloadListBeginRoomMsg : public RoomMsgOf<AdDownloadListBeginRoomMsg> {
  public:
    static constexpr const char* kTag = "ADLB";

    explicit AdDownloadListBeginRoomMsg(std::int32_t number) : number_(number) {}
    explicit AdDownloadListBeginRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
    }

  private:
    std::int32_t number_ = 0;
};

// "ADLI": The ads to download: one item.
class AdDownloadListItemRoomMsg : public RoomMsgOf<AdDownloadListItemRoomMsg> {
  public:
    static constexpr const char* kTag = "ADLI";

    AdDownloadListItemRoomMsg(std::int32_t item, AdInfo ad) : item_(item), ad_(std::move(ad)) {}
    explicit AdDownloadListItemRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetItem() const { return item_; }
    const AdInfo& GetAd() const { return ad_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.item_...);
        f(s.ad_...);
    }

  private:
    std::int32_t item_ = 0;
    AdInfo ad_;
};

// "ADLE": The ads to download: end.
class AdDownloadListEndRoomMsg : public RoomMsgOf<AdDownloadListEndRoomMsg> {
  public:
    static constexpr const char* kTag = "ADLE";

    AdDownloadListEndRoomMsg() = default;
    explicit AdDownloadListEndRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "AI": An ad was shown, and whether the player clicked it.
class AdImpressionRoomMsg : public RoomMsgOf<AdImpressionRoomMsg> {
  public:
    static constexpr const char* kTag = "AI";

    AdImpressionRoomMsg(bool clicked, AdInfo ad) : clicked_(clicked), ad_(std::move(ad)) {}
    explicit AdImpressionRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    bool GetClicked() const { return clicked_; }
    const AdInfo& GetAd() const { return ad_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.clicked_...);
        f(s.ad_...);
    }

  private:
    bool clicked_ = false;
    AdInfo ad_;
};

// "PUC": A chat line to the room.
class PublicChatRoomMsg : public RoomMsgOf<PublicChatRoomMsg> {
  public:
    static constexpr const char* kTag = "PUC";

    PublicChatRoomMsg(std::string text, std::string sender)
        : text_(std::move(text)), sender_(std::move(sender)) {}
    explicit PublicChatRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetText() const { return text_; }
    const std::string& GetSender() const { return sender_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.text_...);
        f(s.sender_...);
    }

  private:
    std::string text_;
    std::string sender_;
};

// "PRC": A chat line to one player.
class PrivateChatRoomMsg : public RoomMsgOf<PrivateChatRoomMsg> {
  public:
    static constexpr const char* kTag = "PRC";

    PrivateChatRoomMsg(std::string text, std::string sender, std::string addressee)
        : text_(std::move(text)), sender_(std::move(sender)), addressee_(std::move(addressee)) {}
    explicit PrivateChatRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetText() const { return text_; }
    const std::string& GetSender() const { return sender_; }
    const std::string& GetAddressee() const { return addressee_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.text_...);
        f(s.sender_...);
        f(s.addressee_...);
    }

  private:
    std::string text_;
    std::string sender_;
    std::string addressee_;
};

// "MC": An emote.
class MeChatRoomMsg : public RoomMsgOf<MeChatRoomMsg> {
  public:
    static constexpr const char* kTag = "MC";

    MeChatRoomMsg(std::string text, std::string sender)
        : text_(std::move(text)), sender_(std::move(sender)) {}
    explicit MeChatRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetText() const { return text_; }
    const std::string& GetSender() const { return sender_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.text_...);
        f(s.sender_...);
    }

  private:
    std::string text_;
    std::string sender_;
};

// "HC": A line of the room's host.
class HostChatRoomMsg : public RoomMsgOf<HostChatRoomMsg> {
  public:
    static constexpr const char* kTag = "HC";

    explicit HostChatRoomMsg(std::string text) : text_(std::move(text)) {}
    explicit HostChatRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetText() const { return text_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.text_...);
    }

  private:
    std::string text_;
};

// "PJ": A player joined the room.
class PlayerJoinRoomMsg : public RoomMsgOf<PlayerJoinRoomMsg> {
  public:
    static constexpr const char* kTag = "PJ";

    explicit PlayerJoinRoomMsg(std::unique_ptr<Player> player) : player_(std::move(player)) {}
    explicit PlayerJoinRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const Player* GetPlayer() const { return player_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.player_...);
    }

  private:
    RecordPtr<Player> player_;
};

// "PLEAVE": A player left the room.
class PlayerLeaveRoomMsg : public RoomMsgOf<PlayerLeaveRoomMsg> {
  public:
    static constexpr const char* kTag = "PLEAVE";

    explicit PlayerLeaveRoomMsg(std::unique_ptr<Player> player) : player_(std::move(player)) {}
    explicit PlayerLeaveRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const Player* GetPlayer() const { return player_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.player_...);
    }

  private:
    RecordPtr<Player> player_;
};

// "PLB": The player list: begin, with the number of players that follow.
class PlayerListBeginRoomMsg : public RoomMsgOf<PlayerListBeginRoomMsg> {
  public:
    static constexpr const char* kTag = "PLB";

    explicit PlayerListBeginRoomMsg(std::int32_t count) : count_(count) {}
    explicit PlayerListBeginRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetCount() const { return count_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.count_...);
    }

  private:
    std::int32_t count_ = 0;
};

// "PLI": The player list: one player.
class PlayerListItemRoomMsg : public RoomMsgOf<PlayerListItemRoomMsg> {
  public:
    static constexpr const char* kTag = "PLI";

    PlayerListItemRoomMsg(std::int32_t item, std::unique_ptr<Player> player)
        : item_(item), player_(std::move(player)) {}
    explicit PlayerListItemRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetItem() const { return item_; }
    const Player* GetPlayer() const { return player_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.item_...);
        f(s.player_...);
    }

  private:
    std::int32_t item_ = 0;
    RecordPtr<Player> player_;
};

// "PLE": The player list: end.
class PlayerListEndRoomMsg : public RoomMsgOf<PlayerListEndRoomMsg> {
  public:
    static constexpr const char* kTag = "PLE";

    PlayerListEndRoomMsg() = default;
    explicit PlayerListEndRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "LER": The bot asks the client to leave the room.
class LeaveRoomRoomMsg : public RoomMsgOf<LeaveRoomRoomMsg> {
  public:
    static constexpr const char* kTag = "LER";

    explicit LeaveRoomRoomMsg(std::string reason) : reason_(std::move(reason)) {}
    explicit LeaveRoomRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetReason() const { return reason_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.reason_...);
    }

  private:
    std::string reason_;
};

// "FP": The client looks for a player.
class FindPlayerRoomMsg : public RoomMsgOf<FindPlayerRoomMsg> {
  public:
    static constexpr const char* kTag = "FP";

    explicit FindPlayerRoomMsg(std::unique_ptr<Player> player) : player_(std::move(player)) {}
    explicit FindPlayerRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const Player* GetPlayer() const { return player_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.player_...);
    }

  private:
    RecordPtr<Player> player_;
};

// "PF": The player looked for, and the room they are in.
class PlayerFoundRoomMsg : public RoomMsgOf<PlayerFoundRoomMsg> {
  public:
    static constexpr const char* kTag = "PF";

    PlayerFoundRoomMsg(std::unique_ptr<Player> player, std::unique_ptr<Room> room)
        : player_(std::move(player)), room_(std::move(room)) {}
    explicit PlayerFoundRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const Player* GetPlayer() const { return player_.get(); }
    const Room* GetRoom() const { return room_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.player_...);
        f(s.room_...);
    }

  private:
    RecordPtr<Player> player_;
    RecordPtr<Room> room_;
};

// "PNF": The player looked for is nowhere.
class PlayerNotFoundRoomMsg : public RoomMsgOf<PlayerNotFoundRoomMsg> {
  public:
    static constexpr const char* kTag = "PNF";

    explicit PlayerNotFoundRoomMsg(std::unique_ptr<Player> player) : player_(std::move(player)) {}
    explicit PlayerNotFoundRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const Player* GetPlayer() const { return player_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.player_...);
    }

  private:
    RecordPtr<Player> player_;
};

// "RB": The room list: begin, with the number of rooms that follow.
class RoomListBeginRoomMsg : public RoomMsgOf<RoomListBeginRoomMsg> {
  public:
    static constexpr const char* kTag = "RB";

    explicit RoomListBeginRoomMsg(std::int32_t count) : count_(count) {}
    explicit RoomListBeginRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetCount() const { return count_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.count_...);
    }

  private:
    std::int32_t count_ = 0;
};

// "RI": The room list: one room.
class RoomListItemRoomMsg : public RoomMsgOf<RoomListItemRoomMsg> {
  public:
    static constexpr const char* kTag = "RI";

    RoomListItemRoomMsg(std::int32_t item, std::unique_ptr<Room> room)
        : item_(item), room_(std::move(room)) {}
    explicit RoomListItemRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetItem() const { return item_; }
    const Room* GetRoom() const { return room_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.item_...);
        f(s.room_...);
    }

  private:
    std::int32_t item_ = 0;
    RecordPtr<Room> room_;
};

// "RE": The room list: end.
class RoomListEndRoomMsg : public RoomMsgOf<RoomListEndRoomMsg> {
  public:
    static constexpr const char* kTag = "RE";

    RoomListEndRoomMsg() = default;
    explicit RoomListEndRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "LSR": The bot asks whether the client has caught up with its lists.
class ListSyncRequestRoomMsg : public RoomMsgOf<ListSyncRequestRoomMsg> {
  public:
    static constexpr const char* kTag = "LSR";

    ListSyncRequestRoomMsg() = default;
    explicit ListSyncRequestRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "LSA": The client's answer to "LSR".
class ListSyncAckRoomMsg : public RoomMsgOf<ListSyncAckRoomMsg> {
  public:
    static constexpr const char* kTag = "LSA";

    ListSyncAckRoomMsg() = default;
    explicit ListSyncAckRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "RU": A room changed.
class RoomUpdateRoomMsg : public RoomMsgOf<RoomUpdateRoomMsg> {
  public:
    static constexpr const char* kTag = "RU";

    explicit RoomUpdateRoomMsg(std::unique_ptr<Room> room) : room_(std::move(room)) {}
    explicit RoomUpdateRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const Room* GetRoom() const { return room_.get(); }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.room_...);
    }

  private:
    RecordPtr<Room> room_;
};

// "RR": The client is ready for the room's messages.
class ReadyRoomMsg : public RoomMsgOf<ReadyRoomMsg> {
  public:
    static constexpr const char* kTag = "RR";

    ReadyRoomMsg() = default;
    explicit ReadyRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "GP": From now on the bot also speaks to the channel.
class GoPublicRoomMsg : public RoomMsgOf<GoPublicRoomMsg> {
  public:
    static constexpr const char* kTag = "GP";

    GoPublicRoomMsg() = default;
    explicit GoPublicRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "ST": The answer to "RS": its time stamp is the server clock.
class SyncTimeSegmentMsg : public RoomMsgOf<SyncTimeSegmentMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "ST";

    SyncTimeSegmentMsg(std::uint32_t timeStamp, std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4,
                       std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length) {}
    explicit SyncTimeSegmentMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "RS": The client asks for the server clock, with its best and last round trips in ms.
class RequestSyncRoomMsg : public RoomMsgOf<RequestSyncRoomMsg> {
  public:
    static constexpr const char* kTag = "RS";

    RequestSyncRoomMsg(std::uint32_t best, std::uint32_t last) : best_(best), last_(last) {}
    explicit RequestSyncRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::uint32_t GetBestRoundTrip() const { return best_; }
    std::uint32_t GetLastRoundTrip() const { return last_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.best_...);
        f(s.last_...);
    }

  private:
    std::uint32_t best_ = 0;
    std::uint32_t last_ = 0;
};
