#pragma once

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes. Paths come back in host form and in the program's
// Windows form.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/HostPath.h"

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "divir-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Host path of a relative host name inside the folder.
    std::string Host(const std::string& name = "") const { return name.empty() ? path_ : path_ + "/" + name; }
    // Windows form of the same.
    std::string Win(const std::string& name = "") const { return platform::ToWindowsPath(Host(name)); }

    void Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path file = Host(name);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Host(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::string path_;
};
