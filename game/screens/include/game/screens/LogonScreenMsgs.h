#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "framework/CloneableMsg.h"

// The logon screen's outcome, to its receivers (the view passes both on).
class LogonScreenSucceededMsg : public CloneableMsg<LogonScreenSucceededMsg> {
  public:
    LogonScreenSucceededMsg(std::string name, std::string password, std::int32_t playerId,
                            std::int32_t sessionId, bool adult)
        : name_(std::move(name)),
          password_(std::move(password)),
          playerId_(playerId),
          sessionId_(sessionId),
          adult_(adult) {}

    const std::string& GetName() const { return name_; }
    // As entered in the logon dialog.
    const std::string& GetPassword() const { return password_; }
    std::int32_t GetPlayerId() const { return playerId_; }
    std::int32_t GetSessionId() const { return sessionId_; }
    bool IsAdult() const { return adult_; }

  private:
    std::string name_;
    std::string password_;
    std::int32_t playerId_ = 0;
    std::int32_t sessionId_ = 0;
    bool adult_ = false;
};

class LogonScreenCanceledMsg : public CloneableMsg<LogonScreenCanceledMsg> {};
