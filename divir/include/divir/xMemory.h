#pragma once

// Memory of the lower layer. Objects use the standard throwing new: running out
// of memory is std::bad_alloc, which an error frame (xTry) turns into code 1.
// Raw blocks come zero-filled from xMemAlloc, which answers null instead.

#include <cstddef>

// A zero-filled block, or null when memory is exhausted or the size is absurd.
void* xMemAlloc(std::size_t size);
// Frees a block of xMemAlloc; null is ignored.
void xMemFree(void* block);
