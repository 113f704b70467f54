#include "platform/Registry.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "StoreFile.h"

namespace platform {

namespace {

struct RootName {
    RegistryRoot root;
    const char* name;
};
// The store's own first line, written by every save.
constexpr std::string_view kFirstLine = "; Vizuzor settings store";

constexpr RootName kRoots[] = {
    {RegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER"},
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RegistryRoot::Users, "HKEY_USERS"},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One key name as the file holds it; nullopt for an empty name or one with a
// control character, which no key may have.
std::optional<std::string> EscapeName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (name.empty()) return std::nullopt;
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return std::nullopt;
        if (c == '%' || c == '[' || c == ']' || c == '\\') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// A "%" without two hex digits after it stands for itself.
std::string UnescapeName(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Splits an escaped key path on "\\", dropping empty parts; each part comes back
// in its one written form, nullopt when one cannot be a key name.
std::optional<std::vector<std::string>> SplitEscapedPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (from <= path.size()) {
        std::size_t to = path.find('\\', from);
        if (to == std::string_view::npos) to = path.size();
        if (to > from) {
            std::optional<std::string> part = EscapeName(UnescapeName(path.substr(from, to - from)));
            if (!part) return std::nullopt;
            parts.push_back(std::move(*part));
        }
        from = to + 1;
    }
    return parts;
}

// The parts of a subkey below an open key's escaped path: the subkey split on
// "\\" (empty parts dropped), or taken whole as one name.
std::optional<std::vector<std::string>> SubkeyParts(const std::string& base, std::string_view subkey,
                                                    bool whole) {
    std::optional<std::vector<std::string>> parts = SplitEscapedPath(base);
    if (!parts) return std::nullopt;
    if (whole) {
        std::optional<std::string> name = EscapeName(subkey);
        if (!name) return std::nullopt;
        parts->push_back(std::move(*name));
        return parts;
    }
    std::size_t from = 0;
    while (from <= subkey.size()) {
        std::size_t to = subkey.find('\\', from);
        if (to == std::string_view::npos) to = subkey.size();
        if (to > from) {
            std::optional<std::string> name = EscapeName(subkey.substr(from, to - from));
            if (!name) return std::nullopt;
            parts->push_back(std::move(*name));
        }
        from = to + 1;
    }
    return parts;
}

std::string JoinPath(const std::vector<std::string>& parts, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) out += '\\';
        out += parts[i];
    }
    return out;
}

void AddKeyWithParents(Registry::Store& store, const std::vector<std::string>& parts) {
    for (std::size_t n = 2; n <= parts.size(); ++n) {
        const std::string path = JoinPath(parts, n);
        Registry::Key& key = store.keys[Lower(path)];
        if (key.path.empty()) key.path = path;
    }
}

std::string Quote(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A quoted text at text[pos]; pos moves past the closing quote.
std::optional<std::string> Unquote(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') return std::nullopt;
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= text.size()) return std::nullopt;
        if (text[pos] == 'x') {
            if (pos + 2 >= text.size()) return std::nullopt;
            const int high = HexDigit(text[pos + 1]);
            const int low = HexDigit(text[pos + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            pos += 2;
        } else {
            out += text[pos];
        }
    }
    return std::nullopt;
}

std::optional<Registry::Value> ParseValue(std::string_view line) {
    Registry::Value value;
    std::size_t pos = 0;
    if (line.substr(0, 1) == "@") {
        pos = 1;
    } else {
        std::optional<std::string> name = Unquote(line, pos);
        if (!name) return std::nullopt;
        value.name = std::move(*name);
    }
    if (pos >= line.size() || line[pos] != '=') return std::nullopt;
    const std::string_view rest = line.substr(pos + 1);
    if (rest.substr(0, 3) == "sz:") {
        std::size_t at = 3;
        std::optional<std::string> text = Unquote(rest, at);
        if (!text) return std::nullopt;
        value.type = RegistryType::String;
        value.data.assign(text->begin(), text->end());
        value.data.push_back(0);
    } else if (rest.substr(0, 6) == "dword:") {
        const std::string_view digits = rest.substr(6);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        std::uint32_t number = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            number = number * 16 + static_cast<std::uint32_t>(d);
        }
        value.type = RegistryType::Dword;
        for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    } else if (rest.substr(0, 4) == "hex:") {
        std::string_view bytes = rest.substr(4);
        value.type = RegistryType::Binary;
        while (!bytes.empty()) {
            if (bytes.size() < 2) return std::nullopt;
            const int high = HexDigit(bytes[0]);
            const int low = HexDigit(bytes[1]);
            if (high < 0 || low < 0) return std::nullopt;
            value.data.push_back(static_cast<std::uint8_t>(high * 16 + low));
            bytes.remove_prefix(2);
            if (!bytes.empty()) {
                if (bytes[0] != ',') return std::nullopt;
                bytes.remove_prefix(1);
            }
        }
    } else {
        return std::nullopt;
    }
    return value;
}

}  // namespace

