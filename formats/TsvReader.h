#pragma once

#include <optional>
#include <string>

#include "ImportedTracks.h"

// Reads back a segments table written by the TSV export: one track per run
// of rows with the same track number (label from "piste"), each row a
// segment with the title, comments, video number and times as written.
// Rows that cannot be read are left out and counted in a notice. None when
// `bytes` does not begin with the table's header line.
std::optional<ImportedTracks> ReadSegmentTable(const std::string& bytes);

// Whether `bytes` begin with the header line (a UTF-8 byte-order mark before
// it, and "\r\n" after it, are allowed).
bool StartsWithSegmentTableHeader(const std::string& bytes);
