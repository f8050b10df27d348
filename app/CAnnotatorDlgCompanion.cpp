// The companion annotation video and its folder.

#include "CAnnotatorDlg.h"

#include "CFolderDialog.h"
#include "CompanionSwitch.h"
#include "ControlCompanionPlayer.h"

void CAnnotatorDlg::OnChooseAnnotationFolder()
{
    // The companion keeps its file: the next number loads from the new folder.
    CFolderDialog dialog(m_annotationFolder, this);
    dialog.exec();
}

void CAnnotatorDlg::ConnectCompanion()
{
    connect(m_companionPlayer, &CQTControl::SourceFailed, this,
            [this](const QString& text) { ReportError(text.toStdString()); });
}

void CAnnotatorDlg::UpdateCompanionVideo()
{
    ControlCompanionPlayer player(*m_companionPlayer);
    CompanionSwitch(player, m_shownVideo).Update(m_timeline, m_annotationFolder, m_mouseState == MOUSE_CLOSING);
}