Registry::Registry(std::string storePath) : storePath_(std::move(storePath)) {}

std::string Registry::DefaultStorePath() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = std::string(home) + "/.config";
    } else {
        base = ".config";
    }
    return base + "/Vizuzor/registry.txt";
}

namespace {
std::unique_ptr<Registry>& DefaultSlot() {
    static std::unique_ptr<Registry> registry;
    return registry;
}
}  // namespace

Registry& Registry::Default() {
    std::unique_ptr<Registry>& slot = DefaultSlot();
    if (!slot) slot = std::make_unique<Registry>(DefaultStorePath());
    return *slot;
}

void Registry::UseDefaultStore(std::string storePath) {
    DefaultSlot() = std::make_unique<Registry>(std::move(storePath));
}

std::string Registry::PathOf(RegistryKey key) const {
    for (const RootName& root : kRoots) {
        if (static_cast<RegistryKey>(root.root) == key) return root.name;
    }
    const auto found = open_.find(key);
    return found == open_.end() ? std::string() : found->second;
}

std::string Registry::Format(const Store& store) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = std::string(kFirstLine) + "\n";
    for (const std::string& line : store.before) out += line + "\n";
    for (const auto& [lower, key] : store.keys) {
        out += "\n[" + key.path + "]\n";
        for (const auto& [lowerName, value] : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += '=';
            switch (value.type) {
                case RegistryType::String: {
                    std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                          value.data.size());
                    if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
                    out += "sz:" + Quote(text);
                    break;
                }
                case RegistryType::Dword: {
                    std::uint32_t number = 0;
                    for (std::size_t i = 0; i < 4 && i < value.data.size(); ++i)
                        number |= std::uint32_t{value.data[i]} << (8 * i);
                    char digits[9];
                    std::snprintf(digits, sizeof digits, "%08x", number);
                    out += "dword:";
                    out += digits;
                    break;
                }
                default: {
                    out += "hex:";
                    for (std::size_t i = 0; i < value.data.size(); ++i) {
                        if (i) out += ',';
                        out += kHex[value.data[i] >> 4];
                        out += kHex[value.data[i] & 15];
                    }
                    break;
                }
            }
            out += '\n';
        }
        for (const std::string& line : key.unread) out += line + "\n";
    }
    for (const std::string& line : store.foreign) out += (line.front() == '[' ? "\n" : "") + line + "\n";
    return out;
}

