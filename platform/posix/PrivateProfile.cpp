#include "platform/PrivateProfile.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HostPath.h"
#include "StoreFile.h"

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    // An empty view may have no data at all, which strncasecmp must not be given.
    return a.size() == b.size() && (a.empty() || ::strncasecmp(a.data(), b.data(), a.size()) == 0);
}

// The section name of a line, when it is a section header.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// A key=value line inside a section; a comment (";" first) or a line without
// "=" is no key.
std::optional<KeyLine> KeyOf(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view value = Trim(trimmed.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return KeyLine{Trim(trimmed.substr(0, equals)), value};
}

std::string HostFor(const char* path) {
    return ResolveHostPath(path != nullptr ? path : "");
}

// The file's lines without their ends; nullopt when the file exists but cannot
// be read (a missing file has no lines).
std::optional<std::vector<std::string>> ReadFileLines(const std::string& host) {
    const std::optional<std::string> text = store::ReadWholeFile(host);
    if (!text) return std::nullopt;
    std::vector<std::string> lines;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

// For reads, which never fail: an unreadable file has no keys.
std::vector<std::string> ReadLines(const std::string& host) {
    return ReadFileLines(host).value_or(std::vector<std::string>{});
}

std::uint32_t CopyOut(std::string_view text, char* out, std::uint32_t size) {
    if (out == nullptr || size == 0) return 0;
    const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), size - 1));
    if (count > 0) std::memcpy(out, text.data(), count);
    out[count] = '\0';
    return count;
}

// A list of names, each terminated, and one more terminator; the count returned
// leaves out the last terminator. A list that does not fit is cut to size - 2
// bytes (the last name cut short), followed by two terminators, and the count
// is size - 2, as the platform does.
std::uint32_t CopyList(const std::vector<std::string_view>& names, char* out, std::uint32_t size) {
    if (out == nullptr || size == 0) return 0;
    std::string list;
    for (std::string_view name : names) {
        list += name;
        list += '\0';
    }
    if (list.size() + 1 <= size) {
        std::memcpy(out, list.data(), list.size());
        out[list.size()] = '\0';
        return static_cast<std::uint32_t>(list.size());
    }
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, list.data(), size - 2);
    out[size - 2] = '\0';
    out[size - 1] = '\0';
    return size - 2;
}

// The value of section/key, when present.
std::optional<std::string> Lookup(const std::vector<std::string>& lines, std::string_view section,
                                  std::string_view key) {
    bool inSection = false;
    for (const std::string& line : lines) {
        if (std::optional<std::string_view> name = SectionOf(line)) {
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection) continue;
        if (std::optional<KeyLine> entry = KeyOf(line); entry && SameName(entry->key, key)) {
            return std::string(entry->value);
        }
    }
    return std::nullopt;
}

bool WriteLines(const std::string& host, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return store::ReplaceWholeFile(host, text, store::DefaultFileMode());
}

}  // namespace

std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                      char* out, std::uint32_t size, const char* path) {
    const std::vector<std::string> lines = ReadLines(HostFor(path));
    if (section == nullptr) {
        std::vector<std::string_view> names;
        for (const std::string& line : lines) {
            if (std::optional<std::string_view> name = SectionOf(line)) names.push_back(*name);
        }
        return CopyList(names, out, size);
    }
    if (key == nullptr) {
        std::vector<std::string_view> names;
        bool inSection = false;
        for (const std::string& line : lines) {
            if (std::optional<std::string_view> name = SectionOf(line)) {
                inSection = SameName(*name, section);
            } else if (inSection) {
                if (std::optional<KeyLine> entry = KeyOf(line)) names.push_back(entry->key);
            }
        }
        return CopyList(names, out, size);
    }
    if (std::optional<std::string> value = Lookup(lines, section, key)) {
        return CopyOut(*value, out, size);
    }
    std::string_view fallback = defaultText != nullptr ? defaultText : "";
    // Trailing blanks of the default are dropped, as the platform does.
    const std::size_t last = fallback.find_last_not_of(' ');
    fallback = last == std::string_view::npos ? std::string_view{} : fallback.substr(0, last + 1);
    return CopyOut(fallback, out, size);
}

std::int32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                                  const char* path) {
    if (section == nullptr || key == nullptr) return defaultValue;
    const std::optional<std::string> value = Lookup(ReadLines(HostFor(path)), section, key);
    if (!value) return defaultValue;
    const char* text = value->c_str();
    char* end = nullptr;
    const long long number = std::strtoll(text, &end, 10);
    if (end == text) return 0;
    return static_cast<std::int32_t>(number);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* path) {
    if (section == nullptr || path == nullptr) return false;
    const std::string host = HostFor(path);
    // Writers in the file's folder take turns; while this one holds the turn, a
    // temporary file still there is a dead writer's.
    const store::WriterLock lock(host, store::WriterLock::On::Folder);
    if (lock.Held()) store::RemoveLeftovers(host);
    // A file that is there but cannot be read is not taken as empty and overwritten.
    std::optional<std::vector<std::string>> read = ReadFileLines(host);
    if (!read) return false;
    std::vector<std::string> lines = std::move(*read);

    // Locate the section: its header line and the end of its last non-blank line.
    std::size_t header = lines.size();
    std::size_t end = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (std::optional<std::string_view> name = SectionOf(lines[i])) {
            if (header != lines.size()) {
                end = i;
                break;
            }
            if (SameName(*name, section)) header = i;
        }
    }
    if (header != lines.size()) {
        while (end > header + 1 && Trim(lines[end - 1]).empty()) --end;
    }

    if (key == nullptr) {
        if (header == lines.size()) return true;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
                    lines.begin() + static_cast<std::ptrdiff_t>(end));
        return WriteLines(host, lines);
    }
    const std::string entry = std::string(key) + "=" + (value != nullptr ? value : "");
    if (header == lines.size()) {
        if (value == nullptr) return true;
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(entry);
        return WriteLines(host, lines);
    }
    for (std::size_t i = header + 1; i < end; ++i) {
        if (std::optional<KeyLine> found = KeyOf(lines[i]); found && SameName(found->key, key)) {
            if (value == nullptr) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                // The key keeps the file's spelling.
                lines[i] = std::string(found->key) + "=" + value;
            }
            return WriteLines(host, lines);
        }
    }
    if (value == nullptr) return true;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), entry);
    return WriteLines(host, lines);
}

}  // namespace platform
