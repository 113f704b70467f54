#pragma once

// The .srf files our own writer made at build time, with what each entry must load as.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/HostPath.h"

namespace srf_fixtures {

inline std::string HostPath(const std::string& name) {
    return std::string(SRF_FIXTURES) + "/" + name + ".srf";
}

// The program's Windows form of the fixture's path.
inline std::string Path(const std::string& name) {
    return platform::ToWindowsPath(HostPath(name));
}

inline std::string Bytes(const std::string& name) {
    std::ifstream in(HostPath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Expected {
    std::uint32_t type = 0;
    std::int32_t id = 0;
    std::uint32_t size = 0;
    bool fails = false;
    std::vector<std::uint8_t> bytes;
};

inline std::vector<Expected> Entries(const std::string& name) {
    std::vector<Expected> entries;
    std::ifstream in(std::string(SRF_FIXTURES) + "/" + name + ".expect");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string type, hex;
        Expected e;
        fields >> type >> e.id >> e.size >> hex;
        e.type = static_cast<std::uint32_t>(std::stoul(type, nullptr, 16));
        e.fails = hex == "-";
        for (std::size_t i = 0; !e.fails && i + 1 < hex.size(); i += 2) {
            e.bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace srf_fixtures
