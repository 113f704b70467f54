#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/xEventHandler.h"

class xIrcClientQueue;
class xTimerService;

// Connects to one IRC server, registers with a generated nick, joins one
// channel and passes what it hears there to its receivers as IRC messages;
// sends private messages for its owner. Requests reach it as events in its
// own queue, worked through a connection state machine with a 60-second
// time-out on each wait; a request that needs another state puts itself back
// behind an event of code 17 until the client is no longer busy.
//
// Its process tells the owner how far it got: started means joined, stopped
// means disconnected, erred means it failed. After a failure it is
// disconnected and deaf until it is started again.
class xIrcClient : public xEventHandler {
  public:
    static constexpr const char* kLostCommunication =
        "Lost communication with the Game server.  The server may be down, or your connection to the Internet "
        "may be suffering from high latency.  Try playing again later.";
    static constexpr std::uint32_t kTimeoutMs = 60000;

    // Client states.
    static constexpr std::int32_t kIdle = 1;
    static constexpr std::int32_t kStopped = 3;
    static constexpr std::int32_t kConnecting = 4;
    static constexpr std::int32_t kConnected = 5;
    static constexpr std::int32_t kQuitting = 6;
    static constexpr std::int32_t kJoining = 7;
    static constexpr std::int32_t kJoined = 8;
    static constexpr std::int32_t kParting = 9;

    // Event codes of the client.
    static constexpr std::int32_t kLeave = 4;
    static constexpr std::int32_t kTimeout = 32;
    static constexpr std::int32_t kServerEvent = 88;
    static constexpr std::int32_t kConnect = 89;
    static constexpr std::int32_t kUp = 90;
    static constexpr std::int32_t kDown = 91;
    static constexpr std::int32_t kQuit = 93;
    static constexpr std::int32_t kJoin = 95;
    static constexpr std::int32_t kJoinedEvent = 96;
    static constexpr std::int32_t kPart = 97;
    static constexpr std::int32_t kSay = 99;
    static constexpr std::int32_t kMessage = 100;

    // Hangs under the "DummyUIRoot" singleton and schedules itself.
    xIrcClient();
    ~xIrcClient() override;

    void SetServerAndChannel(const char* host, std::uint16_t port, const char* channel);
    // Starting: connects, registers and joins; started once joined.
    void Start() override;
    // While joined: part, quit, then stopped. While still connecting or
    // joining: the attempt is abandoned and the client stops at once.
    void Stop() override;
    bool IsPausable() const override { return false; }
    void OnStarting() override {}
    void OnStopping() override {}
    // Sent once the client is joined.
    virtual void SendMsg(const char* target, const char* text);

    void Execute() override;
    std::int32_t HandleEvent(const xEvent& event) override;

    // Copies the nick (cut to size - 1 bytes) when a buffer is given.
    virtual const char* GetNick(char* buffer, std::size_t size);
    virtual std::int32_t ParseIrcEvent(const char* text, xEvent& event);
    virtual std::int16_t IsBusy();
    // A letter, the local IPv4 address and the local port: 13 characters. The
    // letter runs from "a" to "z" and round again, one step per nick made in
    // the program.
    virtual std::string MakeNick();

    std::int32_t GetClientState() const { return state_; }
    xIrcClientQueue& GetQueue() { return *queue_; }
    xTimerService& GetTimerService() { return *timer_; }

  private:
    void Later(const xEvent& event);
    void Now(std::int32_t code);
    void FailClient();
    void Abandon();
    void SendServerEvent(const xEvent& event);
    void HandleServerEvent(const xEvent& event);
    bool SameServer(const xEvent& event) const;

    std::string host_ = "Unknown";
    std::uint16_t port_ = 0;
    std::string channel_ = "Unknown";
    std::string nick_;
    std::unique_ptr<xIrcClientQueue> queue_;
    std::unique_ptr<xTimerService> timer_;
    std::int32_t state_ = kStopped;
    std::int16_t connected_ = 0;
};
