#pragma once

// The parsed dispatch file: the web server, the CGI names and the lists of
// registration, content and game-list servers (at most ten of each).

#include <array>
#include <cstdint>
#include <string>

// A web server for registration: host name and port.
struct RegistrationServer {
    std::string name;
    std::int32_t port = 0;
};

// A content server (the update script and downloaded files): host name and port.
struct ContentServer {
    std::string name;
    std::int32_t port = 0;
};

// An IRC server with its channel and the room bot's nickname.
struct IRCServer {
    std::string serverName;
    std::int32_t port = 0;
    std::string serverPassword;
    std::string channelName;
    std::string channelPassword;
    std::string botNickname;
};

// The game-list (lobby) server.
struct GameListServer : IRCServer {};

class DispatchInfo {
  public:
    static constexpr int kMaxServers = 10;

    std::string updateScriptServerPath;
    std::string registerCgiName;
    std::string validateCgiName;
    std::string changeCgiName;
    std::string webServerName;
    std::int32_t webServerPort = 0;
    std::string sponsorsCgi;
    std::string successPage;
    std::string errorPage;
    std::int32_t registrationServerCount = 0;
    std::array<RegistrationServer, kMaxServers> registrationServers{};
    std::int32_t contentServerCount = 0;
    std::array<ContentServer, kMaxServers> contentServers{};
    std::int32_t gameListServerCount = 0;
    std::array<GameListServer, kMaxServers> gameListServers{};
};
