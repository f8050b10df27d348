#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FormatTable.h"

class TrackList;

// What some formats need beyond the tracks.
struct ExportInputs {
    // The video's duration, for the statistics' share of the video.
    std::optional<double> videoSeconds;
    // The video's absolute path and where the output goes, for ELAN's media
    // descriptor; empty when unknown.
    std::string videoPath;
    std::string outputFolder;
    // ELAN's document date (xsd:dateTime); now when empty.
    std::string date;
};

struct ExportResult {
    std::string bytes;
    // In French, one a segment that the format could not carry as it is:
    // for the standard error, or a notice in the window.
    std::vector<std::string> warnings;
};

ExportResult Export(const ExportFormat& format, const TrackList& tracks, const ExportInputs& inputs);