Registry::Store Registry::Parse(std::string_view text) {
    Store store;
    // Lines go to the section they are in: a key, a section not understood, or
    // (before any section) the store's opening lines.
    Key* current = nullptr;
    bool inForeign = false;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        // Every carriage return before the line end goes: a kept line is written
        // back without them and reads back the same.
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const bool firstLine = std::exchange(first, false);
        if (line.empty()) continue;
        if (line.front() == '[') {
            current = nullptr;
            inForeign = true;
            const std::size_t close = line.rfind(']');
            std::optional<std::vector<std::string>> parts;
            if (close != std::string_view::npos && close > 0) parts = SplitEscapedPath(line.substr(1, close - 1));
            bool knownRoot = false;
            if (parts && parts->size() >= 2) {
                for (const RootName& root : kRoots)
                    knownRoot = knownRoot || ::strcasecmp(root.name, (*parts)[0].c_str()) == 0;
            }
            if (knownRoot) {
                AddKeyWithParents(store, *parts);
                current = &store.keys[Lower(JoinPath(*parts, parts->size()))];
                inForeign = false;
            } else {
                store.foreign.emplace_back(line);
            }
            continue;
        }
        if (current != nullptr) {
            std::optional<Value> value;
            if (line.front() == '"' || line.front() == '@') value = ParseValue(line);
            if (value)
                current->values[Lower(value->name)] = std::move(*value);
            else
                current->unread.emplace_back(line);
        } else if (inForeign) {
            store.foreign.emplace_back(line);
        } else if (!(firstLine && line == kFirstLine)) {
            store.before.emplace_back(line);
        }
    }
    return store;
}

std::optional<Registry::Store> Registry::Load() const {
    std::optional<std::string> text = store::ReadWholeFile(storePath_);
    if (!text) return std::nullopt;
    return Parse(*text);
}

bool Registry::Save(const Store& store) {
    // Saved passwords live here: only the user may read a new store.
    return store::ReplaceWholeFile(storePath_, Format(store), 0600, commitHook_);
}

bool Registry::Change(const std::function<Edit(Store&)>& change) {
    std::error_code error;
    const std::filesystem::path target(storePath_);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
    const store::WriterLock lock(storePath_, store::WriterLock::On::SideFile);
    if (!lock.Held()) return false;
    // No other writer runs now: a temporary file still there is a dead writer's.
    store::RemoveLeftovers(storePath_);
    std::optional<Store> store = Load();
    if (!store) return false;
    switch (change(*store)) {
        case Edit::Refused:
            return false;
        case Edit::Unchanged:
            return true;
        case Edit::Changed:
            break;
    }
    return Save(*store);
}

bool Registry::Open(RegistryKey parent, std::string_view subkey, bool whole, bool create, RegistryKey& out) {
    out = 0;
    const std::string base = PathOf(parent);
    if (base.empty()) return false;
    std::optional<std::vector<std::string>> parts = SubkeyParts(base, subkey, whole);
    if (!parts || parts->size() < 2) return false;
    const std::string lower = Lower(JoinPath(*parts, parts->size()));
    std::string path;
    if (create) {
        const bool ok = Change([&](Store& store) {
            const bool existed = store.keys.count(lower) != 0;
            if (!existed) AddKeyWithParents(store, *parts);
            path = store.keys[lower].path;
            return existed ? Edit::Unchanged : Edit::Changed;
        });
        if (!ok) return false;
    } else {
        const std::optional<Store> store = Load();
        if (!store) return false;
        const auto found = store->keys.find(lower);
        if (found == store->keys.end()) return false;
        path = found->second.path;
    }
    out = nextKey_++;
    open_[out] = path;
    return true;
}

bool Registry::CreateKey(RegistryKey parent, std::string_view subkey, RegistryKey& out) {
    return Open(parent, subkey, false, true, out);
}

bool Registry::OpenKey(RegistryKey parent, std::string_view subkey, RegistryKey& out) {
    return Open(parent, subkey, false, false, out);
}

bool Registry::CreateNamedKey(RegistryKey parent, std::string_view name, RegistryKey& out) {
    return Open(parent, name, true, true, out);
}

bool Registry::OpenNamedKey(RegistryKey parent, std::string_view name, RegistryKey& out) {
    return Open(parent, name, true, false, out);
}

