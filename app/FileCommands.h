#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <QString>

#include "KnownFile.h"

class AnnotationEditor;
class CMovieDriver;
class CQTControl;
class CTimeline;
class QWidget;
class UserPrompt;

enum class FileDialogKind { Open, Save };

// Asks for one file in a modal dialog over `owner`: Qt's own dialog on every
// desktop, no filter, no proposed name. The save dialog takes a file that
// does not exist yet and asks before replacing one. The chosen path in
// UTF-8, or none when the user cancels.
std::optional<std::string> ChooseFile(QWidget* owner, FileDialogKind kind, const QString& title);

// Loads the video into the player and attaches its movie object, at full
// volume; returns the upper end of the time bar's range for it. The
// player's error ends this at the failing step.
int32_t LoadVideo(CQTControl& player, CMovieDriver& movie, const std::string& path);

// The main window's caption, as editors show it: "Quillmark" before any
// annotation file, "name.xml — Quillmark" once one is loaded or saved, with a
// leading "*" while there is unsaved work.
QString WindowCaption(const std::string& currentFile, bool modified);

// The annotation file commands and the guard against losing unsaved work.
// The annotations count as saved as they stood at construction (the
// sample), then after every save or load that succeeded: the editor's
// history keeps that state, so that undoing back to it is no unsaved work.
class FileCommands {
public:
    using Chooser = std::function<std::optional<std::string>(FileDialogKind, const QString& title)>;

    static const char* const kOpenVideoTitle;
    static const char* const kOpenTitle;
    static const char* const kSaveTitle;
    static const char* const kSaveFailedText;
    static const char* const kUnsavedText;
    static const char* const kChangedElsewhereText;
    // Told of the file a save is about to replace, before it is replaced.
    using VersionKeeper = std::function<void(const std::string& path)>;

    // `timeline`, `editor` and `prompt` are not owned and must outlive this
    // object; none is used before the first command.
    FileCommands(CTimeline& timeline, AnnotationEditor& editor, UserPrompt& prompt, Chooser chooser);

    // Asks about unsaved work first, then for the file.
    void OpenAnnotationFile();
    void SaveAnnotationFile();
    // Into the file last loaded or saved, without a dialog; the save dialog
    // when there is none yet.
    void SaveToCurrentFile();
    // Loads without a dialog or a question (the command line's file). A
    // table written by the export or an ELAN file is imported instead.
    bool LoadAnnotations(const std::string& path);
    std::optional<std::string> ChooseVideo() const;

    bool HasUnsavedChanges() const;
    // The annotation file last loaded or saved; empty before any.
    const std::string& CurrentFile() const { return m_currentFile; }
    // True when nothing would be lost or the user accepts losing it. While
    // the question is open, a second request is refused without asking again.
    bool MayDiscardChanges();

    void SetVersionKeeper(VersionKeeper keeper) { m_keepVersion = std::move(keeper); }
    // What this window last knew of the current file on disk; none before
    // any load or save, or when it could not be read.
    const std::optional<KnownFile>& KnownOnDisk() const { return m_known; }
    // Takes on a recovered copy's file and what its window knew of it, so
    // that a save goes where that window's would have; the annotations
    // count as unsaved.
    void ResumeRecovered(const std::string& file, std::optional<KnownFile> known);

private:
    CTimeline& m_timeline;
    UserPrompt& m_prompt;
    bool SaveTo(const std::string& path);
    // Reads a foreign file as the annotations, which then belong to no file
    // and count as unsaved; none when `path` is the program's own format
    // (or no document), which the timeline then reads as always.
    std::optional<bool> ImportForeign(const std::string& path);

    AnnotationEditor& m_editor;
    Chooser m_chooser;
    std::string m_currentFile;
    std::optional<KnownFile> m_known;
    VersionKeeper m_keepVersion;
    bool m_asking = false;
};
