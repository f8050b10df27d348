#pragma once

#include <string>
#include <vector>

class TrackList;

// What an ELAN file says beyond the tracks.
struct EafDocumentFacts {
    // xsd:dateTime; the current time when empty.
    std::string date;
    // Absolute; no media descriptor when empty.
    std::string videoPath;
    // Where the file goes, for the video's relative address; the video's own
    // folder when empty.
    std::string outputFolder;
};

// An EAF 3.0 document: one tier per track named after its label (made
// unique), overlapping segments on extra tiers of the same track, comments
// and video numbers on dependent tiers of symbolic association, and
// "quillmark:" header properties that let the import put it all back. Times
// are whole milliseconds (TimeTrack); each change is named in `warnings`.
std::string WriteEaf(const TrackList& tracks, const EafDocumentFacts& facts, std::vector<std::string>& warnings);

// The current local time as xsd:dateTime with its offset.
std::string CurrentXsdDateTime();
