#include "PixelBuffer.h"

namespace sorvik::detail {

BYTE* AllocateBuffer(std::size_t bytes) {
    // A zero-sized request still yields a distinct buffer, so "loaded" always means non-null.
    return static_cast<BYTE*>(std::calloc(bytes ? bytes : 1, 1));
}

void ReleaseBuffer(void* buffer) {
    std::free(buffer);
}

} // namespace sorvik::detail
