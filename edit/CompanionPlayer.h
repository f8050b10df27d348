#pragma once

#include <string>

#include "CQTMovie.h"

// What the companion switch needs of a player control, so that a recording
// double can stand in for the real one.
class CompanionPlayer {
public:
    virtual ~CompanionPlayer() = default;

    // The movie object now loaded, or none; it stays alive while held.
    virtual CQTMoviePtr GetMovie() = 0;
    // "" empties the player. May throw PlayerError.
    virtual void SetSource(const std::string& path) = 0;
};
