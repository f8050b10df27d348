#pragma once

#include <cstdint>
#include <utility>

#include "CQTMovie.h"

// Holds the main player's movie object for the window. Empty until a movie
// is attached; while empty, the movie operations make no call and yield 0.
class CMovieDriver {
public:
    CMovieDriver() = default;

    // Takes `movie` (possibly none) and releases the object held before.
    void Attach(CQTMoviePtr movie) { m_movie = std::move(movie); }
    void Release() { m_movie.reset(); }
    bool HasMovie() const { return m_movie != nullptr; }

    int32_t GetDuration() const { return m_movie ? m_movie->GetDuration() : 0; }
    int32_t GetTime() const { return m_movie ? m_movie->GetTime() : 0; }
    void SetTime(int32_t ms) const
    {
        if (m_movie)
            m_movie->SetTime(ms);
    }
    void SetProperty1082(int32_t volumePercent) const
    {
        if (m_movie)
            m_movie->SetProperty1082(volumePercent);
    }

private:
    CQTMoviePtr m_movie;
};
