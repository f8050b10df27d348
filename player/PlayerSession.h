#pragma once

#include <memory>
#include <string>

#include "CQTMovie.h"
#include "MpvEngine.h"

// The source and movie object of one player control, without any widget:
// loading a source hands out a new movie object and turns every earlier one
// stale, so nobody keeps driving a file that is gone.
class PlayerSession {
public:
    PlayerSession(MpvEngine::Output output, const AudioOutput& audio);
    ~PlayerSession();
    PlayerSession(const PlayerSession&) = delete;
    PlayerSession& operator=(const PlayerSession&) = delete;

    // Throws PlayerError when the file cannot be played; the session is then
    // empty. "" unloads.
    void SetSource(const std::string& path);
    // The same without waiting for the file to open (see
    // MpvEngine::LoadInBackground); the movie object is handed out at once.
    void StartSource(const std::string& path);
    // None while empty.
    CQTMoviePtr GetMovie() const { return m_movie; }
    const std::string& Source() const { return m_source; }

    MpvEngine& Engine() { return *m_engine; }
    const MpvEngine& Engine() const { return *m_engine; }

private:
    // Hands out a new movie object once `load` has taken the file (or begun to).
    void Open(const std::string& path, void (MpvEngine::*load)(const std::string&));
    void ReleaseMovie();

    std::unique_ptr<MpvEngine> m_engine;
    CQTMoviePtr m_movie;
    std::string m_source;
};
