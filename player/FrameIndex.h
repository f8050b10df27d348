#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "FrameIndexJob.h"
#include "FrameTimes.h"

class QObject;

// A loaded file's frame times on the player's clock: read in the background
// on the container's clock, then moved onto the player's zero (its demuxer's
// start time, which differs from the container's by the streams' own start
// offsets in Matroska, say) once the player has told it.
class FrameIndex {
public:
    using Ready = std::function<void(std::shared_ptr<const FrameTimes>)>;

    // Takes the file to read; `ready` runs on `context`'s thread once both
    // the times and the zero are known. `context` must outlive this object.
    void Start(const std::string& path, QObject* context, Ready ready);
    // Begins the read, once: called when the player shows its first frame,
    // so that reading the file does not slow the player opening it.
    void ReadNow();
    // The player's zero, in seconds of the container's clock.
    void SetZero(double seconds);
    // Stops any read and forgets the file.
    void Reset();

private:
    void Offer();

    std::string m_path;
    QObject* m_context = nullptr;
    std::unique_ptr<FrameIndexJob> m_job;
    std::optional<FrameTimes> m_times;
    std::optional<int64_t> m_zeroNs;
    Ready m_ready;
};
