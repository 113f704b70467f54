#pragma once

// The players saved on this machine: one registry key per user name under
// HKEY_LOCAL_MACHINE "Software\Halvane\Quonza\Players", holding "TimeStamp" (seconds
// since 1970) and "Password" (its registry form, or empty when not saved). A key
// that cannot be opened or created is skipped: the logon goes on without it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

inline constexpr const char* kSavedPlayersKey = "Software\\Halvane\\Quonza\\Players";

struct SavedPlayer {
    std::string name;      // at most 12 characters
    std::string password;  // at most 12 characters, as typed
    std::uint32_t timeStamp = 0;
};

// Writes the player's key: the time stamp, and the password when savePassword.
void SavePlayer(platform::Registry& registry, const std::string& name, const std::string& password,
                bool savePassword, std::uint32_t timeStamp);
void DeleteSavedPlayer(platform::Registry& registry, const std::string& name);
// Every saved player whose name fits 12 characters, newest first.
std::vector<SavedPlayer> LoadSavedPlayers(platform::Registry& registry);
