#pragma once

// Registry access of the lower layer, over the program's settings store
// (platform::Registry::Default()). These never raise; they answer false.

#include <cstdint>

#include "platform/Registry.h"

// Opens the subkey for all access, creating it when absent; false for a null
// subkey. Close the key with platform::Registry::Default().CloseKey.
bool OpenRegistryKey(platform::RegistryKey root, const char* subkey, platform::RegistryKey& out);

// Opens (creating) the key and copies the value into buffer. False when a text or
// the buffer is null, the value is absent, or it does not fit: a string must fit
// with its terminator, so the buffer always holds a terminated text.
bool ReadRegistryValue(platform::RegistryKey root, const char* subkey, const char* name, void* buffer,
                       std::uint32_t size);
bool GetRegistryValue(platform::RegistryKey root, const char* subkey, const char* name, void* buffer,
                      std::uint32_t size);
