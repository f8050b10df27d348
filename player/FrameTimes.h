#pragma once

#include <cstdint>
#include <vector>

// When each frame of a video starts, on the player's own clock (nanoseconds
// from the file's start), read from the stream's timestamps. Frames need not
// be evenly spaced: phones and screen recorders write variable frame rates,
// and Matroska rounds every timestamp to the millisecond.
class FrameTimes {
public:
    // `startsNs` in any order; repeats are dropped. Must not be empty.
    explicit FrameTimes(std::vector<int64_t> startsNs);

    // Moves every frame by `ns`, onto another clock's zero.
    void Shift(int64_t ns);

    int64_t Count() const { return static_cast<int64_t>(m_starts.size()); }
    int64_t StartNs(int64_t index) const;
    // The frame whose interval [start_i, start_i+1) covers `ns`; the first
    // frame for a time before it, the last for a time past it.
    int64_t IndexAt(int64_t ns) const;
    // The first whole millisecond inside frame `index`, the way a frame is
    // named in player time units.
    int32_t FirstMillisecond(int64_t index) const;

private:
    std::vector<int64_t> m_starts;
};
