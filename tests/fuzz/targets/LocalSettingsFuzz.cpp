// The developer settings file ("Vizuzor.ini" or the one named on the command
// line) as start-up reads it, with an empty settings store.

#include <string>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "game/model/LocalSettings.h"
#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    static platform::Registry* const registry = new platform::Registry(folder.Host("registry.txt"));
    const fuzz::Input input(data, size);
    folder.Write("settings.ini", input.Rest());
    // The file named on the command line, after the program's own name.
    const LocalSettings settings =
        LocalSettings::Read("Vizuzor.exe " + folder.Win("settings.ini"), folder.Win() + "\\", *registry);
    // Texts come from the file's lines and are never longer than the file.
    for (const std::string* text : {&settings.dispatchServerName, &settings.dispatchServerFilePath,
                                    &settings.gameServerName, &settings.listChannelName, &settings.userName,
                                    &settings.gameChannelName}) {
        if (text->size() > size + 64) __builtin_trap();
    }
    xErrorCode = 0;
    return 0;
}
