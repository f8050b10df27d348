#pragma once

// Keeps video-sized buffers out of the C library's heaps (see the source for
// why); done once, before the first player starts. False when the program
// runs on another allocator (under sanitizers), which ignores the setting.
bool KeepLargeBuffersOutOfHeaps();
