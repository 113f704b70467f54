#pragma once

// A small registry of our own: keys under the predefined roots, holding string,
// 32-bit and binary values, kept in one readable text file under the user's
// configuration folder. Every change rewrites the file atomically (a temporary
// file renamed over it), so a crash leaves either the old store or the new one.
// Key and value names match ignoring ASCII case and keep the case they were
// created with. String values are always stored with their terminator.

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace platform {

// An open key; a RegistryRoot value is also a key. 0 is no key.
using RegistryKey = std::uint32_t;

class Registry {
  public:
    explicit Registry(std::string storePath);

    // $XDG_CONFIG_HOME/Vizuzor/registry.txt, else ~/.config/Vizuzor/registry.txt.
    static std::string DefaultStorePath();
    // The store the program uses, made on first use at DefaultStorePath.
    static Registry& Default();
    // Points the default store elsewhere (tests, other profiles).
    static void UseDefaultStore(std::string storePath);

    const std::string& StorePath() const { return storePath_; }

    // Opens the subkey, creating it and its parents when absent.
    bool CreateKey(RegistryKey parent, std::string_view subkey, RegistryKey& out);
    // Opens an existing subkey.
    bool OpenKey(RegistryKey parent, std::string_view subkey, RegistryKey& out);
    void CloseKey(RegistryKey key);

    bool QueryValue(RegistryKey key, std::string_view name, RegistryType& type,
                    std::vector<std::uint8_t>& data);
    bool SetValue(RegistryKey key, std::string_view name, RegistryType type,
                  std::span<const std::uint8_t> data);
    bool SetString(RegistryKey key, std::string_view name, std::string_view text);
    bool SetDword(RegistryKey key, std::string_view name, std::uint32_t value);
    bool DeleteValue(RegistryKey key, std::string_view name);
    // The name of the index-th direct subkey (in name order); false past the last.
    bool EnumKey(RegistryKey key, std::uint32_t index, std::string& name);
    // Deletes the subkey with everything beneath it.
    bool DeleteKey(RegistryKey parent, std::string_view subkey);

    // Runs between writing the temporary file and renaming it over the store; a
    // hook that returns false abandons the rename, as a crash there would.
    void SetCommitHook(std::function<bool()> hook) { commitHook_ = std::move(hook); }

    struct Value {
        std::string name;
        RegistryType type = RegistryType::None;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string path;                     // as created, e.g. HKEY_LOCAL_MACHINE\Software\X
        std::map<std::string, Value> values;  // by lower-case name
    };
    using Store = std::map<std::string, Key>;  // by lower-case path

    // The text form of a store and back; the reader skips what it cannot read.
    static std::string Format(const Store& store);
    static Store Parse(std::string_view text);

  private:
    std::string PathOf(RegistryKey key) const;
    Store Load() const;
    bool Save(const Store& store);

    std::string storePath_;
    std::map<RegistryKey, std::string> open_;
    RegistryKey nextKey_ = 1;
    std::function<bool()> commitHook_;
};

}  // namespace platform
