#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TrackList.h"

// A file opened as annotations that is not the program's own: a table
// written by the TSV export (known by its exact header line) or an ELAN
// file (known by its root).
struct ImportResult {
    enum class Status {
        NotForeign, // neither: the caller reads it as the annotation file
        Failed,     // one of them, beyond reading ("le fichier n'a pas été ouvert")
        Read,
    };
    Status status = Status::NotForeign;
    std::unique_ptr<TrackList> tracks; // when Read
    // In French, for the notice box or the standard error: rows or
    // annotations left out, times placed between neighbours, damage.
    std::vector<std::string> notices;
};

ImportResult ImportFile(const std::string& path);

// True when the window opens `path` as annotations rather than as a video,
// judged by its content whatever its name: the program's own file (root
// `corps`, damaged or not), a table written by the export, an ELAN file.
bool OpensAsAnnotations(const std::string& path);
