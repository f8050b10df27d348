#pragma once

#include <optional>
#include <string>

#include "Export.h"

class QWidget;
class TrackList;
class UserPrompt;

// Where the window's export goes, and in which format.
struct ExportTarget {
    std::string path;
    const ExportFormat* format = nullptr;
};

// Qt's own save dialog over `owner`, titled "Exportation", whose type list
// is the format table. The chosen type decides the format; its suffix is
// added to a name without one before the dialog asks about replacing a
// file, so that it asks about the file written. None when cancelled.
std::optional<ExportTarget> ChooseExportTarget(QWidget* owner);

// Writes `tracks` to the target atomically and tells the user through
// `prompt`: "L'exportation a échoué : " and the reason when nothing was
// written (no partial file is left), or one notice with the format's
// warnings. `currentFile` (the annotation file, if any) is never written
// over. True when the file was written.
bool ExportAnnotations(const TrackList& tracks, ExportInputs inputs, const ExportTarget& target,
                       const std::string& currentFile, UserPrompt& prompt);
