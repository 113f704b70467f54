// Received lines as the line connection hands them to the batcher: each fed
// whole, then every message taken out into a buffer of the size the input
// picks. Every message fits its buffer, a line gives at least one, and the batcher is empty
// once drained.

#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "net/GameMsgBatcher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::size_t bufferSize = 1 + input.Small(600);
    std::string text(input.RestText());
    GameMsgBatcher batcher(nullptr);
    std::vector<char> buffer(bufferSize + 1, '\x7f');
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::int16_t code = xTry([&] { batcher.Feed(line.c_str()); });
        const std::size_t length = std::strlen(line.c_str());
        // Only a line longer than the line limit is refused, and then nothing is held.
        if ((code != 0) != (length > GameMsgBatcher::kLineMax)) __builtin_trap();
        if (code != 0) {
            if (!batcher.IsEmpty()) __builtin_trap();
            continue;
        }
        // Feeding again before the line is drained is refused and keeps what is held.
        if (!batcher.IsEmpty() && xTry([&] { batcher.Feed("PRIVMSG x :y"); }) == 0) __builtin_trap();
        std::size_t messages = 0;
        while (batcher.NextMessage(buffer.data(), bufferSize) == 1) {
            const std::size_t got = std::strlen(buffer.data());
            if (got > bufferSize - 1 || buffer[bufferSize] != '\x7f') __builtin_trap();
            if (++messages > GameMsgBatcher::kLineMax + 1) __builtin_trap();
        }
        if (!batcher.IsEmpty() || (length > 0 && messages == 0)) __builtin_trap();
    }
    xErrorCode = 0;
    return 0;
}
