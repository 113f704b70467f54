#include "net/RoomProxy.h"

#include <cstdio>

#include "divir/LogonRandom.h"
#include "framework/AppTime.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "net/GenericRoomMsgs.h"
#include "net/IRCMsg.h"
#include "net/RoomMsgFactory.h"
#include "net/RoomProxyMsgs.h"
#include "net/xIrcClient.h"

namespace {

bool IsValidPort(std::int32_t port) {
    return port >= 1 && port <= 65535;
}

// The first token of a received text, without reading it as a message.
std::string FirstToken(const std::string& text) {
    RoomMsgTokenizer tokens;
    tokens.Tokenize(text);
    return std::string(tokens.GetToken(0));
}

}  // namespace

RoomProxy::RoomProxy(IrcClientMaker makeClient)
    : client_(makeClient ? makeClient() : std::make_unique<xIrcClient>()),
      logonTimer_(std::make_unique<Timer>(this)),
      syncReplyTimer_(std::make_unique<Timer>(this)),
      syncTimer_(std::make_unique<Timer>(this)) {
    client_->AddReceiver(this);
}

RoomProxy::~RoomProxy() {
    client_->RemoveReceiver(this);
    logonTimer_->RemoveReceiver(this);
    syncReplyTimer_->RemoveReceiver(this);
    syncTimer_->RemoveReceiver(this);
}

bool RoomProxy::IsNextRoomMsgSegment() const {
    return !queue_.empty() && dynamic_cast<const SegmentRoomMsg*>(queue_.front().get()) != nullptr;
}

void RoomProxy::DispatchNextRoomMsg() {
    if (!queue_.empty()) {
        std::unique_ptr<RoomMsg> msg = std::move(queue_.front());
        queue_.pop_front();
        if (auto* segment = dynamic_cast<SegmentRoomMsg*>(msg.get()); segment != nullptr && clockSet_) {
            segment->AdjustToTime(GetServerTime());
        }
        const LifeWatch alive = WatchLife();
        ProcessForwarder::Send(*msg);
        if (!alive.IsAlive()) return;
    }
    if (!queue_.empty()) ProcessForwarder::Send(RoomMsgAvailableMsg());
}

void RoomProxy::SendPublicChat(const std::string& text) {
    Send(PublicChatRoomMsg(text, playerName_));
}

void RoomProxy::SendPrivateChat(const Player& player, const std::string& text) {
    Send(PrivateChatRoomMsg(text, playerName_, player.GetName()));
}

void RoomProxy::SendMeChat(const std::string& text) {
    Send(MeChatRoomMsg(text, playerName_));
}

void RoomProxy::SendHostChat(const std::string& text) {
    Send(HostChatRoomMsg(text));
}

void RoomProxy::SendAdImpression(const AdInfo& ad, bool clicked) {
    Send(AdImpressionRoomMsg(clicked, ad));
}

void RoomProxy::SendFindPlayer(const Player& player) {
    Send(FindPlayerRoomMsg(player.Clone()));
}

void RoomProxy::Configure(const std::string& ircHost, std::int32_t ircPort, const std::string& channel,
                          const std::string& playerName, std::uint32_t playerId, std::uint32_t sessionId,
                          const Version& clientVersion, std::int32_t configuration, bool clockSync) {
    if (!IsStopped()) throw 0;
    ircHost_ = ircHost;
    ircPort_ = ircPort;
    channel_ = channel;
    // The client's port is 16-bit: a port it cannot hold is never truncated into
    // another; the start fails instead.
    if (IsValidPort(ircPort)) {
        client_->SetServerAndChannel(ircHost.c_str(), static_cast<std::uint16_t>(ircPort), channel.c_str());
    }
    playerName_ = playerName;
    playerId_ = playerId;
    sessionId_ = sessionId;
    clientVersion_ = clientVersion;
    configuration_ = configuration;
    clockSync_ = clockSync;
}

void RoomProxy::OnIrcPublicMsg(const IRCPublicMsg& msg) {
    if (!public_) return;
    const std::string nick = msg.GetNick();
    if (botNick_.empty() || nick != botNick_) return;
    ReadAndHandle(nick, msg.GetText());
}

void RoomProxy::OnIrcPrivateMsg(const IRCPrivateMsg& msg) {
    const std::string nick = msg.GetNick();
    const std::string text = msg.GetText();
    // The sender is checked before the text is read: only the bot is heard, and
    // while starting with no bot known, an "LN" from whoever sends it first.
    const bool fromBot = !botNick_.empty() && nick == botNick_;
    const bool logonOffer = botNick_.empty() && IsStarting() && FirstToken(text) == "LN";
    if (!fromBot && !logonOffer) return;
    ReadAndHandle(nick, text);
}

