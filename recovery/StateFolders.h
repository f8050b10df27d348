#pragma once

#include <string>

#include <QString>

// Where the program keeps what it writes for itself: under
// $XDG_STATE_HOME/quillmark, or ~/.local/state/quillmark when the variable
// is unset or not an absolute path (Qt has no location for it).
QString QuillmarkStateFolder();
// The recovery copies of unsaved work.
QString RecoveryFolder();
// The earlier versions of the annotation files.
QString VersionsFolder();

// Makes `folder` and its parents, readable by the user alone when made
// here. The reason in French when it cannot be made (a file in its place,
// a read-only disk...), empty when it is there.
std::string MakeStateFolder(const QString& folder);

// Removes the temporary files that writes cut short by a kill left in
// `folder`: those older than any write takes, so that none being written
// is touched.
void RemoveLeftTemporaries(const QString& folder);

// What went wrong with a file operation that set errno, in French, for the
// end of a sentence: "le disque est plein".
std::string SystemErrorText(int error);
