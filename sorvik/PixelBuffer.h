#pragma once

#include <platform/Types.h>

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace sorvik::detail {

// Buffers that cross to the caller inside _SXBMP and _SXPALETTE. They come from std::calloc
// (zero-filled, null when memory is short) so that a failed allocation is a result code rather
// than an exception, and they are released only through ReleaseBuffer.
BYTE* AllocateBuffer(std::size_t bytes);
void ReleaseBuffer(void* buffer);

struct BufferDeleter {
    void operator()(void* buffer) const { ReleaseBuffer(buffer); }
};

// Holds a buffer until it is handed over with release().
template <class T> using BufferPtr = std::unique_ptr<T, BufferDeleter>;

} // namespace sorvik::detail
