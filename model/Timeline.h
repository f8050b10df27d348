#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Segment.h"
#include "SegmentsAtTime.h"
#include "TimelineGeometry.h"
#include "TimelineRenderer.h"
#include "Track.h"
#include "TrackList.h"
#include "UserPrompt.h"

// What lets code change the annotations in place: the editor alone makes
// one, and hands copies to its commands.
class AnnotationKey {
    friend class AnnotationEditor;
    AnnotationKey() = default;
};

// The tracks with the viewing state that the refresh tick, the drawing, the
// pointer handling and the commands share. Times are timeline times.
//
// Everyone reads the annotations; they change through three doors only, and
// each moves the revision: the editor's (with its key), a load, and
// ReplaceTracks.
class CTimeline {
public:
    // Builds the sample track with its one sample segment.
    CTimeline();
    virtual ~CTimeline() = default;

    CTimeline(const CTimeline&) = delete;
    CTimeline& operator=(const CTimeline&) = delete;

    // Comments of every segment of every track under m_currentTime, each
    // followed by "  |  ".
    void GetSegmentText(std::string& out) const;
    // Video number under m_currentTime: the selected track's if it has one,
    // else the last track's that has one, else 0.
    int GetCompanionVideoNumber() const;
    // m_currentSegment := the selected track's segment under m_currentTime.
    const Segment* UpdateCurrentSegment();

    // Writes the annotation file atomically; false when it could not be
    // written, or `path` names a file its owner made read-only (unless the
    // program runs as root), in which case any previous file at `path` is
    // left untouched.
    bool SaveFile(const std::string& path) const;
    // Replaces the tracks by the file's; true when they were replaced. A file
    // that cannot be parsed (or declares entities) is reported through the
    // user prompt; so is a damaged one, after what could be read of it has
    // replaced the tracks.
    bool LoadFile(const std::string& path);

    // Pointer mapping (TimelineHitTest.cpp). x and y are pixels from the
    // area's top-left corner. The row under y, or none below the last row.
    std::optional<int> TrackRowAt(int y) const;
    // The time under x, or none over the label column (x <= 180) and when
    // the area leaves no room right of it.
    std::optional<double> TimeAtX(int x) const;
    // m_selectedTrack := the row under y, if any.
    void SelectTrackAt(int x, int y);
    // m_currentTime := the time under x, if any; returns m_currentTime.
    double TimeFromX(int x, int y);

    // Builds the font once, then draws through the renderer (if any).
    void Draw();

    const TrackList& Tracks() const { return m_tracks; }
    // The editor's door: the tracks to change, counted as a change.
    TrackList& EditTracks(AnnotationKey);
    // The same for one track or segment the editor holds by identity.
    Track& EditTrack(AnnotationKey, const Track& track);
    Segment& EditSegment(AnnotationKey, const Segment& segment);
    // Every track exchanged with `tracks` at once, as a load does (an
    // import, a test's annotations): the current segment is forgotten and the
    // listener told. The tracks keep their identity either way.
    void ExchangeTracks(TrackList& tracks);
    void ReplaceTracks(TrackList tracks) { ExchangeTracks(tracks); }

    // The view the tick copies from the scroll bars, with the span raised to
    // at least 1 so that times map to pixels.
    void SetView(int32_t viewStart, int32_t viewSpan, int32_t trackScroll);
    int32_t ViewStart() const { return m_viewStart; }
    int32_t ViewSpan() const { return m_viewSpan; }
    int32_t TrackScroll() const { return m_trackScroll; }

    // The renderer is owned here so that it goes before the tracks it reads.
    void SetRenderer(std::unique_ptr<TimelineRenderer> renderer) { m_renderer = std::move(renderer); }
    TimelineRenderer* GetRenderer() const { return m_renderer.get(); }
    // Not owned; cleared by passing nullptr. Without one, failures are silent.
    void SetUserPrompt(UserPrompt* prompt) { m_prompt = prompt; }
    // Called when a load has replaced the tracks, before any box about it:
    // a box's own event loop runs ticks and commands, and whatever still
    // points into the old tracks must be forgotten first. Empty clears it.
    void SetTracksReplacedListener(std::function<void()> listener) { m_tracksReplaced = std::move(listener); }

    // Bumped by every change to the tracks and segments (a load included), so
    // that whoever keeps a picture or a saved state can tell it is stale
    // without comparing the annotations themselves.
    uint64_t Revision() const { return m_revision; }

    static const char* const kSampleComment;
    static const char* const kLoadFailedText;
    static const char* const kLoadDamagedText;

    int32_t m_fontReady = 0;
    const Segment* m_currentSegment = nullptr; // not owned; a segment of the selected track
    double m_currentTime = 0.0;
    double m_markStart = 0.0;
    double m_lastTime = 0.0;
    int32_t m_selectedTrack = 0;
    // The timeline area's client rectangle (left 0), set once the view exists.
    PixelRect m_viewRect;

private:
    void NoteChange() { ++m_revision; }
    // The segments of each track under m_currentTime.
    const SegmentsAtTime& AtCurrentTime() const;
    // The first of `held`, as Track::FindSegmentAt finds it at m_currentTime.
    const Segment* FirstAtCurrentTime(const std::vector<const Segment*>& held) const;
    void TracksReplaced();

    int32_t m_viewStart = 0;
    int32_t m_trackScroll = 0;
    int32_t m_viewSpan = 0;
    TrackList m_tracks;
    std::unique_ptr<TimelineRenderer> m_renderer;
    UserPrompt* m_prompt = nullptr;
    std::function<void()> m_tracksReplaced;
    uint64_t m_revision = 0;
    mutable SegmentsAtTime m_atTime;
};
