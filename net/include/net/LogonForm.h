#pragma once

// The registration server's form encoding, its two response formats, the request
// bodies of the logon exchange and the registry form of a saved password. All pure.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a successful logon hands to its caller.
struct LogonResult {
    std::string playerName;
    std::string password;
    std::uint32_t playerId = 0;
    std::uint32_t playerSessionId = 0;
    // Every other response line, form-decoded ("adult=1" ...).
    std::vector<std::string> lines;
};

// Space to "+"; "%", "&", "+" and "=" to "%XX"; every other byte unchanged.
std::string FormEncode(std::string_view text);
// "+" to space; %2B %26 %3D %25 back; another "%" drops itself and two more
// characters; a "%" with fewer than two after it ends the text.
std::string FormDecode(std::string_view text);

struct LogonResponse {
    bool ok = false;
    std::int32_t result = 0;
    LogonResult logon;
};
// The validate page's answer: lines of "key=value" (see the source for the keys).
LogonResponse ParseLogonResponse(std::string_view body);

struct ResultDetail {
    bool ok = false;
    std::int32_t result = 0;
    std::int32_t detail = -1;
};
// The register and change pages' answer: "Result=N&Detail=M".
ResultDetail ParseResultDetail(std::string_view body);

// The registration pages' values as the form sends them.
struct RegistrationFields {
    std::string userName;    // 12
    std::string password;    // 12
    std::string realName;    // 60
    std::string email;       // 60
    std::string address;     // 60
    std::string city;        // 40
    std::string state;       // 20
    std::string postalCode;  // 10
    std::string country = "US";
    int sex = 0;  // list positions, 0 = "Select"
    int age = 0;
    int notices = 1;
    int occupation = 0;
    int education = 0;
    int income = 0;
    int processor = 0;
    int memory = 0;
    int monitor = 0;
    int connectionSpeed = 0;
    int surfPlace = 0;  // 0 Home, 1 Work, 2 School
};

// The age list's entries after "Select", and the server's age-range numbers.
char GenderCode(int sexPosition);
int AgeRangeCode(int agePosition);

std::string LogonBody(const std::string& userName, const std::string& password, const std::string& origin,
                      const std::string& version, const std::string& platform);
std::string RegistrationBody(const RegistrationFields& fields);
// Modes 4, 8 and 12 send a new name, mode 11 a new e-mail address.
std::string ChangeBody(int mode, const std::string& userName, const std::string& password,
                       const std::string& newValue);

// The registry form of a password, each character through the hex-digit coding,
// and back.
std::string EncodeStoredPassword(std::string_view password);
std::string DecodeStoredPassword(std::string_view stored);

// The server's field numbers (Detail of results 13 and 14); "Unknown field"
// outside 0 to 21.
const char* LogonFieldName(std::int32_t detail);
