#include "platform/Registry.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

namespace platform {

namespace {

struct RootName {
    RegistryRoot root;
    const char* name;
};
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

// Splits a key path on '\', dropping empty parts; nullopt when a part holds a
// control character or a bracket, which the store's text cannot carry.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
            continue;
        }
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == 0x7F || c == '[' || c == ']') return std::nullopt;
        part += path[i];
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
        Registry::Key& key = store[Lower(path)];
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

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
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
    std::string out = "; Vizuzor settings store\n";
    for (const auto& [lower, key] : store) {
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
    }
    return out;
}

Registry::Store Registry::Parse(std::string_view text) {
    Store store;
    Key* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.front() == '[') {
            current = nullptr;
            const std::size_t close = line.rfind(']');
            if (close == std::string_view::npos || close == 0) continue;
            std::optional<std::vector<std::string>> parts = SplitKeyPath(line.substr(1, close - 1));
            if (!parts || parts->size() < 2) continue;
            bool knownRoot = false;
            for (const RootName& root : kRoots)
                knownRoot = knownRoot || ::strcasecmp(root.name, (*parts)[0].c_str()) == 0;
            if (!knownRoot) continue;
            AddKeyWithParents(store, *parts);
            current = &store[Lower(JoinPath(*parts, parts->size()))];
        } else if (current != nullptr && (line.front() == '"' || line.front() == '@')) {
            if (std::optional<Value> value = ParseValue(line)) {
                current->values[Lower(value->name)] = std::move(*value);
            }
        }
    }
    return store;
}

Registry::Store Registry::Load() const {
    std::ifstream in(storePath_, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

bool Registry::Save(const Store& store) {
    std::error_code error;
    const std::filesystem::path target(storePath_);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
    const std::string temporary = storePath_ + ".tmp";
    const std::string text = Format(store);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                         std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    if (std::fclose(file) != 0 || !written) {
        std::remove(temporary.c_str());
        return false;
    }
    if (commitHook_ && !commitHook_()) {
        return false;
    }
    return std::rename(temporary.c_str(), storePath_.c_str()) == 0;
}

bool Registry::CreateKey(RegistryKey parent, std::string_view subkey, RegistryKey& out) {
    out = 0;
    const std::string base = PathOf(parent);
    std::optional<std::vector<std::string>> parts = SplitKeyPath(base + "\\" + std::string(subkey));
    if (base.empty() || !parts || parts->size() < 2) return false;
    Store store = Load();
    const std::string path = JoinPath(*parts, parts->size());
    if (store.find(Lower(path)) == store.end()) {
        AddKeyWithParents(store, *parts);
        if (!Save(store)) return false;
    }
    out = nextKey_++;
    open_[out] = store[Lower(path)].path;
    return true;
}

bool Registry::OpenKey(RegistryKey parent, std::string_view subkey, RegistryKey& out) {
    out = 0;
    const std::string base = PathOf(parent);
    std::optional<std::vector<std::string>> parts = SplitKeyPath(base + "\\" + std::string(subkey));
    if (base.empty() || !parts || parts->size() < 2) return false;
    const Store store = Load();
    const auto found = store.find(Lower(JoinPath(*parts, parts->size())));
    if (found == store.end()) return false;
    out = nextKey_++;
    open_[out] = found->second.path;
    return true;
}

void Registry::CloseKey(RegistryKey key) {
    open_.erase(key);
}

bool Registry::QueryValue(RegistryKey key, std::string_view name, RegistryType& type,
                          std::vector<std::uint8_t>& data) {
    const auto opened = open_.find(key);
    if (opened == open_.end()) return false;
    const Store store = Load();
    const auto found = store.find(Lower(opened->second));
    if (found == store.end()) return false;
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
    Store store = Load();
    std::optional<std::vector<std::string>> parts = SplitKeyPath(opened->second);
    if (!parts) return false;
    AddKeyWithParents(store, *parts);  // the key may have been deleted meanwhile
    Value value{std::string(name), type, std::vector<std::uint8_t>(data.begin(), data.end())};
    if (type == RegistryType::String && (value.data.empty() || value.data.back() != 0))
        value.data.push_back(0);
    if (type == RegistryType::Dword && value.data.size() != 4) return false;
    store[Lower(opened->second)].values[Lower(name)] = std::move(value);
    return Save(store);
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
    Store store = Load();
    const auto found = store.find(Lower(opened->second));
    if (found == store.end() || found->second.values.erase(Lower(name)) == 0) return false;
    return Save(store);
}

bool Registry::EnumKey(RegistryKey key, std::uint32_t index, std::string& name) {
    const std::string base = PathOf(key);
    if (base.empty()) return false;
    const std::string prefix = Lower(base) + "\\";
    const Store store = Load();
    std::uint32_t seen = 0;
    for (auto it = store.lower_bound(prefix);
         it != store.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
        if (seen++ == index) {
            name = it->second.path.substr(prefix.size());
            return true;
        }
    }
    return false;
}

bool Registry::DeleteKey(RegistryKey parent, std::string_view subkey) {
    const std::string base = PathOf(parent);
    std::optional<std::vector<std::string>> parts = SplitKeyPath(base + "\\" + std::string(subkey));
    if (base.empty() || !parts || parts->size() < 2 || subkey.empty()) return false;
    const std::string lower = Lower(JoinPath(*parts, parts->size()));
    Store store = Load();
    bool removed = false;
    for (auto it = store.begin(); it != store.end();) {
        if (it->first == lower || it->first.compare(0, lower.size() + 1, lower + "\\") == 0) {
            it = store.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed && Save(store);
}

}  // namespace platform
