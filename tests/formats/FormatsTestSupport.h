#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FileContents.h"
#include "TrackList.h"

// Annotations written as data: bounds are set as they are, reversed or
// negative ones included, as a file may hold them.
struct SegmentData {
    double start;
    double end;
    std::string title;
    std::string comment;
    int32_t video = 0;
};
struct TrackData {
    std::string label;
    std::vector<SegmentData> segments;
};

// The integer the annotation file stores for t, by its own writer.
long long Stored(double t);

// The bounds the millisecond formats (ELAN, subtitles) are given:
// milliseconds to the nearest, in order, never negative, never empty; and
// which of those changes were made.
struct Fixed {
    long long start = 0;
    long long end = 0;
    bool reversed = false;
    bool negative = false;
    bool empty = false;

    bool Altered() const { return reversed || negative || empty; }
    size_t Changes() const { return size_t{reversed} + size_t{negative} + size_t{empty}; }
};
Fixed Milliseconds(const SegmentData& s);

std::unique_ptr<TrackList> BuildTracks(const std::vector<TrackData>& annotations);
std::vector<TrackData> DescribeTracks(const TrackList& tracks);

// Texts that outside readers get wrong when a writer is careless: tabs,
// every kind of line break, quotes, commas, semicolons, accents, emoji,
// formulas, markup and empty fields.
std::vector<TrackData> HardTexts();
// `count` segments of random hard texts over `tracks` tracks (seeded, so a
// failure repeats), every few a reversed, negative or zero-length one.
std::vector<TrackData> RandomTracks(unsigned seed, int tracks, int count);

struct ProcessRun {
    int status = -1; // the exit status, -1 when killed or not started
    std::string out;
    std::string err;
};
// Runs the program (found on PATH) without a shell, its standard input
// empty, with `unset` removed from the environment and `set` ("NAME=value")
// added. Killed after 120 s.
ProcessRun RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& unset = {},
                      const std::vector<std::string>& set = {});

// Rows of fields printed as '.'-prefixed hex tokens (see read_table.py).
std::vector<std::vector<std::string>> DecodeHexRows(const std::string& printed);
std::string DecodeHex(const std::string& token);

void WriteFileBytes(const std::string& path, const std::string& bytes);
// A fresh folder under the tests' data folder.
std::string FreshFolder(const std::string& name);
// Where the helper scripts are.
std::string ScriptPath(const std::string& name);