void RoomProxy::ReadAndHandle(const std::string& nick, const std::string& text) {
    std::unique_ptr<RoomMsg> msg;
    try {
        RoomMsgStream stream(text);
        msg = GetRoomMsgFactory().CreateRoomMsg(stream);
    } catch (const InvalidRoomMsg&) {
        ++dropped_;
        std::fprintf(stderr, "room proxy: dropped a text from %s that is not a valid message\n",
                     nick.c_str());
        return;
    }
    if (msg != nullptr) HandleRoomMsg(*msg, nick);
}

void RoomProxy::OnIrcPart(const IRCPartMsg& msg) {
    if (botNick_.empty() || msg.GetNick() != botNick_) return;
    if (IsStopped() || IsErred()) return;
    const LifeWatch alive = WatchLife();
    ProcessForwarder::Send(LostRoomBotErrorMsg(botNick_, channel_));
    if (!alive.IsAlive() || IsStopped() || IsErred()) return;
    Fail();
}

void RoomProxy::HandleRoomMsg(const RoomMsg& msg, const std::string& nick) {
    const std::string& tag = msg.GetTag();
    if (tag == SyncTimeSegmentMsg::kTag) {
        OnSyncReply(static_cast<const SegmentRoomMsg&>(msg), nick);
        return;
    }
    if (nick != botNick_ && tag != LogonNowRoomMsg::kTag) return;

    if (IsStarting()) {
        if (const auto* logonNow = dynamic_cast<const LogonNowRoomMsg*>(&msg)) {
            if (!botNick_.empty()) return;
            botNick_ = nick;
            Send(LogonRoomMsg(playerName_, LogonChallengeResponse(logonNow->GetChallenge()), clientVersion_,
                              playerId_, sessionId_, configuration_));
        } else if (const auto* accepted = dynamic_cast<const LogonAcceptedRoomMsg*>(&msg)) {
            roomName_ = accepted->GetText();
            serverVersion_ = accepted->GetServerVersion();
            SetServerTime(accepted->GetServerTime());
            bestRoundTrip_ = kNoRoundTrip;
            lastRoundTrip_ = kNoRoundTrip;
            Started();
            logonTimer_->Cancel();
            if (clockSync_) RequestSync();
        } else if (const auto* leave = dynamic_cast<const LeaveRoomRoomMsg*>(&msg)) {
            Leave(leave->GetReason());
        }
        return;
    }
    if (IsStopping()) {
        if (tag == LogoffAcceptedRoomMsg::kTag && (client_->IsStarted() || client_->IsPaused()))
            client_->Stop();
        return;
    }
    if (IsErred() || IsStopped()) return;

    if (tag == ListSyncRequestRoomMsg::kTag) {
        Send(ListSyncAckRoomMsg());
    } else if (const auto* leave = dynamic_cast<const LeaveRoomRoomMsg*>(&msg)) {
        Leave(leave->GetReason());
    } else if (tag == GoPublicRoomMsg::kTag) {
        public_ = true;
    } else {
        QueueRoomMsg(msg);
    }
}

void RoomProxy::Leave(const std::string& reason) {
    const LifeWatch alive = WatchLife();
    ProcessForwarder::Send(LeaveRoomErrorMsg(reason));
    if (!alive.IsAlive() || IsStopped() || IsErred()) return;
    Fail();
}

void RoomProxy::OnLogonTimer() {
    if (IsErred() || IsStopped()) return;
    Fail();
}

void RoomProxy::OnSyncTimer() {
    if (IsStarting() || IsStopping() || IsStopped() || IsErred()) return;
    RequestSync();
}

void RoomProxy::OnSyncReplyTimer() {
    if (!awaiting_ || IsErred() || IsStopped()) return;
    Fail();
}

void RoomProxy::RequestSync() {
    syncSentAt_ = GetServerTime();
    Send(RequestSyncRoomMsg(bestRoundTrip_, lastRoundTrip_));
    awaiting_ = true;
    syncReplyTimer_->StartOnce(logonTimeout_);
}

void RoomProxy::OnSyncReply(const SegmentRoomMsg& msg, const std::string& nick) {
    // The clock that times the segments moves only on the bot's answer to our own
    // request.
    if (!clockSync_ || !awaiting_ || botNick_.empty() || nick != botNick_) return;
    const std::uint32_t roundTrip = GetServerTime() - syncSentAt_;
    lastRoundTrip_ = roundTrip;
    if (roundTrip < bestRoundTrip_ + 100u) {
        bestRoundTrip_ = roundTrip;
        SetServerTime(msg.GetTimeStamp() + roundTrip);
    }
    syncTimer_->StartOnce(bestRoundTrip_ < 750u ? kLongSyncMs : kShortSyncMs);
    awaiting_ = false;
    syncReplyTimer_->Cancel();
}

