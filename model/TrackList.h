#pragma once

#include <memory>
#include <vector>

#include <libxml/tree.h>

#include "Track.h"

class XmlStreamWriter;

// The tracks in row order, position 0 at the top. Positions outside the list
// are ignored by every operation.
class TrackList {
public:
    using Storage = std::vector<std::unique_ptr<Track>>;

    TrackList() = default;
    virtual ~TrackList() = default;

    TrackList(const TrackList&) = delete;
    TrackList& operator=(const TrackList&) = delete;
    TrackList(TrackList&&) = default;
    TrackList& operator=(TrackList&&) = default;

    Track* AppendTrack();
    int GetCount() const { return static_cast<int>(m_tracks.size()); }
    const Track* GetTrack(int position) const;
    Track* GetTrack(int position);
    void RemoveTrack(int position);
    void MoveTrackUp(int position);
    void MoveTrackDown(int position);
    void RemoveAll() { m_tracks.clear(); }
    // Puts `track` at `position` (clamped to the list), the tracks from there
    // on moving down one place; a null track is ignored.
    void InsertTrack(int position, std::unique_ptr<Track> track);
    // Takes the track at `position` out of the list without destroying it;
    // null outside the list.
    std::unique_ptr<Track> TakeTrack(int position);
    // Exchanges the tracks of the two lists.
    void Swap(TrackList& other) { m_tracks.swap(other.m_tracks); }

    // A const list hands out const tracks only.
    OwnedView<const Track, Track>::Iterator begin() const { return OwnedView<const Track, Track>(m_tracks).begin(); }
    OwnedView<const Track, Track>::Iterator end() const { return OwnedView<const Track, Track>(m_tracks).end(); }
    OwnedView<Track, Track>::Iterator begin() { return OwnedView<Track, Track>(m_tracks).begin(); }
    OwnedView<Track, Track>::Iterator end() { return OwnedView<Track, Track>(m_tracks).end(); }

    // Writes the <corps> element with its tracks.
    void WriteXml(XmlStreamWriter& out) const;
    // Appends a track for each <piste> element among `first` and its
    // following siblings; every other node is skipped.
    void ReadXml(xmlNodePtr first);

private:
    bool IsPosition(int position) const { return position >= 0 && position < GetCount(); }

    Storage m_tracks;
};
