// The file commands of the main window: the video, the annotation file.

#include "CAnnotatorDlg.h"

#include "ErrorBoundary.h"
#include "ModelScrollBar.h"
#include "ScrollHandling.h"

void CAnnotatorDlg::OnOpenVideo()
{
    const auto path = m_files.ChooseVideo();
    if (path)
        OpenVideo(*path);
    // Cancelled or not, the zoom steps back and the visible span follows the
    // time bar's range; a player error ends the handler before this.
    OnHScroll(SB_PAGELEFT, 0, m_zoomBar);
}

void CAnnotatorDlg::OpenVideo(const std::string& path)
{
    const int32_t last = LoadVideo(*m_player, m_movie, path);
    m_timeBar->Model().SetRange(0, last);
    m_timeBar->SyncFromModel();
}

void CAnnotatorDlg::OnOpenAnnotationFile()
{
    m_files.OpenAnnotationFile();
    UpdateCaption();
}

void CAnnotatorDlg::OnSaveAnnotationFile()
{
    m_files.SaveAnnotationFile();
    UpdateCaption();
}

void CAnnotatorDlg::OnSaveToCurrentFile()
{
    m_files.SaveToCurrentFile();
    UpdateCaption();
}

void CAnnotatorDlg::OpenStartFiles(const StartOptions& options)
{
    const auto report = [this](const std::string& text) { ReportError(text); };
    if (!options.folder.empty())
        m_annotationFolder = options.folder;
    if (!options.annotations.empty())
        RunGuarded([&] { m_files.LoadAnnotations(options.annotations); }, report);
    UpdateCaption();
    if (!options.video.empty())
        RunGuarded(
            [&] {
                OpenVideo(options.video);
                OnHScroll(SB_PAGELEFT, 0, m_zoomBar);
            },
            report);
}
