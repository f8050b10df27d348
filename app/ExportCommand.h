#pragma once

#include <cstdio>

struct ExportRequest;

// Writes the annotations of each input in the requested format, without any
// window or display. Outputs are written atomically; an existing one is only
// replaced with --force, and never when it is the input itself. What could
// not be read or written, and what a format could not carry as it is, is
// told on `err` in French, with the file's name; the other inputs are still
// done. Returns the exit status: 0 when every output was written, 1
// otherwise (a bad argument, 2, is the parser's).
int RunExport(const ExportRequest& request, std::FILE* out, std::FILE* err);
