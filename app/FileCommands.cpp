#include "FileCommands.h"

#include <QFileDialog>
#include <QFileInfo>

#include "AnnotationEditor.h"

#include "CMovieDriver.h"
#include "CQTControl.h"
#include "Import.h"
#include "Timeline.h"
#include "UserPrompt.h"

const char* const FileCommands::kOpenVideoTitle = "Ouvrir une vidéo";
const char* const FileCommands::kOpenTitle = "Ouverture";
const char* const FileCommands::kSaveTitle = "Sauvegarde";
const char* const FileCommands::kSaveFailedText = "le fichier n'a pas été enregistré";
const char* const FileCommands::kUnsavedText =
    "Les annotations ont été modifiées et ne sont pas enregistrées. Continuer quand même ?";
const char* const FileCommands::kChangedElsewhereText =
    "Le fichier a été modifié par un autre programme depuis son ouverture. L'enregistrer quand même ?";

std::optional<std::string> ChooseFile(QWidget* owner, FileDialogKind kind, const QString& title)
{
    QFileDialog dialog(owner, title);
    // The desktop's own dialog differs from one desktop to the next and
    // cannot be driven by the tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // A new file has to be possible; replacing one is confirmed by the dialog.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.first().toStdString();
}

int32_t LoadVideo(CQTControl& player, CMovieDriver& movie, const std::string& path)
{
    player.SetSource(path);
    movie.Attach(player.GetMovie());
    movie.SetProperty1082(100);
    return movie.GetDuration() / 10;
}

QString WindowCaption(const std::string& currentFile, bool modified)
{
    QString caption = QStringLiteral("Quillmark");
    if (!currentFile.empty())
        caption = QFileInfo(QString::fromStdString(currentFile)).fileName() + QStringLiteral(" — ") + caption;
    return modified ? QLatin1Char('*') + caption : caption;
}

FileCommands::FileCommands(CTimeline& timeline, AnnotationEditor& editor, UserPrompt& prompt, Chooser chooser)
    : m_timeline(timeline), m_prompt(prompt), m_editor(editor), m_chooser(std::move(chooser))
{
}

void FileCommands::OpenAnnotationFile()
{
    if (!MayDiscardChanges())
        return;
    const auto path = m_chooser(FileDialogKind::Open, QString::fromUtf8(kOpenTitle));
    if (path)
        LoadAnnotations(*path);
}

void FileCommands::SaveAnnotationFile()
{
    const auto path = m_chooser(FileDialogKind::Save, QString::fromUtf8(kSaveTitle));
    if (path)
        SaveTo(*path);
}

void FileCommands::SaveToCurrentFile()
{
    if (m_currentFile.empty()) {
        SaveAnnotationFile();
        return;
    }
    SaveTo(m_currentFile);
}

bool FileCommands::SaveTo(const std::string& path)
{
    // Another program's work would be lost without a word. Another file
    // chosen in the dialog was confirmed there.
    if (path == m_currentFile && m_known && ChangedOnDisk(path, *m_known) && !m_prompt.Confirm(kChangedElsewhereText))
        return false;
    if (m_keepVersion)
        m_keepVersion(path);
    if (!m_timeline.SaveFile(path)) {
        // The previous file is intact; the user must know this one is not.
        m_prompt.Confirm(kSaveFailedText);
        return false;
    }
    m_editor.MarkSaved();
    m_currentFile = path;
    m_known = ReadKnownFile(path);
    return true;
}

bool FileCommands::LoadAnnotations(const std::string& path)
{
    if (const auto imported = ImportForeign(path))
        return *imported;
    // The editor forgets its history as soon as the tracks are replaced.
    if (!m_timeline.LoadFile(path))
        return false;
    m_currentFile = path;
    m_known = ReadKnownFile(path);
    return true;
}

std::optional<bool> FileCommands::ImportForeign(const std::string& path)
{
    ImportResult imported = ImportFile(path);
    switch (imported.status) {
    case ImportResult::Status::NotForeign:
        return std::nullopt;
    case ImportResult::Status::Failed:
        // Told as the annotation file's own failures are.
        m_prompt.Confirm(CTimeline::kLoadFailedText);
        return false;
    case ImportResult::Status::Read:
        break;
    }
    // The history goes with the tracks it refers to, before any box: a box's
    // event loop runs the tick and the commands.
    m_timeline.ReplaceTracks(std::move(*imported.tracks));
    // A save must never write the program's XML over the table or the ELAN
    // file, and closing must ask before the import is lost.
    m_currentFile.clear();
    m_known.reset();
    m_editor.MarkUnsaved();
    for (const std::string& notice : imported.notices)
        m_prompt.Inform(notice);
    return true;
}

void FileCommands::ResumeRecovered(const std::string& file, std::optional<KnownFile> known)
{
    m_currentFile = file;
    m_known = std::move(known);
    m_editor.MarkUnsaved();
}

std::optional<std::string> FileCommands::ChooseVideo() const
{
    return m_chooser(FileDialogKind::Open, QString::fromUtf8(kOpenVideoTitle));
}

bool FileCommands::HasUnsavedChanges() const
{
    return m_editor.IsModified();
}

bool FileCommands::MayDiscardChanges()
{
    if (!HasUnsavedChanges())
        return true;
    // The question's own event loop can deliver another close request.
    if (m_asking)
        return false;
    struct Asking {
        bool& flag;
        explicit Asking(bool& f) : flag(f) { flag = true; }
        ~Asking() { flag = false; }
    } asking(m_asking);
    return m_prompt.Confirm(kUnsavedText);
}
