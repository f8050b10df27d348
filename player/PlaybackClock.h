#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "FrameTimes.h"

// Decides what the movie reports as its time and which seeks go out to the
// engine. Times are player time units (milliseconds).
//
// An exact seek shows its frame a few tens of milliseconds after it is asked
// for, and the engine's observed position only follows after that; callers
// read back the time they set on the very next call. So a requested time
// stands in for the position until the engine has shown the frame covering
// it and playback has moved on from there. One seek is in flight at a time:
// later requests wait and the newest wins, so each restart the engine reports
// belongs to the seek in flight (scrubbing sends a seek per tick).
class PlaybackClock {
public:
    // Frame rate assumed for frame steps when the file gives none.
    static constexpr double kFallbackFrameRate = 25.0;

    // Nothing loaded: every time reads 0.
    void Reset();
    // A file is loaded. Until the engine's first restart seeks wait for it,
    // unless the file's first frame was shown before the file was taken: that
    // restart has come and gone, and waiting for it would hold every seek.
    void StartFile(int32_t durationMs, double framesPerSecond, bool firstFrameShown);
    bool HasFile() const { return m_hasFile; }
    // The file's real frame times, once read: from then on seeks and steps
    // follow them instead of the declared frame rate, which spaces frames
    // evenly or is missing altogether.
    void SetFrameTimes(std::shared_ptr<const FrameTimes> times);
    bool HasFrameTimes() const { return m_frames != nullptr; }

    int32_t Duration() const { return m_hasFile ? m_durationMs : 0; }
    double FrameRate() const { return m_fps; }
    int32_t Time() const;
    bool SeekPending() const { return m_pending; }
    bool SeekInFlight() const { return m_inFlight; }
    bool AtEnd() const { return m_atEnd; }

    // Seconds to send to the engine now; none when nothing is loaded or the
    // request waits behind the seek in flight.
    std::optional<double> RequestSeek(int32_t ms);
    // Playback restarted (after a load or a seek); gives the waiting target
    // to send now, if any.
    std::optional<double> OnRestart();
    // The engine refused the seek in flight; gives the waiting target, if any.
    std::optional<double> OnSeekFailed();
    void OnPosition(double seconds);
    void OnEndReached(bool atEnd);
    void OnDuration(double seconds);

    // Index of the frame whose interval covers `ms`, within the file's frames.
    int64_t FrameIndexAt(int32_t ms) const;
    // First whole millisecond inside frame `index`.
    int32_t FrameStart(int64_t index) const;
    // Start of the frame `delta` frames away from the one shown now.
    int32_t StepTarget(int delta) const;

    // Rounded, not truncated: 0.29 s is 289.99... ms in double precision.
    static int32_t ToMilliseconds(double seconds);

private:
    double StepRate() const { return m_fps > 0.0 ? m_fps : kFallbackFrameRate; }
    int64_t LastFrameIndex() const;
    bool NearTarget(double observedSeconds) const;

    bool m_hasFile = false;
    int32_t m_durationMs = 0;
    double m_fps = 0.0;
    std::shared_ptr<const FrameTimes> m_frames;
    std::optional<int32_t> m_observedMs;
    double m_observedSeconds = 0.0;
    bool m_atEnd = false;

    // The standing request: reported until the engine has moved past it.
    bool m_pending = false;
    int32_t m_requestedMs = 0;
    int32_t m_targetMs = 0;
    int64_t m_targetFrame = 0;
    bool m_nearSeen = false;
    bool m_restarted = false;
    int m_movesAfterRestart = 0;

    bool m_inFlight = false;
    std::optional<double> m_waitingSeconds;
};
