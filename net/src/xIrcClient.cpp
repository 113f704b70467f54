#include "net/xIrcClient.h"

#include <cstdio>
#include <cstring>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "framework/EventBridge.h"
#include "framework/ErrorMsg.h"
#include "framework/StoppingMsg.h"
#include "framework/xTimerService.h"
#include "net/IRCMsg.h"
#include "net/IrcEventText.h"
#include "net/xIrcClientQueue.h"

namespace {

// The letter of the next nick, one for the whole program.
char gNickLetter = 'a';

// Nicks and channel names compare as IRC servers compare them: without regard to case,
// with {}|~ the lower case of []\^.
char FoldChannelChar(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    switch (c) {
        case '[': return '{';
        case ']': return '}';
        case '\\': return '|';
        case '^': return '~';
        default: return c;
    }
}

bool SameIrcName(const std::string& a, const char* b) {
    const std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (FoldChannelChar(a[i]) != FoldChannelChar(b[i])) return false;
    }
    return true;
}


}  // namespace

xIrcClient::xIrcClient() : xEventHandler(nullptr) {
    queue_ = std::make_unique<xIrcClientQueue>();
    queue_->Init();
    timer_ = std::make_unique<xTimerService>(this);
    SetRunning(1);
}

xIrcClient::~xIrcClient() {
    SetRunning(0);
    timer_.reset();
    queue_.reset();
}

void xIrcClient::SetServerAndChannel(const char* host, std::uint16_t port, const char* channel) {
    host_ = host != nullptr ? host : "";
    port_ = port;
    channel_ = channel != nullptr ? channel : "";
}

void xIrcClient::Start() {
    xEventHandler::Start();
    state_ = kIdle;
    connected_ = 0;
    xEvent join(kJoin);
    join.SetStringParam(0, host_.c_str());
    join.SetUShortParam(1, port_);
    join.SetStringParam(2, channel_.c_str());
    SendEvent(this, join);
}

void xIrcClient::Stop() {
    if (IsStarting()) {
        // A start still under way: nothing of it may complete later, so the
        // attempt ends here and the stop completes on the next pass.
        Abandon();
        SetStopping();
        GetProcessSupport().Schedule();
        Send(StoppingMsg());
        SendEventCopy(this, kLeave);
        return;
    }
    xEventHandler::Stop();
    SendEventCopy(this, kLeave);
}

void xIrcClient::SendMsg(const char* target, const char* text) {
    xEvent message(kMessage);
    message.SetStringParam(0, target != nullptr ? target : "");
    message.SetStringParam(1, text != nullptr ? text : "");
    SendEvent(this, message);
}

const char* xIrcClient::GetNick(char* buffer, std::size_t size) {
    if (buffer != nullptr && size > 0) {
        std::snprintf(buffer, size, "%s", nick_.c_str());
    }
    return nick_.c_str();
}

std::int32_t xIrcClient::ParseIrcEvent(const char* text, xEvent& event) {
    return ParseIrcEventText(text, event);
}

std::int16_t xIrcClient::IsBusy() {
    switch (state_) {
        case 0:
        case 2:
        case kConnecting:
        case kQuitting:
        case kJoining:
        case kParting:
            return 1;
        default:
            return 0;
    }
}

std::string xIrcClient::MakeNick() {
    char nick[32];
    std::snprintf(nick, sizeof nick, "%c%08lX%04X", gNickLetter, static_cast<unsigned long>(queue_->GetLocalAddress()),
                  static_cast<unsigned>(queue_->GetLocalPort()));
    gNickLetter = gNickLetter == 'z' ? 'a' : static_cast<char>(gNickLetter + 1);
    return nick;
}

void xIrcClient::Execute() {
    if (xTry([this] { queue_->RaisePendingError(); }) != 0) {
        throw ErrorMsg(kLostCommunication);
    }
    const LifeWatch alive = WatchLife();
    if (IsBusy() == 0) {
        Idle();
    } else {
        timer_->Idle();
    }
    if (!alive.IsAlive() || state_ == kStopped) {
        return;
    }
    const std::int16_t connected = queue_->IsConnected();
    if (connected != connected_) {
        connected_ = connected;
        SendEventNowCopy(this, connected != 0 ? kUp : kDown);
        if (!alive.IsAlive()) return;
    }
    char text[xIRCQueue::kLineMax + 1];
    xEvent event;
    while (state_ != kStopped && queue_->ReadMessage(text, sizeof text) == 1) {
        if (ParseIrcEvent(text, event) != kServerEvent) {
            break;
        }
        HandleEvent(event);
        if (!alive.IsAlive()) return;
    }
}

