#pragma once

#include <vector>

#include "XmlFileReader.h"

class Segment;
class Track;
class TrackList;

// Reads a <corps> document into a track list while the parser reads the
// file: each <piste> under the root <corps> becomes a track at its start
// tag, each <segment> in it a segment, and each <contenu> in that sets the
// segment's texts. No tree is built, so a large file never stands whole in
// memory beside the tracks made from it (a tree node costs several times
// the bytes it came from). The tracks are those that TrackList::ReadXml
// would make from the finished document.
class TrackListReader final : public XmlElementHandler {
public:
    // Not owned; must outlive the reader.
    explicit TrackListReader(TrackList& tracks) : m_tracks(tracks) {}

    TrackListReader(const TrackListReader&) = delete;
    TrackListReader& operator=(const TrackListReader&) = delete;

    void ElementStarted(const XmlStartTag& tag) override;
    void ElementEnded() override;

    // The document's root element is <corps>.
    bool FoundCorps() const { return m_foundCorps; }

private:
    // What each open element is to the reading.
    enum class Role { Corps, Piste, Segment, Skipped };

    TrackList& m_tracks;
    std::vector<Role> m_open;
    bool m_rootSeen = false;
    bool m_foundCorps = false;
    Track* m_track = nullptr;     // the open <piste>'s
    Segment* m_segment = nullptr; // the open <segment>'s
};
