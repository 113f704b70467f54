// A profile file as the program reads it: every section and key listed, each
// value read with a roomy and a tight buffer, as a number and hex-coded, then
// one key written and read back.

#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xIni.h"
#include "platform/PrivateProfile.h"

namespace {

// The names of a double-terminated list.
std::vector<std::string> Names(const std::vector<char>& list, std::uint32_t count) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < count && list[at] != '\0') {
        names.emplace_back(&list[at]);
        at += names.back().size() + 1;
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::uint32_t tight = input.Small(40);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("profile.ini", input.Rest());
    const std::string path = folder.Win("profile.ini");

    std::vector<char> list(4096);
    const std::uint32_t sectionBytes =
        platform::GetPrivateProfileString(nullptr, nullptr, "", list.data(), 4096, path.c_str());
    if (sectionBytes >= 4096) __builtin_trap();
    std::vector<std::string> sections = Names(list, sectionBytes);
    if (sections.size() > 8) sections.resize(8);
    std::vector<char> value(512);
    std::vector<char> small(tight + 1, '\x7f');
    for (const std::string& section : sections) {
        const std::uint32_t keyBytes =
            platform::GetPrivateProfileString(section.c_str(), nullptr, "", list.data(), 4096, path.c_str());
        if (keyBytes >= 4096) __builtin_trap();
        std::vector<std::string> keys = Names(list, keyBytes);
        if (keys.size() > 8) keys.resize(8);
        for (const std::string& key : keys) {
            const std::uint32_t n = platform::GetPrivateProfileString(section.c_str(), key.c_str(), "d", value.data(),
                                                                      512, path.c_str());
            // A value may hold NUL bytes from a damaged file: the count covers them.
            if (n >= 512 || std::strlen(value.data()) > n) __builtin_trap();
            const std::uint32_t cut = platform::GetPrivateProfileString(section.c_str(), key.c_str(), "d",
                                                                        small.data(), tight, path.c_str());
            if (small[tight] != '\x7f' || (tight > 0 && cut >= tight)) __builtin_trap();
            platform::GetPrivateProfileInt(section.c_str(), key.c_str(), -1, path.c_str());
            IniGetHexString(section.c_str(), key.c_str(), "", small.data(), tight, path.c_str());
            if (small[tight] != '\x7f') __builtin_trap();
        }
    }

    // A write into whatever the file holds reads back. (The program writes only
    // its own section names; a name read from a damaged file may hold line ends.)
    if (platform::WritePrivateProfileString("Fuzz Section", "Fuzz Key", "value 1", path.c_str())) {
        platform::GetPrivateProfileString("Fuzz Section", "Fuzz Key", "", value.data(), 512, path.c_str());
        if (std::strcmp(value.data(), "value 1") != 0) __builtin_trap();
    }
    xErrorCode = 0;
    return 0;
}
