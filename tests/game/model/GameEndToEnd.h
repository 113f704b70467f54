#pragma once

// What the application object's end-to-end tests share: the files the test
// HTTP server hands the dispatch proxy and the file-update service, the
// program's local settings that point at the servers, the turn every test
// program takes on the dispatch file's local copy, and the scripted room bot
// of testbed/room (which never links the client's code) with its go-aheads.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "net/IrcTestPeers.h"
#include "support/TempFolder.h"

namespace gametest {

// The dispatch proxy's local copy of the file sits beside the program, one path
// for every test of the program: tests run as parallel processes take turns (as
// the dispatch proxy's own tests do).
class DispatchFileTurn {
  public:
    DispatchFileTurn() {
        fd_ = ::open("/tmp/vizuzor-picture-dispatch.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~DispatchFileTurn() {
        if (fd_ >= 0) ::close(fd_);
    }
    DispatchFileTurn(const DispatchFileTurn&) = delete;
    DispatchFileTurn& operator=(const DispatchFileTurn&) = delete;

  private:
    int fd_ = -1;
};

// The dispatch file, the update script and its one mandatory file, served from
// `files` under "file/". The registration and picture servers are refused ports
// unless a picture port is given.
inline void WriteServerFiles(TempFolder& files, std::uint16_t httpPort, std::uint16_t ircPort,
                             std::uint16_t picturePort = 1) {
    files.Write("dispatch.ini",
                "[Dispatch File]\r\nUpdate Script Server Path=file/updatescript.ini\r\n"
                "Registration Server Section=Reg\r\nContent Server Section=Content\r\n"
                "Game List Server Section=GameList\r\nVizuzor Server Section=Pictures\r\n"
                "[Web Server]\r\nHTTP Server Name=www.example\r\nSponsors CGI=cgi-bin/sponsors\r\n"
                "Success Page=thanks.html\r\nError Page=sorry.html\r\n"
                "[Reg 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=1\r\n"
                "[Pictures 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=" +
                    std::to_string(picturePort) +
                    "\r\n[Content 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=" + std::to_string(httpPort) +
                    "\r\n[GameList 1]\r\nIRC Server Name=127.0.0.1\r\nIRC Server Port=" + std::to_string(ircPort) +
                    "\r\n");
    files.Write("updatescript.ini",
                "[Update Script]\r\nCommand=update\r\nClient Path=data.txt\r\nVersion=1.0.0.0\r\n"
                "Group Priority=1\r\nMandatory=true\r\n[Server Version Folders]\r\n1.0.0.0=file\r\n");
    files.Write("data.txt", "the mandatory file\n");
}

// The program's settings file: the dispatch server on the test HTTP server, and
// straight into the game room on the channel, as the player Ann.
inline void WriteLocalSettings(TempFolder& local, std::uint16_t httpPort, std::uint16_t ircPort,
                               const std::string& channel) {
    local.Write("settings.ini",
                "[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort=" + std::to_string(httpPort) +
                    "\r\nDispatchServerFilePath=file/dispatch.ini\r\nGotoGameRoom=1\r\nUserName=Ann\r\n"
                    "GameServerName=127.0.0.1\r\nGameServerPort=" +
                    std::to_string(ircPort) + "\r\nGameChannelName=" + channel + "\r\nFullScreen=0\r\n");
}

// testbed/room/roombot.py running one script as the room's bot. Its go-aheads
// ("WAIT name") are given at once unless the test holds them.
class RoomBot {
  public:
    RoomBot(std::uint16_t ircPort, const std::string& channel, const std::string& script,
            const std::string& nick = "")
        : child_(std::vector<std::string>{"python3", std::string(VIZUZOR_TESTBED) + "/room/roombot.py", "--port",
                                          std::to_string(ircPort), "--channel", channel, "--script", script,
                                          "--nick", nick.empty() ? "bot" + channel : nick}) {}

    // Waits (wall clock, generously) until the bot has joined its channel.
    bool Ready() { return child_.WaitFor("READY").has_value(); }

    // Reads what has arrived without waiting and answers the go-aheads not held.
    void Serve() {
        child_.Poll(std::chrono::milliseconds(0));
        const std::vector<std::string>& lines = child_.Lines();
        for (; answered_ < lines.size(); ++answered_) {
            if (lines[answered_].rfind("WAIT ", 0) != 0) continue;
            const std::string name = lines[answered_].substr(5);
            if (held_.count(name) != 0) {
                waiting_.insert(name);
            } else {
                child_.WriteLine("GO " + name);
            }
        }
    }

    // The go-ahead of that name waits for Go.
    void Hold(const std::string& name) { held_.insert(name); }
    // Whether the bot waits for a held go-ahead.
    bool Waits(const std::string& name) const { return waiting_.count(name) != 0; }
    void Go(const std::string& name) {
        held_.erase(name);
        waiting_.erase(name);
        child_.WriteLine("GO " + name);
    }

    bool Said(const std::string& text) const {
        for (const std::string& line : child_.Lines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    // How many lines contain the text.
    int Count(const std::string& text) const {
        int n = 0;
        for (const std::string& line : child_.Lines()) n += line.find(text) != std::string::npos ? 1 : 0;
        return n;
    }
    const std::vector<std::string>& Lines() const { return child_.Lines(); }
    std::string Transcript() const {
        std::string all;
        for (const std::string& line : child_.Lines()) all += line + "\n";
        return all;
    }

  private:
    irctest::Child child_;
    std::size_t answered_ = 0;
    std::set<std::string> held_;
    std::set<std::string> waiting_;
};

}  // namespace gametest
