#include "net/IRCMsg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/EventBridge.h"

namespace {

struct Row {
    const char* name;
    std::unique_ptr<Msg> msg;
    std::int16_t kind;
    const char* p2;  // text, or a number in decimal
    const char* p3;
    const char* p4;
};

std::string Param(const xEvent& event, int index) {
    switch (event.GetParamType(index)) {
        case xEvent::kText:
            return event.GetTextParam(index);
        case xEvent::kInt:
            return std::to_string(event.GetParam(index));
        default:
            return "(none)";
    }
}

TEST(IRCMsgTest, EventFormOfEachMessage) {
    Row rows[] = {
        {"private", std::make_unique<IRCPrivateMsg>("n", "hi"), 0, "hi", "(none)", "(none)"},
        {"public", std::make_unique<IRCPublicMsg>("n", "room", "hi"), 1, "hi", "room", "(none)"},
        {"reply", std::make_unique<IRCServerReplyMsg>("n", 255), 2, "255", "(none)", "(none)"},
        {"error reply", std::make_unique<IRCErrorReplyMsg>("n", 433, "in use"), 3, "433", "in use", "(none)"},
        {"join", std::make_unique<IRCJoinMsg>("n", "room"), 5, "room", "(none)", "(none)"},
        {"part", std::make_unique<IRCPartMsg>("n", "room"), 6, "room", "(none)", "(none)"},
        {"kick", std::make_unique<IRCKickMsg>("n", "v", "room", "bye"), 7, "v", "room", "bye"},
        {"quit", std::make_unique<IRCQuitMsg>("n", "gone"), 10, "gone", "(none)", "(none)"},
    };
    MsgSender* sender = reinterpret_cast<MsgSender*>(0x10);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const auto clone = r.msg->Clone();
        ASSERT_TRUE(clone->Is<IRCMsg>());
        const auto event = MsgToXEvent(*clone, sender);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(event->GetCode(), 88);
        EXPECT_EQ(event->GetSender(), sender);
        EXPECT_STREQ(event->GetTextParam(0), "n");
        EXPECT_EQ(event->GetShortParam(1), r.kind);
        EXPECT_EQ(Param(*event, 2), r.p2);
        EXPECT_EQ(Param(*event, 3), r.p3);
        EXPECT_EQ(Param(*event, 4), r.p4);
        EXPECT_EQ(XEventToMsg(*event).msg, nullptr);
    }
    EXPECT_EQ(MsgToXEvent(IRCMsg(), sender), nullptr);
}

TEST(IRCMsgTest, AccessorsAndCopies) {
    const IRCKickMsg kick("boss", "a1", "room", "out");
    const auto copy = kick.Clone();
    const auto& k = dynamic_cast<const IRCKickMsg&>(*copy);
    EXPECT_EQ(k.GetNick(), "boss");
    EXPECT_EQ(k.GetVictim(), "a1");
    EXPECT_EQ(k.GetChannel(), "room");
    EXPECT_EQ(k.GetText(), "out");
    const IRCErrorReplyMsg error("srv", 475, "Cannot join");
    EXPECT_EQ(IRCErrorReplyMsg(error).GetNumber(), 475);
    EXPECT_EQ(IRCPublicMsg("n", "c", "t").GetChannel(), "c");
}

}  // namespace
