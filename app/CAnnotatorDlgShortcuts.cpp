// The main window's keyboard shortcuts and its caption.

#include "CAnnotatorDlg.h"

#include <QPushButton>

#include "ErrorBoundary.h"
#include "ResourceIds.h"

namespace {
// The buttons whose command a shortcut repeats: the tooltip names the key.
constexpr std::pair<int, ShortcutCommand> kMirroredButtons[] = {
    {kStartButtonId, ShortcutCommand::MarkStart},
    {kEndButtonId, ShortcutCommand::MarkEnd},
    {kOpenVideoId, ShortcutCommand::OpenVideo},
    {kOpenAnnotationId, ShortcutCommand::OpenAnnotations},
    {kSaveAnnotationId, ShortcutCommand::SaveAs},
    {kExportButtonId, ShortcutCommand::Export},
};
} // namespace

void CAnnotatorDlg::ConnectShortcuts()
{
    InstallShortcuts(*this, [this](ShortcutCommand command) {
        RunGuarded([this, command] { OnShortcut(command); }, [this](const std::string& text) { ReportError(text); });
    });
    for (const auto& [id, command] : kMirroredButtons) {
        if (QWidget* button = Control(id))
            button->setToolTip(ShortcutToolTip(command));
    }
    connect(&m_editor.History(), &QUndoStack::cleanChanged, this, &CAnnotatorDlg::UpdateCaption);
    UpdateCaption();
}

void CAnnotatorDlg::OnShortcut(ShortcutCommand command)
{
    switch (command) {
    case ShortcutCommand::MarkStart:
        return OnMarkStart();
    case ShortcutCommand::MarkEnd:
        return OnMarkEnd();
    case ShortcutCommand::Undo:
        return m_editor.Undo();
    case ShortcutCommand::Redo:
        return m_editor.Redo();
    case ShortcutCommand::Save:
        return OnSaveToCurrentFile();
    case ShortcutCommand::SaveAs:
        return OnSaveAnnotationFile();
    case ShortcutCommand::OpenAnnotations:
        return OnOpenAnnotationFile();
    case ShortcutCommand::OpenVideo:
        return OnOpenVideo();
    case ShortcutCommand::Export:
        return OnExport();
    case ShortcutCommand::DeleteSegment:
        return OnDeleteSegment();
    case ShortcutCommand::EditSegment:
        return OnEditSegment();
    default:
        RunPlayerShortcut(m_player->Engine(), command);
    }
}

void CAnnotatorDlg::UpdateCaption()
{
    setWindowTitle(WindowCaption(m_files.CurrentFile(), m_editor.IsModified()));
}
