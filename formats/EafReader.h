#pragma once

#include <optional>
#include <string>

#include "ImportedTracks.h"

// Reads an ELAN file (root ANNOTATION_DOCUMENT) with the protections of the
// annotation file's own reader: nothing fetched, no document type, bounded
// work. Each tier of time-aligned annotations becomes a track named after
// it; the values of symbolic tiers go into the comments of the segments
// they refer to, as "tier : valeur" lines. Where the file carries the
// "quillmark:" header properties of an export, the tracks are put back as
// they were exported. Slots without a time are placed between their
// neighbours, which a notice counts. None when the file cannot be read or is
// no ELAN file.
std::optional<ImportedTracks> ReadEaf(const std::string& path);
