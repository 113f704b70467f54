// The response head as the request queue reads it: on the bytes received so
// far, at each length the network might have delivered.

#include "FuzzSupport.h"
#include "net/HttpWire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    const HttpResponseHead whole = ParseHttpResponseHead(received);
    if (whole.outcome == HttpResponseHead::Outcome::Complete && whole.bodyOffset > size) __builtin_trap();
    // Complete once, complete from then on with the same body offset.
    for (std::size_t cut = 0; cut < size; cut += 1 + cut / 8) {
        const HttpResponseHead part = ParseHttpResponseHead(received.substr(0, cut));
        if (part.outcome == HttpResponseHead::Outcome::Complete &&
            (whole.outcome != HttpResponseHead::Outcome::Complete || part.bodyOffset != whole.bodyOffset)) {
            __builtin_trap();
        }
    }
    return 0;
}
