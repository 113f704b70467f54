#include "divir/xRegistry.h"

#include <cstring>
#include <vector>

bool OpenRegistryKey(platform::RegistryKey root, const char* subkey, platform::RegistryKey& out) {
    out = 0;
    if (subkey == nullptr) return false;
    return platform::Registry::Default().CreateKey(root, subkey, out);
}

bool ReadRegistryValue(platform::RegistryKey root, const char* subkey, const char* name, void* buffer,
                       std::uint32_t size) {
    if (subkey == nullptr || name == nullptr || buffer == nullptr) return false;
    platform::Registry& registry = platform::Registry::Default();
    platform::RegistryKey key = 0;
    if (!registry.CreateKey(root, subkey, key)) return false;
    platform::RegistryType type = platform::RegistryType::None;
    std::vector<std::uint8_t> data;
    const bool found = registry.QueryValue(key, name, type, data);
    registry.CloseKey(key);
    if (!found) return false;
    if (type == platform::RegistryType::String && (data.empty() || data.back() != 0)) {
        data.push_back(0);  // never hand back an unterminated text
    }
    if (data.size() > size) return false;
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    return true;
}

bool GetRegistryValue(platform::RegistryKey root, const char* subkey, const char* name, void* buffer,
                      std::uint32_t size) {
    return ReadRegistryValue(root, subkey, name, buffer, size);
}
