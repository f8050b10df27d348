#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "KnownFile.h"
#include "TrackList.h"

// A recovery copy is an annotation file like any other, written by the same
// writer, whose <corps> starts with one more element:
//   <secours format="1" date="..." fichier="..." video="..." dossier="..."
//            temps="..." taille="..." modifie="..." empreinte="...">
//     <temps piste="0" segment="3" debut="..." fin="..."/>
//   </secours>
// where each <temps> gives, exactly, the times of a segment that the file's
// hundredths alone would not give back. The program's reader skips it as it
// skips every element but <piste>, so that "Ouvrir le fichier d'annotation"
// and any older Quillmark open a copy as plain annotations.

// The copies this program writes; a copy of a higher number was written by a
// newer Quillmark and is not read.
inline constexpr int kRecoveryFormat = 1;

// What resuming the work needs beside the annotations.
struct ResumePoint {
    std::string annotationFile; // empty before any load or save
    std::string video;          // empty without a video
    std::string folder;         // the companion videos'
    int64_t timeMs = 0;         // the main player's current time
    // What the window knew of `annotationFile` on disk.
    std::optional<KnownFile> known;

    bool operator==(const ResumePoint&) const = default;
};

// Writes the copy atomically; false with errno set when it could not be
// written. `writtenMs` (since the epoch) dates it in the list of copies.
// `written` runs once the content is in the temporary file, before it
// replaces the previous copy.
bool WriteRecoveryCopy(const std::string& path, const TrackList& tracks, const ResumePoint& resume,
                       int64_t writtenMs, const std::function<void()>& written = {});

struct RecoveryCopyRead {
    // False for a file that cannot be read, is damaged, is no copy, or comes
    // from a newer format: such a copy can only be deleted.
    bool readable = false;
    ResumePoint resume;
    int64_t writtenMs = 0;
    TrackList tracks;
};

RecoveryCopyRead ReadRecoveryCopy(const std::string& path);

// The segments of every track.
int CountSegments(const TrackList& tracks);

// The annotations as plain values, the fields the file holds and nothing
// the drawing caches: copied at once on the ticking thread while the
// annotations go on changing, and made into tracks again where the copy is
// written, off that thread.
struct SegmentValues {
    std::string title;
    std::string comment;
    int32_t videoNumber = 0;
    double start = 0.0;
    double end = 0.0;
};
struct TrackValues {
    std::string label;
    std::vector<SegmentValues> segments;
};
using AnnotationValues = std::vector<TrackValues>;

AnnotationValues ValuesOf(const TrackList& tracks);
TrackList TracksOf(AnnotationValues values);
