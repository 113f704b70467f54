#include "net/LogonForm.h"

#include <cstdio>
#include <cstdlib>

#include "resource/HexDigit.h"

namespace {

bool StartsWith(std::string_view text, std::string_view head) {
    return text.size() >= head.size() && text.compare(0, head.size(), head) == 0;
}

// The value after the key and one more character; empty when the line ends first.
std::string_view ValueAfter(std::string_view line, std::size_t keyLength) {
    return line.size() > keyLength + 1 ? line.substr(keyLength + 1) : std::string_view();
}

// Leading decimal digits with an optional sign, as the server writes them; 0 when
// none. Values are clamped to 32 bits rather than overflowing.
std::int64_t Decimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0xFFFFFFFFLL) value = 0xFFFFFFFFLL;
    }
    return negative ? -value : value;
}

std::int32_t SignedDecimal(std::string_view text) {
    const std::int64_t v = Decimal(text);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

std::uint32_t UnsignedDecimal(std::string_view text) {
    return static_cast<std::uint32_t>(Decimal(text));
}

}  // namespace

std::string FormEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ') {
            out += '+';
        } else if (c == '%' || c == '&' || c == '+' || c == '=') {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

std::string FormDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (text.size() - i < 3) break;
            const std::string_view code = text.substr(i + 1, 2);
            if (code == "2B") out += '+';
            else if (code == "26") out += '&';
            else if (code == "3D") out += '=';
            else if (code == "25") out += '%';
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

LogonResponse ParseLogonResponse(std::string_view body) {
    LogonResponse response;
    bool haveResult = false, haveId = false, haveSession = false;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view line = body.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        if (StartsWith(line, "result")) {
            response.result = SignedDecimal(ValueAfter(line, 6));
            haveResult = true;
        } else if (StartsWith(line, "player_name")) {
            response.logon.playerName = FormDecode(ValueAfter(line, 11)).substr(0, 12);
        } else if (StartsWith(line, "player_id")) {
            response.logon.playerId = UnsignedDecimal(ValueAfter(line, 9));
            haveId = true;
        } else if (StartsWith(line, "playersession_id")) {
            response.logon.playerSessionId = UnsignedDecimal(ValueAfter(line, 16));
            haveSession = true;
        } else {
            response.logon.lines.push_back(FormDecode(line).substr(0, 4095));
        }
    }
    response.ok = haveResult && ((response.result != 0 && response.result != 1) || (haveId && haveSession));
    return response;
}

ResultDetail ParseResultDetail(std::string_view body) {
    ResultDetail parsed;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view token = body.substr(start, end - start);
        start = end + 1;
        if (StartsWith(token, "Result")) {
            parsed.result = SignedDecimal(ValueAfter(token, 6));
            parsed.ok = true;
        } else if (StartsWith(token, "Detail")) {
            parsed.detail = SignedDecimal(ValueAfter(token, 6));
        }
    }
    return parsed;
}

char GenderCode(int sexPosition) {
    return sexPosition == 1 ? 'M' : sexPosition == 2 ? 'F' : '?';
}

int AgeRangeCode(int agePosition) {
    // "Under 18", "18 - 20", "21 - 24", "25 - 34", "35 - 44", "45 - 54", "55 - 64", "Over 64"
    static constexpr int kCodes[] = {0, 7, 8, 2, 3, 4, 5, 6};
    return agePosition >= 1 && agePosition <= 8 ? kCodes[agePosition - 1] : 9;
}

std::string LogonBody(const std::string& userName, const std::string& password, const std::string& origin,
                      const std::string& version, const std::string& platform) {
    return "player_name=" + FormEncode(userName) + "&password=" + FormEncode(password) +
           "&origin_code=" + FormEncode(origin) + "&version=" + FormEncode(version) +
           "&platform_code=" + FormEncode(platform);
}

std::string RegistrationBody(const RegistrationFields& f) {
    const auto n = [](int v) { return std::to_string(v); };
    return "Email=" + FormEncode(f.email) + "&Name=" + FormEncode(f.userName) + "&Password=" +
           FormEncode(f.password) + "&Country=" + FormEncode(f.country) + "&Zip=" + FormEncode(f.postalCode) +
           "&Gender=" + std::string(1, GenderCode(f.sex)) + "&Agerange=" + n(AgeRangeCode(f.age)) +
           "&Notices=1" + "&RealName=" + FormEncode(f.realName) + "&Address=" + FormEncode(f.address) +
           "&City=" + FormEncode(f.city) + "&State=" + FormEncode(f.state) + "&Cpu=" + n(f.processor) +
           "&Ram=" + n(f.memory) + "&Monitor=" + n(f.monitor) + "&ConnectSpeed=" + n(f.connectionSpeed) +
           "&Income=" + n(f.income) + "&Job=" + n(f.occupation) + "&Education=" + n(f.education) +
           "&SurfPlace=" + n(f.surfPlace + 1);
}

std::string ChangeBody(int mode, const std::string& userName, const std::string& password,
                       const std::string& newValue) {
    const std::string head = "NameOriginal=" + FormEncode(userName) + "&PasswordOriginal=" + FormEncode(password);
    if (mode == 11) return head + "&Email=" + FormEncode(newValue) + "&";
    return head + "&Name=" + FormEncode(newValue);
}

std::string EncodeStoredPassword(std::string_view password) {
    std::string out;
    for (char c : password) out += HexDigitChar(static_cast<std::uint8_t>(c));
    return out;
}

std::string DecodeStoredPassword(std::string_view stored) {
    std::string out;
    for (char c : stored) out += static_cast<char>(HexDigitValue(c));
    return out;
}

const char* LogonFieldName(std::int32_t detail) {
    static constexpr const char* kNames[] = {
        "None",    "Player Name", "Password", "Email", "Country",   "Zip",       "Gender",
        "Age Range", "Notices",   "Real Name", "Address", "City",    "State",     "Cpu",
        "Ram",     "Monitor",     "Connect Speed", "Income", "Job", "Education", "Surf Place",
        "detail 21 (unused)"};
    return detail >= 0 && detail <= 21 ? kNames[detail] : "Unknown field";
}
