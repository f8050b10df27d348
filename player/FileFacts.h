#pragma once

#include <cstdint>

struct mpv_handle;
struct mpv_event;

// What the engine needs to know of a file the core has just opened.
struct FileFacts {
    double duration = 0.0;
    int image = 0;
    int64_t videoTrack = 0;
    double fps = 0.0;

    // A still picture or a sound file is not something to annotate along time.
    bool IsVideo() const { return videoTrack > 0 && image == 0 && duration > 0.0; }

    // Asks the core and waits for its answers.
    static FileFacts Read(mpv_handle* mpv);
};

// The same facts asked without waiting: the core answers through events,
// which Take collects. Waiting would hold the caller's thread while the core
// may itself be waiting for that thread to draw the first frame.
class FileFactsRequest {
public:
    // `replyBase` tags the four requests as replyBase + 0 .. 3.
    void Send(mpv_handle* mpv, uint64_t replyBase);
    // True when the event was one of the answers.
    bool Take(const mpv_event& event);
    bool IsComplete() const { return m_pending == 0; }
    const FileFacts& Facts() const { return m_facts; }

private:
    FileFacts m_facts;
    uint64_t m_replyBase = 0;
    int m_pending = 0;
};