void RoomProxy::QueueRoomMsg(const RoomMsg& msg) {
    const bool wasEmpty = queue_.empty();
    std::unique_ptr<Msg> copy = msg.Clone();
    queue_.push_back(std::unique_ptr<RoomMsg>(static_cast<RoomMsg*>(copy.release())));
    if (wasEmpty) ProcessForwarder::Send(RoomMsgAvailableMsg());
}

void RoomProxy::Send(const RoomMsg& msg) {
    if (botNick_.empty()) return;
    const std::string text = msg.Write(nullptr);
    client_->SendMsg(botNick_.c_str(), text.c_str());
}

void RoomProxy::SetServerTime(std::uint32_t serverTime) {
    const std::uint32_t now = GetAppTime();
    clockSet_ = true;
    serverAhead_ = serverTime >= now;
    clockOffset_ = serverAhead_ ? serverTime - now : now - serverTime;
}

std::uint32_t RoomProxy::GetServerTime() const {
    const std::uint32_t now = GetAppTime();
    return serverAhead_ ? now + clockOffset_ : now - clockOffset_;
}

void RoomProxy::Stop() {
    ClearQueue();
    ProcessForwarder::Stop();
}

void RoomProxy::Stopped() {
    botNick_.clear();
    CancelTimers();
    awaiting_ = false;
    ProcessForwarder::Stopped();
}

void RoomProxy::OnStarting() {
    roomName_.clear();
    serverVersion_ = Version();
    bestRoundTrip_ = kNoRoundTrip;
    lastRoundTrip_ = kNoRoundTrip;
    public_ = false;
    awaiting_ = false;
    clockSet_ = false;
    serverAhead_ = false;
    clockOffset_ = 0;
    if (!IsValidPort(ircPort_)) {
        Fail();
        return;
    }
    client_->Start();
    // The timers stay started between stays in the room and are only cancelled,
    // so a start right after a stop never finds one still stopping.
    // A timer's first start completes here rather than on a later pass, so that the
    // logon time-out counts from now whatever order the scheduler runs us in.
    for (Timer* timer : {logonTimer_.get(), syncReplyTimer_.get(), syncTimer_.get()}) {
        timer->Cancel();
        if (timer->IsStopped()) {
            timer->Start();
            timer->OnStarting();
        }
    }
    logonTimer_->StartOnce(logonTimeout_);
}

void RoomProxy::OnStarted() {
    if (!HasBeenResumed()) Pause();
}

void RoomProxy::OnResuming() {
    Resumed();
    Send(ReadyRoomMsg());
}

void RoomProxy::OnStopping() {
    syncTimer_->Cancel();
    syncReplyTimer_->Cancel();
    awaiting_ = false;
    Send(LogoffRoomMsg(logoffFlag_));
    logonTimer_->StartOnce(logonTimeout_);
}

void RoomProxy::OnErred() {
    CancelTimers();
    awaiting_ = false;
    // A client still connecting or joining is brought down too, or the next start
    // would find it busy; its StoppedMsg then completes this stop.
    if (client_->IsStopped()) {
        Stopped();
    } else if (!client_->IsStopping()) {
        client_->Stop();
    }
}

std::int32_t RoomProxy::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (!fromQueue && from != nullptr) {
        const LifeWatch alive = WatchLife();
        MsgSender* client = client_.get();
        if (from == client) {
            if (msg.Is<StoppedMsg>()) {
                if (IsStopping()) {
                    Stopped();
                } else if (IsErred()) {
                    Stopped();
                } else if (!IsStopped()) {
                    Fail();
                }
            } else if (const auto* privateMsg = dynamic_cast<const IRCPrivateMsg*>(&msg)) {
                OnIrcPrivateMsg(*privateMsg);
            } else if (const auto* publicMsg = dynamic_cast<const IRCPublicMsg*>(&msg)) {
                OnIrcPublicMsg(*publicMsg);
            } else if (const auto* part = dynamic_cast<const IRCPartMsg*>(&msg)) {
                OnIrcPart(*part);
            }
        } else if (msg.Is<TimerMsg>()) {
            if (from == static_cast<MsgSender*>(logonTimer_.get())) {
                OnLogonTimer();
            } else if (from == static_cast<MsgSender*>(syncTimer_.get())) {
                OnSyncTimer();
            } else if (from == static_cast<MsgSender*>(syncReplyTimer_.get())) {
                OnSyncReplyTimer();
            }
        }
        if (!alive.IsAlive()) return 0;
    }
    return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
}

void RoomProxy::CancelTimers() {
    logonTimer_->Cancel();
    syncReplyTimer_->Cancel();
    syncTimer_->Cancel();
}

void RoomProxy::ClearQueue() {
    queue_.clear();
}
