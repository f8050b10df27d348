#pragma once

#include <libxml/tree.h>

class Track;
class TrackList;

// Reads a <corps> document into a track list while the parser builds it:
// each <segment> and <piste> under the root <corps> is read as soon as the
// parser closes it, and then released, so that a large file never stands
// whole in memory beside the tracks made from it (a tree node costs several
// times the bytes it came from). The tracks are those that
// TrackList::ReadXml would make from the finished document.
class TrackListReader {
public:
    // Not owned; must outlive the reader.
    explicit TrackListReader(TrackList& tracks) : m_tracks(tracks) {}

    TrackListReader(const TrackListReader&) = delete;
    TrackListReader& operator=(const TrackListReader&) = delete;

    // An element the parser has just closed, its subtree complete.
    void ElementClosed(xmlNodePtr element);
    // Reads what the parse left in the document under the root `corps`: the
    // elements a damaged file never closed.
    void Finish(xmlNodePtr root);

private:
    Track* TrackFor(xmlNodePtr piste);

    TrackList& m_tracks;
    xmlNodePtr m_piste = nullptr; // the open <piste> that m_track was made for
    Track* m_track = nullptr;
};
