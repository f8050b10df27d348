#include "AllocatorTuning.h"

#include <malloc.h>

namespace {

#if defined(QUILL_SANITIZED_BUILD)
constexpr bool kOwnAllocator = false;
#else
constexpr bool kOwnAllocator = true;
#endif

// glibc's own starting value, held fixed.
constexpr int kLargeBufferBytes = 128 * 1024;

bool Apply()
{
    // Decoders, the video output and the GL rasteriser allocate and free
    // picture buffers of hundreds of kilobytes from many threads, and every
    // file the companion opens brings new decoder threads. glibc starts by
    // serving such blocks straight from the system, but raises that limit to
    // the size of each one freed, after which they come from the per-thread
    // heaps, which fragment and are seldom given back: the program grew by
    // some 250 MB in ten minutes of playback while holding about 50 MB.
    // Fixing the limit keeps every large block a mapping of its own,
    // returned whole when freed.
    return kOwnAllocator && mallopt(M_MMAP_THRESHOLD, kLargeBufferBytes) == 1;
}

} // namespace

bool KeepLargeBuffersOutOfHeaps()
{
    static const bool applied = Apply();
    return applied;
}
