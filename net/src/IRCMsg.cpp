#include "net/IRCMsg.h"

namespace {

void Head(xEvent& event, const std::string& nick, std::int16_t kind) {
    event.SetCode(xEventCode::kIrc);
    event.SetStringParam(0, nick.c_str());
    event.SetShortParam(1, kind);
}

}  // namespace

void IRCPrivateMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kPrivate);
    event.SetStringParam(2, text_.c_str());
}

void IRCPublicMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kPublic);
    event.SetStringParam(2, text_.c_str());
    event.SetStringParam(3, channel_.c_str());
}

void IRCServerReplyMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kServerReply);
    event.SetIntParam(2, number_);
}

void IRCErrorReplyMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kErrorReply);
    event.SetIntParam(2, number_);
    event.SetStringParam(3, text_.c_str());
}

void IRCJoinMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kJoin);
    event.SetStringParam(2, channel_.c_str());
}

void IRCPartMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kPart);
    event.SetStringParam(2, channel_.c_str());
}

void IRCKickMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kKick);
    event.SetStringParam(2, victim_.c_str());
    event.SetStringParam(3, channel_.c_str());
    event.SetStringParam(4, text_.c_str());
}

void IRCQuitMsg::FillXEvent(xEvent& event) const {
    Head(event, nick_, kQuit);
    event.SetStringParam(2, text_.c_str());
}
