// Lines of a file read back through xFileReadLine, with the buffer size the
// input's first byte picks (the program reads ini-like files and lists this way).

#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (xFileStartup(8), true);
    (void)started;
    fuzz::Input input(data, size);
    const auto bufferSize = static_cast<std::int16_t>(input.Small(300));
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("lines.txt", input.Rest());
    const std::size_t fileSize = input.Rest().size();

    std::vector<char> buffer(static_cast<std::size_t>(bufferSize) + 1, '\x7f');
    xTry([&] {
        std::uint16_t handle = xFileOpen(xFileSpec(folder.Win("lines.txt").c_str()), kFileModeRead, 0, 0);
        std::size_t total = 0;
        for (;;) {
            const std::uint32_t got = xFileReadLine(handle, buffer.data(), bufferSize);
            if (got == kFileEnd) break;
            // A line never fills the buffer past its terminator, and the bytes
            // consumed add up to no more than the file.
            if (bufferSize < 2 || std::strlen(buffer.data()) > static_cast<std::size_t>(bufferSize - 1) ||
                got == 0) {
                __builtin_trap();
            }
            total += got;
            if (total > fileSize) __builtin_trap();
        }
        if (buffer[static_cast<std::size_t>(bufferSize)] != '\x7f') __builtin_trap();
        xFileClose(handle);
    });
    xErrorCode = 0;
    return 0;
}
