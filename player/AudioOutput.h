#pragma once

#include <string>

// Where an engine's sound goes, fixed when the engine is built.
struct AudioOutput {
    // mpv's audio output driver; "" lets mpv pick the system's.
    std::string driver;

    static AudioOutput System() { return {}; }
    // Needs no sound card and prints no complaint about a missing one: for
    // tests and benchmarks, which listen to nothing.
    static AudioOutput Silent() { return {"null"}; }
};
