#pragma once

// A small registry of our own: keys under the predefined roots, holding string,
// 32-bit and binary values, kept in one readable text file under the user's
// configuration folder. Every change rewrites the file atomically (a temporary
// file renamed over it), so a crash leaves either the old store or the new one;
// writers in other processes take turns on a side lock file, so each change is
// made to the store as it then is and a change that reports success is kept.
// A store file that exists but cannot be read fails every change and is left
// alone. The file is made 0600 (it holds saved passwords); a rewrite keeps its
// mode and writes through a symbolic link to the link's target. Lines the
// reader does not understand are written back as they were.
// Key and value names match ignoring ASCII case and keep the case they were
// created with; a key name may hold any printable character ("[", "]" too).
// String values are always stored with their terminator.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
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
    // The same for one key whose name is taken whole, a backslash included (a
    // player's name, say), where the two above read a backslash as a step down.
    bool CreateNamedKey(RegistryKey parent, std::string_view name, RegistryKey& out);
    bool OpenNamedKey(RegistryKey parent, std::string_view name, RegistryKey& out);
    bool DeleteNamedKey(RegistryKey parent, std::string_view name);
    void CloseKey(RegistryKey key);

    bool QueryValue(RegistryKey key, std::string_view name, RegistryType& type,
                    std::vector<std::uint8_t>& data);
    bool SetValue(RegistryKey key, std::string_view name, RegistryType type,
                  std::span<const std::uint8_t> data);
    bool SetString(RegistryKey key, std::string_view name, std::string_view text);
    bool SetDword(RegistryKey key, std::string_view name, std::uint32_t value);
    bool DeleteValue(RegistryKey key, std::string_view name);
    // The name of the index-th direct subkey (in name order, as CreateNamedKey
    // takes it); false past the last.
    bool EnumKey(RegistryKey key, std::uint32_t index, std::string& name);
    // Deletes the subkey with everything beneath it.
    bool DeleteKey(RegistryKey parent, std::string_view subkey);

    // Runs between writing the temporary file and renaming it over the store,
    // while the writer holds the store's lock; a hook that returns false abandons
    // the rename, as a crash there would (the temporary file goes too).
    void SetCommitHook(std::function<bool()> hook) { commitHook_ = std::move(hook); }

    struct Value {
        std::string name;
        RegistryType type = RegistryType::None;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        // As created and as the file's section header holds it: the names joined
        // by "\", each with "%", "[", "]" and "\" written as "%" and two hex digits.
        std::string path;
        std::map<std::string, Value> values;  // by lower-case name
        std::vector<std::string> unread;      // lines of the section the reader did not understand
    };
    struct Store {
        std::map<std::string, Key> keys;  // by lower-case path
        std::vector<std::string> before;  // lines before the first section, not understood
        std::vector<std::string> foreign;  // sections whose header was not understood, whole
    };

    // The text form of a store and back; what the reader does not understand is
    // kept aside and written back.
    static std::string Format(const Store& store);
    static Store Parse(std::string_view text);

  private:
    std::string PathOf(RegistryKey key) const;
    bool Open(RegistryKey parent, std::string_view subkey, bool whole, bool create, RegistryKey& out);
    bool Delete(RegistryKey parent, std::string_view subkey, bool whole);
    // The store as the file holds it; nullopt when the file exists but cannot be read.
    std::optional<Store> Load() const;
    enum class Edit { Refused, Unchanged, Changed };
    // Loads, changes and saves under the store's lock; true when the change was
    // not refused and, when it changed anything, the store was written.
    bool Change(const std::function<Edit(Store&)>& change);
    bool Save(const Store& store);

    std::string storePath_;
    std::map<RegistryKey, std::string> open_;
    RegistryKey nextKey_ = 1;
    std::function<bool()> commitHook_;
};

}  // namespace platform
