#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "FileFacts.h"
#include "LoadWatch.h"
#include "PlayerError.h"

// A file the core has opened and said enough about for the engine to take.
struct OpenedFile {
    std::string path;
    // The core's playlist entry: the end event that names it is this file's.
    int64_t entry = 0;
    FileFacts facts;
    // Its first frame was shown before it was taken: the restart that
    // follows a load has come and gone, and nothing should wait for it.
    bool shown = false;
};

// One file the core was asked to load, followed from the core's events until
// the engine can take it or must give it up: first until the core has opened
// it (LoadWatch), then until the core has answered what it holds (FileFacts).
// A load that waits and one that goes on in the background feed it the same
// events, so both end the same way.
class FileOpening {
public:
    enum class State { Waiting, Opened, NotAVideo, CannotOpen };

    // `loadReply` tags the reply to the load command; the questions about the
    // file go out through `ask`, tagged from `factsReply` on.
    FileOpening(std::string path, uint64_t loadReply, uint64_t factsReply, AskProperty ask);

    // Takes what concerns this file from any event of the core.
    void Follow(const mpv_event& event);

    State GetState() const { return m_state; }
    const std::string& Path() const { return m_path; }
    // Once Opened.
    OpenedFile Opened() const;
    // Once failed: the error to report, naming the file.
    PlayerError Error() const;

private:
    void AskFacts();
    void JudgeFacts();

    std::string m_path;
    uint64_t m_loadReply = 0;
    uint64_t m_factsReply = 0;
    AskProperty m_ask;
    LoadWatch m_watch;
    // Asked once the core has opened the file.
    std::optional<FileFactsRequest> m_facts;
    State m_state = State::Waiting;
};
