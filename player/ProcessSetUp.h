#pragma once

// The process-wide settings the players need, for the mains of tests,
// benchmarks and demos; the program's main makes the same two by name.
// Each is made once, before any player exists: libraries never change
// process state on their own, since other threads may be reading it.
// - LC_NUMERIC "C": mpv refuses to start under a locale whose decimal point
//   is not '.'.
// - KeepLargeBuffersOutOfHeaps(): the allocator setting that keeps playback
//   from fragmenting the heaps.
void SetUpPlayerProcess();
