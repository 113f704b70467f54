#include "net/SavedPlayers.h"

#include <algorithm>

#include "net/LogonForm.h"

namespace {

constexpr auto kRoot = static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine);

std::string PlayerKey(const std::string& name) {
    return std::string(kSavedPlayersKey) + "\\" + name;
}

}  // namespace

void SavePlayer(platform::Registry& registry, const std::string& name, const std::string& password,
                bool savePassword, std::uint32_t timeStamp) {
    // A backslash would make a nested key that the list never finds again.
    if (name.empty() || name.find('\\') != std::string::npos) return;
    platform::RegistryKey key = 0;
    if (!registry.CreateKey(kRoot, PlayerKey(name), key)) return;
    registry.SetDword(key, "TimeStamp", timeStamp);
    registry.SetString(key, "Password", savePassword ? EncodeStoredPassword(password) : std::string());
    registry.CloseKey(key);
}

void DeleteSavedPlayer(platform::Registry& registry, const std::string& name) {
    if (name.empty() || name.find('\\') != std::string::npos) return;
    platform::RegistryKey players = 0;
    if (!registry.OpenKey(kRoot, kSavedPlayersKey, players)) return;
    registry.DeleteKey(players, name);
    registry.CloseKey(players);
}

std::vector<SavedPlayer> LoadSavedPlayers(platform::Registry& registry) {
    std::vector<SavedPlayer> players;
    platform::RegistryKey root = 0;
    if (!registry.OpenKey(kRoot, kSavedPlayersKey, root)) return players;
    std::string name;
    for (std::uint32_t i = 0; registry.EnumKey(root, i, name); ++i) {
        if (name.empty() || name.size() > 12) continue;
        platform::RegistryKey key = 0;
        if (!registry.OpenKey(root, name, key)) continue;
        SavedPlayer player;
        player.name = name;
        platform::RegistryType type{};
        std::vector<std::uint8_t> data;
        if (registry.QueryValue(key, "TimeStamp", type, data) && type == platform::RegistryType::Dword &&
            data.size() == 4) {
            player.timeStamp = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                               (static_cast<std::uint32_t>(data[2]) << 16) |
                               (static_cast<std::uint32_t>(data[3]) << 24);
        }
        if (registry.QueryValue(key, "Password", type, data) && type == platform::RegistryType::String) {
            std::string stored(data.begin(), data.end());
            stored = stored.substr(0, stored.find('\0'));
            player.password = DecodeStoredPassword(stored.substr(0, 12));
        }
        registry.CloseKey(key);
        players.push_back(std::move(player));
    }
    registry.CloseKey(root);
    std::stable_sort(players.begin(), players.end(),
                     [](const SavedPlayer& a, const SavedPlayer& b) { return a.timeStamp > b.timeStamp; });
    return players;
}
