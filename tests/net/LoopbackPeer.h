#pragma once

// Plain blocking loopback peers for the socket tests, written against the system
// directly so that they share nothing with the client's socket layer.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

class LoopbackListener {
  public:
    LoopbackListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 8);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~LoopbackListener() {
        if (fd_ >= 0) ::close(fd_);
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    std::uint16_t port() const { return port_; }
    // Blocks until a client has connected; the caller closes what it gets.
    int Accept() { return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC); }
    void Close() {
        ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// A loopback port that nothing listens on: bound, then released.
inline std::uint16_t UnusedLoopbackPort() {
    LoopbackListener l;
    const std::uint16_t port = l.port();
    l.Close();
    return port;
}

inline void SendAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// Closes with a reset instead of an orderly end.
inline void ResetAndClose(int fd) {
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
}
