#pragma once

// A four-part version number: major, minor, release, build. -1 marks an absent part
// and -2 a wildcard build part. Shared by the update script, the logon request and
// the room messages.

#include <cstdint>
#include <string>
#include <string_view>

class Version {
  public:
    static constexpr std::int32_t kAbsent = -1;
    static constexpr std::int32_t kWildcard = -2;

    // The version "none": all four parts absent.
    Version() = default;
    // Any combination other than all absent, or three parts >= 0 with a build part
    // >= 0, absent or wildcard, gives "none".
    Version(std::int32_t major, std::int32_t minor, std::int32_t release, std::int32_t build);
    // Dotted text ("1.2.3.4", "3", "1.2.3.*", "none"); no text is refused. Each number
    // is read as a signed decimal, saturated to 32 bits, then taken as its absolute value.
    explicit Version(std::string_view text);

    // The process-wide "none".
    static const Version& None();

    std::int32_t GetMajor() const { return parts_[0]; }
    std::int32_t GetMinor() const { return parts_[1]; }
    std::int32_t GetRelease() const { return parts_[2]; }
    std::int32_t GetBuild() const { return parts_[3]; }

    bool IsNone() const;
    static bool IsValid(std::int32_t major, std::int32_t minor, std::int32_t release, std::int32_t build);

    // "<None>", "1.2.3", "1.2.3.*", "1.2.3.4", or "<Invalid>".
    std::string GetText() const;

    // A wildcard build part on one side matches any present build part on the other.
    // A comparison with "none" on either side is greater-than unless both are "none".
    bool EqualTo(const Version& right) const;
    bool NotEqualTo(const Version& right) const;
    bool LessThan(const Version& right) const;
    bool LessThanOrEqualTo(const Version& right) const;
    bool GreaterThan(const Version& right) const;
    bool GreaterThanOrEqualTo(const Version& right) const;

    // Exact equality of the four parts (no wildcard), for containers and tests.
    bool operator==(const Version& other) const = default;

  private:
    std::int32_t parts_[4] = {kAbsent, kAbsent, kAbsent, kAbsent};
};
