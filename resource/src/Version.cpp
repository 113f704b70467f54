#include "resource/Version.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The decimal at the start of the text: leading white space and one sign allowed,
// reading stops at the first non-digit; the magnitude saturates at the largest
// 32-bit value, so the absolute value always fits.
std::int32_t ReadNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kMax) value = kMax;
    }
    return static_cast<std::int32_t>(value);
}

bool EqualsNoCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
    }
    return true;
}

}  // namespace

Version::Version(std::int32_t major, std::int32_t minor, std::int32_t release, std::int32_t build) {
    if (IsValid(major, minor, release, build)) {
        parts_[0] = major;
        parts_[1] = minor;
        parts_[2] = release;
        parts_[3] = build;
    }
}

Version::Version(std::string_view text) {
    if (EqualsNoCase(text, "none")) return;
    parts_[0] = ReadNumber(text);
    parts_[1] = 0;
    parts_[2] = 0;
    parts_[3] = kAbsent;
    std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) return;
    text.remove_prefix(dot + 1);
    parts_[1] = ReadNumber(text);
    dot = text.find('.');
    if (dot == std::string_view::npos) return;
    text.remove_prefix(dot + 1);
    parts_[2] = ReadNumber(text);
    dot = text.find('.');
    if (dot == std::string_view::npos) return;
    text.remove_prefix(dot + 1);
    parts_[3] = text == "*" ? kWildcard : ReadNumber(text);
}

const Version& Version::None() {
    static const Version none;
    return none;
}

bool Version::IsNone() const {
    return parts_[0] == kAbsent && parts_[1] == kAbsent && parts_[2] == kAbsent && parts_[3] == kAbsent;
}

bool Version::IsValid(std::int32_t major, std::int32_t minor, std::int32_t release, std::int32_t build) {
    if (major == kAbsent && minor == kAbsent && release == kAbsent && build == kAbsent) return true;
    return major >= 0 && minor >= 0 && release >= 0 && (build >= 0 || build == kAbsent || build == kWildcard);
}

std::string Version::GetText() const {
    if (IsNone()) return "<None>";
    char text[64];
    if (parts_[0] < 0 || parts_[1] < 0 || parts_[2] < 0) return "<Invalid>";
    if (parts_[3] == kAbsent) {
        std::snprintf(text, sizeof text, "%d.%d.%d", parts_[0], parts_[1], parts_[2]);
    } else if (parts_[3] == kWildcard) {
        std::snprintf(text, sizeof text, "%d.%d.%d.*", parts_[0], parts_[1], parts_[2]);
    } else if (parts_[3] >= 0) {
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", parts_[0], parts_[1], parts_[2], parts_[3]);
    } else {
        return "<Invalid>";
    }
    return text;
}

namespace {

bool WildcardApplies(const Version& left, const Version& right) {
    return (left.GetBuild() == Version::kWildcard && right.GetBuild() != Version::kAbsent) ||
           (right.GetBuild() == Version::kWildcard && left.GetBuild() != Version::kAbsent);
}

}  // namespace

bool Version::EqualTo(const Version& right) const {
    if (parts_[0] != right.parts_[0] || parts_[1] != right.parts_[1] || parts_[2] != right.parts_[2]) {
        return false;
    }
    return WildcardApplies(*this, right) || parts_[3] == right.parts_[3];
}

bool Version::NotEqualTo(const Version& right) const {
    return !EqualTo(right);
}

bool Version::LessThan(const Version& right) const {
    if (IsNone() || right.IsNone()) return false;
    const int compared = WildcardApplies(*this, right) ? 3 : 4;
    for (int i = 0; i < compared; ++i) {
        if (parts_[i] != right.parts_[i]) return parts_[i] < right.parts_[i];
    }
    return false;
}

bool Version::LessThanOrEqualTo(const Version& right) const {
    return LessThan(right) || EqualTo(right);
}

bool Version::GreaterThan(const Version& right) const {
    return !LessThan(right) && !EqualTo(right);
}

bool Version::GreaterThanOrEqualTo(const Version& right) const {
    return !LessThan(right) || EqualTo(right);
}
