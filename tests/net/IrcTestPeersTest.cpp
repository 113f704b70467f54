#include "IrcTestPeers.h"

#include <gtest/gtest.h>

namespace {

using namespace irctest;

// The peers themselves: a server with and without a message of the day, the
// peer user joining first, and the proxy logging and injecting.
TEST(IrcTestPeersTest, ServerPeerAndProxyWork) {
    if (!Ngircd::Available()) GTEST_SKIP() << "ngircd is not installed (tools/deps.sh installs it)";
    Ngircd server;
    ASSERT_TRUE(server.Started());
    FaultProxy proxy(server.Port());
    ASSERT_NE(proxy.Port(), 0);
    PeerUser peer(proxy.Port(), "peer", "room");
    ASSERT_TRUE(peer.Ready());
    EXPECT_TRUE(peer.Heard().WaitFor(":peer!~peer@127.0.0.1 JOIN :#room"));
    EXPECT_TRUE(proxy.Log().WaitFor("C> JOIN #room"));
    EXPECT_TRUE(proxy.Log().WaitFor("S> :irc.test 255 peer :I have"));
    ASSERT_TRUE(proxy.Command("inject 3a782050494e47203a610d0a"));
    EXPECT_TRUE(peer.Heard().WaitFor("< :x PING :a"));

    Ngircd bare(false);
    ASSERT_TRUE(bare.Started());
    PeerUser alone(bare.Port(), "alone", "");
    ASSERT_TRUE(alone.Ready());
    EXPECT_TRUE(alone.Heard().WaitFor(" 422 alone "));
}

// Why the client sends its nick as the user name: a standard server refuses
// "USER * * * *" and closes the link.
TEST(IrcTestPeersTest, ServerRefusesStarsAsUserName) {
    if (!Ngircd::Available()) GTEST_SKIP() << "ngircd is not installed (tools/deps.sh installs it)";
    Ngircd server;
    ASSERT_TRUE(server.Started());
    PeerUser raw(server.Port(), "", "", true);
    ASSERT_TRUE(raw.Ready());
    raw.Send("NICK starry");
    raw.Send("USER * * * *");
    EXPECT_TRUE(raw.Heard().WaitFor("< ERROR :Invalid user name"));

    PeerUser fixed(server.Port(), "", "", true);
    ASSERT_TRUE(fixed.Ready());
    fixed.Send("NICK a7F000001C350");
    fixed.Send("USER a7F000001C350 * * *");
    EXPECT_TRUE(fixed.Heard().WaitFor("< :irc.test 255 a7F000001C350 "));
}

}  // namespace
