#pragma once

#include <cstdint>
#include <functional>

#include <mpv/client.h>

// Sends one question to the core without waiting, its answer to come tagged
// `reply`; false when it could not go out.
using AskProperty = std::function<bool(uint64_t reply, const char* name, mpv_format format)>;

// What the engine needs to know of a file the core has just opened.
struct FileFacts {
    double duration = 0.0;
    int image = 0;
    int64_t videoTrack = 0;
    double fps = 0.0;

    // A still picture or a sound file is not something to annotate along time.
    bool IsVideo() const { return videoTrack > 0 && image == 0 && duration > 0.0; }
};

// The facts asked of the core without waiting: it answers through events,
// which Take collects.
class FileFactsRequest {
public:
    // `replyBase` tags the four questions as replyBase + 0 .. 3.
    void Send(const AskProperty& ask, uint64_t replyBase);
    // True when the event was one of the answers.
    bool Take(const mpv_event& event);
    bool IsComplete() const { return m_pending == 0; }
    const FileFacts& Facts() const { return m_facts; }

private:
    FileFacts m_facts;
    uint64_t m_replyBase = 0;
    int m_pending = 0;
};
