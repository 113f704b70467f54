#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "framework/CloneableMsg.h"
#include "framework/EventBridge.h"
#include "framework/Msg.h"

// What the IRC client hears on its channel, as messages to its owner. Channels
// are named without their "#". Each message converts to an event of code 88
// (parameter 0 its first text, parameter 1 its kind) for event handlers.
class IRCMsg : public CloneableMsg<IRCMsg>, public EventFormMsg {
  public:
    // Kinds of event 88.
    static constexpr std::int16_t kPrivate = 0;
    static constexpr std::int16_t kPublic = 1;
    static constexpr std::int16_t kServerReply = 2;
    static constexpr std::int16_t kErrorReply = 3;
    static constexpr std::int16_t kJoin = 5;
    static constexpr std::int16_t kPart = 6;
    static constexpr std::int16_t kKick = 7;
    static constexpr std::int16_t kQuit = 10;

    // The plain base names no event: the bridge drops it.
    void FillXEvent(xEvent&) const override {}
};

// A private message to our nick.
class IRCPrivateMsg : public CloneableMsg<IRCPrivateMsg, IRCMsg> {
  public:
    IRCPrivateMsg(std::string nick, std::string text) : nick_(std::move(nick)), text_(std::move(text)) {}
    std::string GetNick() const { return nick_; }
    std::string GetText() const { return text_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::string text_;
};

// A message to a channel.
class IRCPublicMsg : public CloneableMsg<IRCPublicMsg, IRCMsg> {
  public:
    IRCPublicMsg(std::string nick, std::string channel, std::string text)
        : nick_(std::move(nick)), channel_(std::move(channel)), text_(std::move(text)) {}
    std::string GetNick() const { return nick_; }
    std::string GetChannel() const { return channel_; }
    std::string GetText() const { return text_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::string channel_;
    std::string text_;
};

// A numeric reply of the server that is not an error.
class IRCServerReplyMsg : public CloneableMsg<IRCServerReplyMsg, IRCMsg> {
  public:
    IRCServerReplyMsg(std::string nick, std::int32_t number) : nick_(std::move(nick)), number_(number) {}
    std::string GetNick() const { return nick_; }
    std::int32_t GetNumber() const { return number_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::int32_t number_;
};

// A numeric error reply (400 to 599, 900 and above). The client fails on one
// rather than passing it on, so nothing in the client builds it.
class IRCErrorReplyMsg : public CloneableMsg<IRCErrorReplyMsg, IRCMsg> {
  public:
    IRCErrorReplyMsg(std::string nick, std::int32_t number, std::string text)
        : nick_(std::move(nick)), number_(number), text_(std::move(text)) {}
    std::string GetNick() const { return nick_; }
    std::int32_t GetNumber() const { return number_; }
    std::string GetText() const { return text_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::int32_t number_;
    std::string text_;
};

class IRCJoinMsg : public CloneableMsg<IRCJoinMsg, IRCMsg> {
  public:
    IRCJoinMsg(std::string nick, std::string channel) : nick_(std::move(nick)), channel_(std::move(channel)) {}
    std::string GetNick() const { return nick_; }
    std::string GetChannel() const { return channel_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::string channel_;
};

class IRCPartMsg : public CloneableMsg<IRCPartMsg, IRCMsg> {
  public:
    IRCPartMsg(std::string nick, std::string channel) : nick_(std::move(nick)), channel_(std::move(channel)) {}
    std::string GetNick() const { return nick_; }
    std::string GetChannel() const { return channel_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::string channel_;
};

// nick: who kicked; victim: who was kicked.
class IRCKickMsg : public CloneableMsg<IRCKickMsg, IRCMsg> {
  public:
    IRCKickMsg(std::string nick, std::string victim, std::string channel, std::string text)
        : nick_(std::move(nick)), victim_(std::move(victim)), channel_(std::move(channel)), text_(std::move(text)) {}
    std::string GetNick() const { return nick_; }
    std::string GetVictim() const { return victim_; }
    std::string GetChannel() const { return channel_; }
    std::string GetText() const { return text_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::string victim_;
    std::string channel_;
    std::string text_;
};

class IRCQuitMsg : public CloneableMsg<IRCQuitMsg, IRCMsg> {
  public:
    IRCQuitMsg(std::string nick, std::string text) : nick_(std::move(nick)), text_(std::move(text)) {}
    std::string GetNick() const { return nick_; }
    std::string GetText() const { return text_; }
    void FillXEvent(xEvent& event) const override;

  private:
    std::string nick_;
    std::string text_;
};
