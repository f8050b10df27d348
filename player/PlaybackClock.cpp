#include "PlaybackClock.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// mpv shows the first frame starting at or after the target less 5 ms.
constexpr int32_t kEarlyLandingMs = 6;
// Without a frame rate, how far from the target a landing may be.
constexpr int32_t kUnknownFrameMs = 50;
// Guards the floor/ceil of frame arithmetic against binary rounding.
constexpr double kEpsilon = 1e-6;
// A reported position is a frame's timestamp in double precision, so it may
// fall a hair short of the frame's own start.
constexpr int64_t kPositionSlackNs = 100'000;

int64_t Nanoseconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    return std::llround(std::clamp(seconds, -1e9, 1e9) * 1e9);
}

} // namespace

void PlaybackClock::Reset()
{
    *this = PlaybackClock();
}

void PlaybackClock::StartFile(int32_t durationMs, double framesPerSecond, bool firstFrameShown)
{
    Reset();
    m_hasFile = true;
    m_durationMs = std::max<int32_t>(0, durationMs);
    m_fps = std::isfinite(framesPerSecond) && framesPerSecond > 0.0 ? framesPerSecond : 0.0;
    m_inFlight = !firstFrameShown;
}

void PlaybackClock::SetFrameTimes(std::shared_ptr<const FrameTimes> times)
{
    if (m_hasFile)
        m_frames = std::move(times);
}

int32_t PlaybackClock::Time() const
{
    if (!m_hasFile)
        return 0;
    if (m_pending)
        return m_requestedMs;
    if (m_atEnd)
        return m_durationMs;
    if (!m_observedMs)
        return 0;
    return std::clamp(*m_observedMs, 0, m_durationMs);
}

std::optional<double> PlaybackClock::RequestSeek(int32_t ms)
{
    if (!m_hasFile)
        return std::nullopt;
    m_requestedMs = std::clamp(ms, 0, m_durationMs);
    double seconds = m_requestedMs / 1000.0;
    m_targetMs = m_requestedMs;
    if (m_frames) {
        // The covering frame's own timestamp: the engine shows the first
        // frame at or after the time it is sent, whatever the spacing.
        m_targetFrame = m_frames->IndexAt(int64_t{m_requestedMs} * 1'000'000);
        seconds = std::max<int64_t>(0, m_frames->StartNs(m_targetFrame)) / 1e9;
        m_targetMs = ToMilliseconds(seconds);
    } else if (m_fps > 0.0) {
        // Aim at the start of the frame covering the request, else the engine
        // would show the next frame for a time inside a frame.
        const int64_t index = FrameIndexAt(m_requestedMs);
        seconds = static_cast<double>(index) / m_fps;
        m_targetMs = ToMilliseconds(seconds);
    }
    m_pending = true;
    m_restarted = false;
    m_movesAfterRestart = 0;
    m_nearSeen = m_observedMs && NearTarget(m_observedSeconds);
    if (m_inFlight) {
        m_waitingSeconds = seconds;
        return std::nullopt;
    }
    m_inFlight = true;
    return seconds;
}

std::optional<double> PlaybackClock::OnRestart()
{
    if (!m_inFlight)
        return std::nullopt;
    if (m_waitingSeconds) {
        const double seconds = *m_waitingSeconds;
        m_waitingSeconds.reset();
        return seconds;
    }
    m_inFlight = false;
    m_restarted = true;
    return std::nullopt;
}

std::optional<double> PlaybackClock::OnSeekFailed()
{
    if (m_waitingSeconds) {
        const double seconds = *m_waitingSeconds;
        m_waitingSeconds.reset();
        return seconds;
    }
    m_inFlight = false;
    m_pending = false;
    return std::nullopt;
}

void PlaybackClock::OnPosition(double seconds)
{
    if (!m_hasFile || !std::isfinite(seconds))
        return;
    const int32_t observed = ToMilliseconds(seconds);
    const bool moved = m_observedMs != observed;
    m_observedMs = observed;
    m_observedSeconds = seconds;
    if (!m_pending)
        return;
    if (NearTarget(seconds)) {
        m_nearSeen = true;
        return;
    }
    if (!m_restarted)
        return;
    if (moved)
        ++m_movesAfterRestart;
    // Either playback has run on from the frame that was shown, or the seek
    // landed elsewhere and playback is moving: the engine's time is good again.
    if (m_nearSeen || m_movesAfterRestart >= 2)
        m_pending = false;
}

void PlaybackClock::OnEndReached(bool atEnd)
{
    m_atEnd = m_hasFile && atEnd;
    if (m_atEnd && m_restarted)
        m_pending = false;
}

void PlaybackClock::OnDuration(double seconds)
{
    if (!m_hasFile || !std::isfinite(seconds) || seconds <= 0.0)
        return;
    m_durationMs = ToMilliseconds(seconds);
}

int64_t PlaybackClock::LastFrameIndex() const
{
    if (m_frames)
        return m_frames->Count() - 1;
    const double fps = StepRate();
    const double frames = std::ceil(m_durationMs * fps / 1000.0 - kEpsilon);
    return std::max<int64_t>(0, static_cast<int64_t>(frames) - 1);
}

int64_t PlaybackClock::FrameIndexAt(int32_t ms) const
{
    if (m_frames)
        return m_frames->IndexAt(int64_t{std::max(0, ms)} * 1'000'000);
    const double fps = StepRate();
    const auto index = static_cast<int64_t>(std::floor(std::max(0, ms) * fps / 1000.0 + kEpsilon));
    return std::clamp<int64_t>(index, 0, LastFrameIndex());
}

int32_t PlaybackClock::FrameStart(int64_t index) const
{
    if (m_frames)
        return std::clamp(m_frames->FirstMillisecond(index), 0, m_durationMs);
    const double ms = std::ceil(static_cast<double>(std::max<int64_t>(0, index)) * 1000.0 / StepRate() - kEpsilon);
    return static_cast<int32_t>(std::clamp<double>(ms, 0.0, m_durationMs));
}

int32_t PlaybackClock::StepTarget(int delta) const
{
    // At the end the time reads the duration, which the index clamps to the last frame.
    const int64_t current = FrameIndexAt(Time());
    return FrameStart(std::clamp<int64_t>(current + delta, 0, LastFrameIndex()));
}

int32_t PlaybackClock::ToMilliseconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return 0;
    const double ms = std::round(seconds * 1000.0);
    if (ms >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(ms);
}

bool PlaybackClock::NearTarget(double observedSeconds) const
{
    if (m_frames)
        return m_frames->IndexAt(Nanoseconds(observedSeconds) + kPositionSlackNs) == m_targetFrame;
    const int32_t observedMs = ToMilliseconds(observedSeconds);
    const int32_t frameMs = m_fps > 0.0 ? static_cast<int32_t>(std::ceil(1000.0 / m_fps)) : kUnknownFrameMs;
    return observedMs >= m_targetMs - kEarlyLandingMs && observedMs <= m_targetMs + frameMs + 1;
}
