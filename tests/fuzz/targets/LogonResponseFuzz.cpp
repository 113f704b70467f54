// A registration server's answer as the logon exchange reads it: the validate
// page's key lines, the register and change pages' "Result=N&Detail=M" with
// the field it names, and the form decoding under both; a saved password as the
// saved-player list decodes it. Form encoding then decoding gives back any text.

#include <string>

#include "FuzzSupport.h"
#include "net/LogonForm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const LogonResponse logon = ParseLogonResponse(body);
    // The name is cut to the field, every other line to 4095 bytes.
    if (logon.logon.playerName.size() > 12) __builtin_trap();
    for (const std::string& line : logon.logon.lines) {
        if (line.size() > 4095) __builtin_trap();
    }
    const ResultDetail detail = ParseResultDetail(body);
    if (detail.ok && LogonFieldName(detail.detail) == nullptr) __builtin_trap();

    const std::string decoded = FormDecode(body);
    if (decoded.size() > body.size()) __builtin_trap();
    if (FormDecode(FormEncode(body)) != body) __builtin_trap();
    const std::string password = DecodeStoredPassword(body.substr(0, 12));
    if (password.size() > 12) __builtin_trap();
    return 0;
}