void xIrcClient::Later(const xEvent& event) {
    QueueEventFront(event);
    QueueEventFront(xEvent(xEventCode::kEndOfPass));
}

void xIrcClient::Now(std::int32_t code) {
    SendEventNowCopy(this, code);
}

void xIrcClient::Abandon() {
    if (state_ == kConnected || state_ == kJoining || state_ == kJoined || state_ == kParting) {
        queue_->SendFormatted("QUIT");
    }
    queue_->Disconnect();
    timer_->CancelTimer();
    ClearEvents();
    connected_ = 0;
    state_ = kIdle;
}

void xIrcClient::FailClient() {
    Abandon();
    state_ = kStopped;
    // Once erred or stopped the process has already told its owner.
    if (!IsStopped() && !IsErred()) {
        Fail();
    }
}

bool xIrcClient::SameServer(const xEvent& event) const {
    return host_ == event.GetTextParam(0) && port_ == static_cast<std::uint16_t>(event.GetShortParam(1));
}

void xIrcClient::SendServerEvent(const xEvent& event) {
    const std::string nick = event.GetTextParam(0);
    switch (event.GetShortParam(1)) {
        case IRCMsg::kPrivate:
            Send(IRCPrivateMsg(nick, event.GetTextParam(2)));
            break;
        case IRCMsg::kPublic:
            Send(IRCPublicMsg(nick, event.GetTextParam(3), event.GetTextParam(2)));
            break;
        case IRCMsg::kServerReply:
        case IRCMsg::kErrorReply:
            Send(IRCServerReplyMsg(nick, static_cast<std::uint16_t>(event.GetShortParam(2))));
            break;
        case IRCMsg::kJoin:
            Send(IRCJoinMsg(nick, event.GetTextParam(2)));
            break;
        case IRCMsg::kPart:
            Send(IRCPartMsg(nick, event.GetTextParam(2)));
            break;
        case IRCMsg::kKick:
            Send(IRCKickMsg(nick, event.GetTextParam(2), event.GetTextParam(3), event.GetTextParam(4)));
            break;
        case IRCMsg::kQuit:
            Send(IRCQuitMsg(nick, event.GetTextParam(2)));
            break;
        default:
            break;
    }
}

void xIrcClient::HandleServerEvent(const xEvent& event) {
    std::int16_t kind = event.GetShortParam(1);
    const std::uint16_t number = static_cast<std::uint16_t>(event.GetShortParam(2));
    // A server without a message of the day says so with 422 right after
    // registering: an ordinary reply, not a refusal.
    if (kind == IRCMsg::kErrorReply && number == 422) {
        kind = IRCMsg::kServerReply;
    }
    if (kind == IRCMsg::kErrorReply) {
        FailClient();
        return;
    }
    const char* nick = event.GetTextParam(0);
    switch (state_) {
        case kConnecting:
            if (kind == IRCMsg::kServerReply && number == 255) {
                timer_->CancelTimer();
                state_ = kConnected;
            }
            return;
        case kConnected:
        case kJoined: {
            const char* subject = kind == IRCMsg::kKick ? event.GetTextParam(2) : nick;
            if ((kind == IRCMsg::kPart || kind == IRCMsg::kKick || kind == IRCMsg::kQuit) &&
                SameIrcName(nick_, subject)) {
                FailClient();
                return;
            }
            SendServerEvent(event);
            return;
        }
        case kJoining:
            if (kind == IRCMsg::kJoin && nick_ == nick && SameIrcName(channel_, event.GetTextParam(2))) {
                timer_->CancelTimer();
                SendEventCopy(this, kJoinedEvent);
                state_ = kJoined;
            }
            return;
        case kParting:
            if (kind == IRCMsg::kPart && nick_ == nick && SameIrcName(channel_, event.GetTextParam(2))) {
                timer_->CancelTimer();
                state_ = kConnected;
            }
            return;
        default:
            return;
    }
}

