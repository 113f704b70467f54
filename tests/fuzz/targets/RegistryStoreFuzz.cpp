// The registry's text store: whatever the file holds is read (what cannot be
// read is skipped), and what is read is written so that it reads back the same.

#include "FuzzSupport.h"
#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input(data, size);
    const platform::Registry::Store store = platform::Registry::Parse(input.RestText());
    const std::string text = platform::Registry::Format(store);
    const platform::Registry::Store again = platform::Registry::Parse(text);
    if (platform::Registry::Format(again) != text) __builtin_trap();
    return 0;
}
