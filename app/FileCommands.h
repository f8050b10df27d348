#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <QString>

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

// The annotation file commands and the guard against losing unsaved work.
// The annotations count as saved as they stood at construction (the
// sample), then after every save or load that succeeded.
class FileCommands {
public:
    using Chooser = std::function<std::optional<std::string>(FileDialogKind, const QString& title)>;

    static const char* const kOpenVideoTitle;
    static const char* const kOpenTitle;
    static const char* const kSaveTitle;
    static const char* const kSaveFailedText;
    static const char* const kUnsavedText;

    // `timeline` and `prompt` are not owned and must outlive this object.
    FileCommands(CTimeline& timeline, UserPrompt& prompt, Chooser chooser);

    // Asks about unsaved work first, then for the file.
    void OpenAnnotationFile();
    void SaveAnnotationFile();
    // Loads without a dialog or a question (the command line's file).
    bool LoadAnnotations(const std::string& path);
    std::optional<std::string> ChooseVideo() const;

    bool HasUnsavedChanges() const;
    // True when nothing would be lost or the user accepts losing it. While
    // the question is open, a second request is refused without asking again.
    bool MayDiscardChanges();

private:
    CTimeline& m_timeline;
    UserPrompt& m_prompt;
    Chooser m_chooser;
    uint64_t m_savedRevision;
    bool m_asking = false;
};
