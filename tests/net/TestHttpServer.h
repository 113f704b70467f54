#pragma once

// Starts testbed/http/http_server.py on a free loopback port for one test and
// stops it by its pid. Each request the server got is read back with its exact
// bytes and the number of the connection that carried it.

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

class TestHttpServer {
  public:
    struct Recorded {
        int connection = 0;
        std::string bytes;
    };

    static std::string Script() { return VIZUZOR_HTTP_SERVER; }

    // The Debian interpreter when present (it starts fast), else python3 on the path.
    static std::string Python() {
        if (::access("/usr/bin/python3", X_OK) == 0) return "/usr/bin/python3";
        const char* path = std::getenv("PATH");
        std::string rest = path != nullptr ? path : "";
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string dir = rest.substr(0, colon);
            rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
            const std::string candidate = dir + "/python3";
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        return "";
    }

    // Runs the script once with arguments; true when it exited with 0.
    static bool RunScript(const std::vector<std::string>& args) {
        const std::string python = Python();
        if (python.empty()) return false;
        std::vector<std::string> all{python, Script()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (::posix_spawn(&pid, python.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    explicit TestHttpServer(const std::string& filesDir = "") {
        const std::string python = Python();
        if (python.empty()) return;
        char dir[] = "/tmp/vizuzor-http-XXXXXX";
        if (::mkdtemp(dir) == nullptr) return;
        logDir_ = dir;
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> all{python, Script(), "--log", logDir_, "--exit-with-parent"};
        if (!filesDir.empty()) {
            all.push_back("--files");
            all.push_back(filesDir);
        }
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = ::posix_spawn(&pid_, python.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            pid_ = 0;
            ::close(out[0]);
            return;
        }
        // The first line is the port.
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        while (line.find('\n') == std::string::npos && ::poll(&p, 1, 20000) > 0) {
            char buf[64];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        port_ = static_cast<std::uint16_t>(std::atoi(line.c_str()));
    }

    ~TestHttpServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (!logDir_.empty()) {
            for (const std::string& name : Names()) ::unlink((logDir_ + "/" + name).c_str());
            ::rmdir(logDir_.c_str());
        }
    }
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool Running() const { return pid_ > 0 && port_ != 0; }
    std::uint16_t port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    // The requests so far, in arrival order.
    std::vector<Recorded> Requests() const {
        std::vector<Recorded> out;
        for (const std::string& name : Names()) {
            if (name.size() < 13 || name.substr(name.size() - 4) != ".req") continue;
            Recorded r;
            r.connection = std::atoi(name.substr(5, 4).c_str());
            r.bytes = ReadFile(logDir_ + "/" + name);
            out.push_back(std::move(r));
        }
        return out;
    }

  private:
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(logDir_.c_str())) {
            while (const dirent* e = ::readdir(d)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    pid_t pid_ = 0;
    std::uint16_t port_ = 0;
    std::string logDir_;
};

// The server's pattern body: byte i is (i * 7 + 3) mod 251.
inline std::string PatternBytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i % 251 * 7 + 3) % 251);
    return s;
}
