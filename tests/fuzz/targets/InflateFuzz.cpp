// A compressed download through a slot, fed in pieces of the sizes the input
// picks into an output buffer of the size it picks, as the HTTP client feeds it.

#include <vector>

#include "FuzzSupport.h"
#include "net/InflateSlots.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (InflateSlotsInit(), true);
    (void)started;
    fuzz::Input input(data, size);
    const std::uint32_t outSize = 1 + input.Small(4096);
    const std::uint32_t piece = 1 + input.Small(2048);
    const std::span<const std::uint8_t> body = input.Rest();

    const std::int16_t slot = InflateSlotOpen();
    if (slot == 0) __builtin_trap();
    std::vector<char> out(outSize + 1, '\x5a');
    const char* in = reinterpret_cast<const char*>(body.data());
    std::size_t left = body.size();
    std::size_t produced = 0;
    bool stopped = false;
    while (left > 0 && !stopped) {
        const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(left, piece));
        const char* at = in;
        std::uint32_t remaining = count;
        for (;;) {
            std::uint32_t written = outSize;
            std::uint32_t consumed = 0;
            const int rc = InflateSlotFeed(slot, out.data(), written, at, remaining, &consumed);
            if (written > outSize || consumed > remaining || out[outSize] != '\x5a') __builtin_trap();
            produced += written;
            // A stream that inflates far past anything a download holds stops here.
            if (produced > (64u << 20)) {
                stopped = true;
                break;
            }
            at += consumed;
            remaining -= consumed;
            if (rc < 0 && rc != -5) {
                stopped = true;
                break;
            }
            if (remaining == 0 && written < outSize) break;
            if (consumed == 0 && written == 0) break;
        }
        in += count;
        left -= count;
    }
    InflateSlotClose(slot, 0);
    return 0;
}
