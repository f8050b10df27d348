#pragma once

#include <cstdint>
#include <optional>

// When the next recovery copy is due: once the changes have paused for a
// moment, so that a burst of edits makes one copy, and before work of more
// than half a minute can be lost while the changes never pause. Times are
// milliseconds of any steady clock.
class CopySchedule {
public:
    static constexpr int64_t kQuietMs = 2000;
    static constexpr int64_t kLongestWaitMs = 30000;

    // The annotations changed at `now`.
    void Changed(int64_t now);
    // A copy of every change so far has been taken.
    void Taken() { m_firstPending.reset(); }
    bool Pending() const { return m_firstPending.has_value(); }
    bool Due(int64_t now) const;

private:
    std::optional<int64_t> m_firstPending; // the first change no copy holds
    int64_t m_lastChange = 0;
};