void Registry::CloseKey(RegistryKey key) {
    open_.erase(key);
}

bool Registry::QueryValue(RegistryKey key, std::string_view name, RegistryType& type,
                          std::vector<std::uint8_t>& data) {
    const auto opened = open_.find(key);
    if (opened == open_.end()) return false;
    const std::optional<Store> store = Load();
    if (!store) return false;
    const auto found = store->keys.find(Lower(opened->second));
    if (found == store->keys.end()) return false;
    const auto value = found->second.values.find(Lower(name));
    if (value == found->second.values.end()) return false;
    type = value->second.type;
    data = value->second.data;
    return true;
}

bool Registry::SetValue(RegistryKey key, std::string_view name, RegistryType type,
                        std::span<const std::uint8_t> data) {
    const auto opened = open_.find(key);
    if (opened == open_.end()) return false;
    std::optional<std::vector<std::string>> parts = SplitEscapedPath(opened->second);
    if (!parts) return false;
    Value value{std::string(name), type, std::vector<std::uint8_t>(data.begin(), data.end())};
    if (type == RegistryType::String && (value.data.empty() || value.data.back() != 0))
        value.data.push_back(0);
    if (type == RegistryType::Dword && value.data.size() != 4) return false;
    const std::string lower = Lower(opened->second);
    return Change([&](Store& store) {
        AddKeyWithParents(store, *parts);  // the key may have been deleted meanwhile
        store.keys[lower].values[Lower(name)] = value;
        return Edit::Changed;
    });
}

bool Registry::SetString(RegistryKey key, std::string_view name, std::string_view text) {
    return SetValue(
        key, name, RegistryType::String,
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool Registry::SetDword(RegistryKey key, std::string_view name, std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    return SetValue(key, name, RegistryType::Dword, bytes);
}

bool Registry::DeleteValue(RegistryKey key, std::string_view name) {
    const auto opened = open_.find(key);
    if (opened == open_.end()) return false;
    const std::string lower = Lower(opened->second);
    return Change([&](Store& store) {
        const auto found = store.keys.find(lower);
        if (found == store.keys.end() || found->second.values.erase(Lower(name)) == 0) return Edit::Refused;
        return Edit::Changed;
    });
}

bool Registry::EnumKey(RegistryKey key, std::uint32_t index, std::string& name) {
    const std::string base = PathOf(key);
    if (base.empty()) return false;
    const std::string prefix = Lower(base) + "\\";
    const std::optional<Store> store = Load();
    if (!store) return false;
    std::uint32_t seen = 0;
    for (auto it = store->keys.lower_bound(prefix);
         it != store->keys.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
        if (seen++ == index) {
            name = UnescapeName(std::string_view(it->second.path).substr(prefix.size()));
            return true;
        }
    }
    return false;
}

bool Registry::Delete(RegistryKey parent, std::string_view subkey, bool whole) {
    const std::string base = PathOf(parent);
    if (base.empty() || subkey.empty()) return false;
    std::optional<std::vector<std::string>> parts = SubkeyParts(base, subkey, whole);
    if (!parts || parts->size() < 2) return false;
    const std::string lower = Lower(JoinPath(*parts, parts->size()));
    return Change([&](Store& store) {
        bool removed = false;
        for (auto it = store.keys.begin(); it != store.keys.end();) {
            if (it->first == lower || it->first.compare(0, lower.size() + 1, lower + "\\") == 0) {
                it = store.keys.erase(it);
                removed = true;
            } else {
                ++it;
            }
        }
        return removed ? Edit::Changed : Edit::Refused;
    });
}

bool Registry::DeleteKey(RegistryKey parent, std::string_view subkey) {
    return Delete(parent, subkey, false);
}

bool Registry::DeleteNamedKey(RegistryKey parent, std::string_view name) {
    return Delete(parent, name, true);
}

}  // namespace platform
