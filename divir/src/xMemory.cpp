#include "divir/xMemory.h"

#include <cstdint>
#include <cstdlib>

void* xMemAlloc(std::size_t size) {
    // No block can be larger than half the address space; asking for one only
    // upsets allocators.
    if (size > static_cast<std::size_t>(PTRDIFF_MAX)) return nullptr;
    return std::calloc(1, size == 0 ? 1 : size);
}

void xMemFree(void* block) {
    std::free(block);
}
