#pragma once

#include <cstdint>
#include <map>
#include <optional>

struct mpv_event;

// Follows one file that the core was asked to load, from the events the
// core reports, until it is open or has failed. The core's events may come
// in any order relative to the command's reply, which alone names the
// playlist entry that is ours.
class LoadWatch {
public:
    enum class State { Waiting, Opened, Failed };

    // Takes what concerns this load from any event of the core; `loadReply`
    // tags the reply to our load command.
    void Follow(const mpv_event& event, uint64_t loadReply);

    // The reply to our load command: an mpv error (< 0), or the entry it added.
    void OnReply(int error, int64_t entry);
    void OnStartFile(int64_t entry);
    // The core opened the file it started last.
    void OnFileLoaded();
    // The core shows a frame of the file it loaded last.
    void OnPlaybackRestart();
    // `unknownFormat`: the core could not read the file as media.
    void OnEndFile(int64_t entry, bool unknownFormat);
    void OnShutdown();

    State GetState() const { return m_state; }
    // Meaningful once opened.
    int64_t Entry() const { return m_entry.value_or(0); }
    // A failure because the file is not media at all.
    bool NotMedia() const { return m_notMedia; }
    // Our file's first frame has been shown; followed after it opened too.
    bool Shown() const { return m_entry && m_lastShown == *m_entry; }

private:
    void Settle();
    void Fail(bool notMedia);

    State m_state = State::Waiting;
    std::optional<int64_t> m_entry;
    int64_t m_lastStarted = -1;
    int64_t m_lastLoaded = -1;
    int64_t m_lastShown = -1;
    // Entries that ended while ours was not known yet, with their reason.
    std::map<int64_t, bool> m_ended;
    bool m_notMedia = false;
};
