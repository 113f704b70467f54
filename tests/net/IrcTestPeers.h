#pragma once

// The real peers of the IRC tests, each started by the test on loopback and
// stopped by its pid: ngircd, the fault proxy and the scripted peer user of
// testbed/irc. None of them links the client's code. Waiting on them is
// waiting for a line to arrive, bounded by a generous wall-clock limit; no test
// depends on how fast they are.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace irctest {

inline constexpr std::chrono::seconds kPatience{20};

// A child process with its stdin and stdout on pipes; killed and reaped when it goes.
class Child {
  public:
    explicit Child(const std::vector<std::string>& argv);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running() const { return pid_ > 0; }
    void WriteLine(const std::string& line);
    // Reads what has arrived (waiting at most wait); returns whether anything came.
    bool Poll(std::chrono::milliseconds wait);
    // All complete lines read so far.
    const std::vector<std::string>& Lines() const { return lines_; }
    // Waits for a line that contains text, from line index from on; its index, or nothing.
    std::optional<std::size_t> WaitFor(const std::string& text, std::size_t from = 0,
                                       std::chrono::milliseconds patience = kPatience);
    void Stop();

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string partial_;
    std::vector<std::string> lines_;
};

// A port on 127.0.0.1 that nothing listens on at the moment.
std::uint16_t FreeLoopbackPort();

// Whether something accepts connections on the loopback port.
bool Accepts(std::uint16_t port);

// ngircd on a free loopback port with a configuration written for the tests.
class Ngircd {
  public:
    static constexpr const char* kBinary = "/usr/sbin/ngircd";
    static bool Available();

    // motd: whether the server has a message of the day (without one it sends 422).
    explicit Ngircd(bool motd = true);
    bool Started() const { return port_ != 0; }
    std::uint16_t Port() const { return port_; }

  private:
    TempFolder folder_;
    std::unique_ptr<Child> child_;
    std::uint16_t port_ = 0;
};

// testbed/irc/ircfault.py between a client and the server.
class FaultProxy {
  public:
    explicit FaultProxy(std::uint16_t serverPort);
    std::uint16_t Port() const { return port_; }
    // Sends a command and waits for its acknowledgement.
    bool Command(const std::string& command);
    Child& Log() { return *child_; }

  private:
    std::unique_ptr<Child> child_;
    std::uint16_t port_ = 0;
};

// testbed/irc/ircpeer.py: a user that has joined the channel (if one is given).
class PeerUser {
  public:
    // raw: connect only, register nothing.
    PeerUser(std::uint16_t serverPort, const std::string& nick, const std::string& channel, bool raw = false);
    bool Ready() const { return ready_; }
    void Send(const std::string& line) { child_->WriteLine(line); }
    Child& Heard() { return *child_; }

  private:
    std::unique_ptr<Child> child_;
    bool ready_ = false;
};

}  // namespace irctest