std::int32_t xIrcClient::HandleEvent(const xEvent& event) {
    const std::int32_t code = event.GetCode();
    // Stopped, or failed: deaf until the next start.
    if (state_ == kStopped) {
        return 0;
    }
    switch (code) {
        case kLeave:
            if (state_ == kIdle) {
                state_ = kStopped;
                Stopped();
            } else if (state_ == kConnected) {
                Later(event);
                Now(kQuit);
            } else if (state_ == kJoined) {
                Later(event);
                Now(kPart);
            } else {
                FailClient();
            }
            break;
        case kTimeout:
            FailClient();
            break;
        case kServerEvent:
            HandleServerEvent(event);
            break;
        case kConnect:
            if (state_ == kIdle) {
                host_ = event.GetTextParam(0);
                port_ = static_cast<std::uint16_t>(event.GetShortParam(1));
                queue_->Connect(host_.c_str(), port_);
                timer_->StartTimer(kTimeoutMs, 0);
                state_ = kConnecting;
            } else if (state_ == kConnected) {
                if (!SameServer(event)) {
                    Later(event);
                    Now(kQuit);
                }
            } else if (state_ == kJoined) {
                Later(event);
                Now(kPart);
            } else {
                FailClient();
            }
            break;
        case kUp:
            if (state_ != kConnecting) {
                FailClient();
                break;
            }
            if (nick_.empty()) {
                nick_ = MakeNick();
            }
            // Standard servers refuse "*" as a user name: the nick stands in for it.
            queue_->SendFormatted("NICK %s", nick_.c_str());
            queue_->SendFormatted("USER %s * * *", nick_.c_str());
            queue_->SendFormatted("MODE %s +i", nick_.c_str());
            timer_->RestartTimer(kTimeoutMs);
            break;
        case kDown:
            if (state_ == kQuitting) {
                timer_->CancelTimer();
                state_ = kIdle;
            } else {
                FailClient();
            }
            break;
        case kQuit:
            if (state_ == kConnected) {
                queue_->SendFormatted("QUIT");
                timer_->RestartTimer(kTimeoutMs);
                state_ = kQuitting;
            } else if (state_ == kJoined) {
                Later(event);
                Now(kPart);
            } else {
                FailClient();
            }
            break;
        case kJoin:
            if (state_ == kIdle) {
                Later(event);
                xEvent connect(event);
                connect.SetCode(kConnect);
                SendEventNow(this, connect);
            } else if (state_ == kConnected) {
                if (SameServer(event)) {
                    channel_ = event.GetTextParam(2);
                    queue_->SendFormatted("JOIN #%s", channel_.c_str());
                    timer_->StartTimer(kTimeoutMs, 0);
                    state_ = kJoining;
                } else {
                    Later(event);
                    xEvent connect(event);
                    connect.SetCode(kConnect);
                    SendEventNow(this, connect);
                }
            } else if (state_ == kJoined) {
                if (SameServer(event) && channel_ == event.GetTextParam(2)) {
                    SendEventCopy(this, kJoinedEvent);
                } else {
                    Later(event);
                    Now(kPart);
                }
            } else {
                FailClient();
            }
            break;
        case kJoinedEvent:
            if (IsStarting()) {
                Started();
            }
            break;
        case kPart:
            if (state_ == kJoined) {
                queue_->SendFormatted("PART #%s", channel_.c_str());
                timer_->StartTimer(kTimeoutMs, 0);
                state_ = kParting;
            } else {
                FailClient();
            }
            break;
        case kSay:
        case kMessage:
            if (state_ == kJoined) {
                if (code == kSay) {
                    queue_->SendFormatted("PRIVMSG #%s :%s", channel_.c_str(), event.GetTextParam(0));
                } else {
                    queue_->SendFormatted("PRIVMSG %s :%s", event.GetTextParam(0), event.GetTextParam(1));
                }
            } else if (IsBusy() != 0) {
                // Kept until the client is joined, or at least no longer busy.
                Later(event);
            }
            break;
        default:
            break;
    }
    return 0;
}
