#pragma once

// What the fuzz targets share: a scratch folder of their own for the parsers
// that read files, and the input cut into the pieces a target needs.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

#include "platform/HostPath.h"

namespace fuzz {

// One folder per process (in memory when /dev/shm exists, for speed), removed
// at exit. Each input is written over the same file names.
class ScratchFolder {
  public:
    static ScratchFolder& Get() {
        static ScratchFolder folder;
        return folder;
    }

    // Host path of a name inside the folder.
    std::string Host(const std::string& name = "") const { return name.empty() ? path_ : path_ + "/" + name; }
    // The program's Windows form of the same.
    std::string Win(const std::string& name = "") const { return platform::ToWindowsPath(Host(name)); }

    // Writes the bytes as the whole file; returns its host path.
    std::string Write(const std::string& name, std::span<const std::uint8_t> bytes) const {
        const std::string file = Host(name);
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    std::string Write(const std::string& name, std::string_view text) const {
        return Write(name, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }

    // Empties a subfolder (made when absent): what a previous input made there goes.
    std::string Fresh(const std::string& name) const {
        std::error_code ignored;
        std::filesystem::remove_all(Host(name), ignored);
        std::filesystem::create_directories(Host(name), ignored);
        return Host(name);
    }

  private:
    ScratchFolder() {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                      : std::filesystem::temp_directory_path();
        std::string pattern = (base / "vizuzor-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }

    std::string path_;
};

// Takes leading bytes as small numbers (a buffer size, a piece length) and
// leaves the rest as the data the parser reads.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // A number in [0, limit) from the next byte (two when limit > 256); 0 once
    // the input is used up.
    std::uint32_t Small(std::uint32_t limit) {
        std::uint32_t value = 0;
        const int bytes = limit > 256 ? 2 : 1;
        for (int i = 0; i < bytes && size_ > 0; ++i) {
            value = value << 8 | *data_;
            ++data_;
            --size_;
        }
        return limit == 0 ? 0 : value % limit;
    }
    std::span<const std::uint8_t> Rest() const { return {data_, size_}; }
    std::string_view RestText() const { return {reinterpret_cast<const char*>(data_), size_}; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace fuzz
