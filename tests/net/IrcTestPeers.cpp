#include "IrcTestPeers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace irctest {

namespace {

using Clock = std::chrono::steady_clock;

std::string Testbed(const std::string& name) {
    return std::string(VIZUZOR_TESTBED) + "/irc/" + name;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv) {
    int toChild[2];
    int fromChild[2];
    if (::pipe(toChild) != 0) return;
    if (::pipe(fromChild) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    ::fcntl(out_, F_SETFL, ::fcntl(out_, F_GETFL) | O_NONBLOCK);
    ::signal(SIGPIPE, SIG_IGN);
}

Child::~Child() {
    Stop();
}

void Child::Stop() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    if (out_ >= 0) ::close(out_);
    out_ = -1;
}

void Child::WriteLine(const std::string& line) {
    if (in_ < 0) return;
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(in_, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

bool Child::Poll(std::chrono::milliseconds wait) {
    if (out_ < 0) return false;
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return false;
    bool any = false;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) break;
        any = true;
        partial_.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t at;
    while ((at = partial_.find('\n')) != std::string::npos) {
        lines_.push_back(partial_.substr(0, at));
        partial_.erase(0, at + 1);
    }
    return any;
}

std::optional<std::size_t> Child::WaitFor(const std::string& text, std::size_t from,
                                          std::chrono::milliseconds patience) {
    const auto end = Clock::now() + patience;
    for (;;) {
        for (std::size_t i = from; i < lines_.size(); ++i) {
            if (lines_[i].find(text) != std::string::npos) return i;
        }
        if (Clock::now() >= end) return std::nullopt;
        Poll(std::chrono::milliseconds(50));
    }
}

std::uint16_t FreeLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    std::uint16_t port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0) {
        port = ntohs(a.sin_port);
    }
    ::close(s);
    return port;
}

bool Accepts(std::uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

bool Ngircd::Available() {
    return ::access(kBinary, X_OK) == 0;
}

Ngircd::Ngircd(bool motd) {
    if (!Available()) return;
    for (int attempt = 0; attempt < 3 && port_ == 0; ++attempt) {
        const std::uint16_t port = FreeLoopbackPort();
        std::string conf =
            "[Global]\n"
            "Name = irc.test\n"
            "Info = Vizuzor test server\n"
            "Listen = 127.0.0.1\n"
            "Ports = " + std::to_string(port) + "\n";
        conf += motd ? "MotdPhrase = \"Welcome to the test server\"\n"
                     : "MotdFile = " + folder_.Host("no-motd") + "\n";
        conf +=
            "[Limits]\n"
            "MaxNickLength = 16\n"
            "MaxPenaltyTime = 0\n"
            "MaxConnectionsIP = 0\n"
            "PingTimeout = 600\n"
            "PongTimeout = 600\n"
            "[Options]\n"
            "PAM = no\n"
            "Ident = no\n"
            "DNS = no\n";
        folder_.Write("ngircd.conf", conf);
        child_ = std::make_unique<Child>(std::vector<std::string>{kBinary, "-n", "-f", folder_.Host("ngircd.conf")});
        // In the foreground ngircd logs to its standard output.
        if (child_->WaitFor("Now listening on [127.0.0.1]:" + std::to_string(port), 0, std::chrono::seconds(10)) &&
            Accepts(port)) {
            port_ = port;
        }
        if (port_ == 0) child_.reset();
    }
}

FaultProxy::FaultProxy(std::uint16_t serverPort) {
    child_ = std::make_unique<Child>(std::vector<std::string>{
        "python3", Testbed("ircfault.py"), "--target", "127.0.0.1:" + std::to_string(serverPort)});
    if (const auto at = child_->WaitFor("PORT ")) {
        port_ = static_cast<std::uint16_t>(std::stoi(child_->Lines()[*at].substr(5)));
    }
}

bool FaultProxy::Command(const std::string& command) {
    const std::size_t from = child_->Lines().size();
    child_->WriteLine(command);
    const std::string word = command.substr(0, command.find(' '));
    return child_->WaitFor("OK " + word, from).has_value();
}

PeerUser::PeerUser(std::uint16_t serverPort, const std::string& nick, const std::string& channel, bool raw) {
    std::vector<std::string> argv{"python3", Testbed("ircpeer.py"), "--port", std::to_string(serverPort), "--nick",
                                  nick};
    if (!channel.empty()) {
        argv.push_back("--channel");
        argv.push_back(channel);
    }
    if (raw) argv.push_back("--raw");
    child_ = std::make_unique<Child>(argv);
    ready_ = child_->WaitFor("READY").has_value();
}

}  // namespace irctest
