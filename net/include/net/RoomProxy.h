#pragma once

// The client's end of one room: an IRC client on the room's channel, the logon to
// the room bot, a copy of the bot's clock, the protocol messages it answers itself,
// and a queue of the bot's other messages from which the application takes them
// one at a time. It acts on its IRC client's and timers' messages at once.
//
// Only the bot is listened to: once its nick is known (from the first "LN" while
// starting) texts from anyone else are dropped unread, and a text that does not
// read as a message is dropped and counted, never thrown.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "net/RoomMsg.h"
#include "resource/AdInfo.h"
#include "resource/Version.h"

class IRCPartMsg;
class IRCPrivateMsg;
class IRCPublicMsg;
class Timer;
class xIrcClient;

class RoomProxy : public ProcessForwarder, public QueuedMsgReceiverForwarder {
  public:
    static constexpr std::uint32_t kDefaultLogonTimeoutMs = 60000;
    static constexpr std::uint32_t kNoRoundTrip = 99999;
    static constexpr std::uint32_t kLongSyncMs = 120000;
    static constexpr std::uint32_t kShortSyncMs = 10000;

    // Makes the IRC client; tests give a scripted one.
    using IrcClientMaker = std::function<std::unique_ptr<xIrcClient>()>;

    // A null maker makes a real xIrcClient.
    explicit RoomProxy(IrcClientMaker makeClient = nullptr);
    ~RoomProxy() override;

    virtual bool HasRoomMsg() const { return !queue_.empty(); }
    virtual bool IsNextRoomMsgSegment() const;
    virtual void DispatchNextRoomMsg();

    virtual void SendPublicChat(const std::string& text);
    virtual void SendPrivateChat(const Player& player, const std::string& text);
    virtual void SendMeChat(const std::string& text);
    virtual void SendHostChat(const std::string& text);
    virtual void SendAdImpression(const AdInfo& ad, bool clicked);
    virtual void SendFindPlayer(const Player& player);

    // Only while stopped (otherwise throws the integer 0). A port outside 1 to
    // 65535 is kept and fails the next start.
    virtual void Configure(const std::string& ircHost, std::int32_t ircPort, const std::string& channel,
                           const std::string& playerName, std::uint32_t playerId, std::uint32_t sessionId,
                           const Version& clientVersion, std::int32_t configuration, bool clockSync);
    virtual void SetLogonTimeout(std::uint32_t ms) { logonTimeout_ = ms; }
    virtual std::uint32_t GetLogonTimeout() const { return logonTimeout_; }
    virtual const std::string& GetLogonAcceptedString() const { return roomName_; }
    virtual const Version& GetServerVersion() const { return serverVersion_; }
    virtual std::string GetEmptyString1() const { return {}; }
    virtual std::int32_t ReturnsZero() const { return 0; }
    virtual std::string GetEmptyString2() const { return {}; }
    virtual const std::string& GetPlayerName() const { return playerName_; }
    virtual std::uint32_t GetPlayerId() const { return playerId_; }
    virtual std::uint32_t GetSessionId() const { return sessionId_; }
    virtual const Version& GetVersion() const { return clientVersion_; }
    virtual std::int32_t GetConfigInt() const { return configuration_; }
    virtual bool GetLogoffFlag() const { return logoffFlag_; }
    virtual void SetLogoffFlag(bool flag) { logoffFlag_ = flag; }

    virtual void OnIrcPublicMsg(const IRCPublicMsg& msg);
    virtual void OnIrcPrivateMsg(const IRCPrivateMsg& msg);
    virtual void OnIrcPart(const IRCPartMsg& msg);
    virtual void HandleRoomMsg(const RoomMsg& msg, const std::string& nick);
    virtual void OnLogonTimer();
    virtual void OnSyncTimer();
    virtual void OnSyncReplyTimer();
    virtual void QueueRoomMsg(const RoomMsg& msg);
    // Sent to the bot when its nick is known; dropped silently before.
    virtual void Send(const RoomMsg& msg);
    virtual void SetServerTime(std::uint32_t serverTime);
    virtual std::uint32_t GetServerTime() const;

    using ProcessForwarder::Send;

    bool IsPausable() const override { return true; }
    void Stop() override;
    void Stopped() override;
    void OnStarting() override;
    void OnStarted() override;
    void OnResuming() override;
    void OnStopping() override;
    void OnErred() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    xIrcClient& GetIrcClient() { return *client_; }
    const std::string& GetBotNick() const { return botNick_; }
    bool IsPublic() const { return public_; }
    std::uint32_t GetBestRoundTrip() const { return bestRoundTrip_; }
    std::uint32_t GetLastRoundTrip() const { return lastRoundTrip_; }
    bool IsAwaitingSyncReply() const { return awaiting_; }
    bool IsServerTimeSet() const { return clockSet_; }
    // Texts from the bot (or an "LN" while starting) that did not read as a message.
    std::uint32_t GetDroppedCount() const { return dropped_; }
    std::size_t GetQueuedRoomMsgCount() const { return queue_.size(); }

  private:
    // Reads the text and hands the message on; drops what is not a valid message.
    void ReadAndHandle(const std::string& nick, const std::string& text);
    void RequestSync();
    void OnSyncReply(const SegmentRoomMsg& msg, const std::string& nick);
    void Leave(const std::string& reason);
    void CancelTimers();
    void ClearQueue();

    std::unique_ptr<xIrcClient> client_;
    std::unique_ptr<Timer> logonTimer_;
    std::unique_ptr<Timer> syncReplyTimer_;
    std::unique_ptr<Timer> syncTimer_;
    std::uint32_t logonTimeout_ = kDefaultLogonTimeoutMs;

    std::string ircHost_;
    std::int32_t ircPort_ = 0;
    std::string channel_;
    std::string playerName_;
    std::uint32_t playerId_ = 0;
    std::uint32_t sessionId_ = 0;
    Version clientVersion_;
    std::int32_t configuration_ = 1;
    bool clockSync_ = false;

    std::string roomName_;
    Version serverVersion_;
    std::string botNick_;
    bool public_ = false;
    bool logoffFlag_ = false;
    std::deque<std::unique_ptr<RoomMsg>> queue_;

    std::uint32_t clockOffset_ = 0;
    bool serverAhead_ = false;
    bool clockSet_ = false;
    std::uint32_t bestRoundTrip_ = kNoRoundTrip;
    std::uint32_t lastRoundTrip_ = kNoRoundTrip;
    std::uint32_t syncSentAt_ = 0;
    bool awaiting_ = false;
    std::uint32_t dropped_ = 0;

};
