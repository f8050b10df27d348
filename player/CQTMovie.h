#pragma once

#include <cstdint>
#include <memory>

class MpvEngine;

// The movie object of one loaded file, as the player control hands it out.
// It outlives its file safely: once the control loads another source or goes
// away, every call yields 0 and does nothing.
class CQTMovie {
public:
    // `engine` is not owned; the session that made this object clears it
    // through Detach before the file changes or the engine goes.
    explicit CQTMovie(MpvEngine* engine) : m_engine(engine) {}
    CQTMovie(const CQTMovie&) = delete;
    CQTMovie& operator=(const CQTMovie&) = delete;

    // Player time units (milliseconds).
    int32_t GetDuration() const;
    int32_t GetTime() const;
    // Exact seek, clamped to 0 .. duration; the next GetTime() reports it.
    void SetTime(int32_t ms);
    // Volume in percent, 100 being full.
    void SetProperty1082(int32_t volumePercent);

    bool IsStale() const { return m_engine == nullptr; }
    void Detach() { m_engine = nullptr; }

private:
    MpvEngine* m_engine = nullptr;
};

using CQTMoviePtr = std::shared_ptr<CQTMovie>;
