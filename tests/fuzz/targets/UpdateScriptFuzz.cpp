// The downloaded update script run from its first section, in a program folder
// of its own that holds one file the script may test, rename or delete. Nothing
// outside that folder may change.

#include <filesystem>
#include <map>
#include <memory>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "net/UpdateScript.h"
#include "resource/FileResource.h"
#include "resource/FileResourceFactory.h"

namespace {

class Host final : public UpdateScriptHost {
  public:
    explicit Host(std::string programFolder) : programFolder_(std::move(programFolder)) {}

    void PumpMessages() override {}
    void SendError(const std::string&) override { ++errors; }
    FileResource& FindOrRegisterFile(const std::string& clientPath) override {
        auto& file = files_[clientPath];
        if (!file) file.reset(FileResourceFactory().Create(programFolder_ + clientPath));
        return *file;
    }
    void QueueUpdate(const std::string&, const std::string&, const Version&, std::int32_t, std::int32_t) override {}

    int errors = 0;

  private:
    std::string programFolder_;
    std::map<std::string, std::unique_ptr<FileResource>> files_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (xFileStartup(8), true);
    (void)started;
    const fuzz::Input input(data, size);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Fresh("prog");
    folder.Write("prog/keep.txt", "x");
    folder.Write("outside.txt", "y");
    folder.Write("prog/u.ini", input.Rest());

    const std::string programFolder = folder.Win("prog") + "\\";
    Host host(programFolder);
    UpdateScript script(host, programFolder);
    script.SetClientVersion(Version("1.0.0.0"));
    try {
        script.Run(folder.Win("prog/u.ini"));
    } catch (int) {
        if (host.errors != 1) __builtin_trap();
    }
    if (!std::filesystem::exists(folder.Host("outside.txt"))) __builtin_trap();
    xErrorCode = 0;
    return 0;
}
