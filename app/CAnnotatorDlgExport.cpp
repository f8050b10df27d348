// The main window's export: the annotations written in another format,
// leaving the annotation file, the unsaved state and the history as they are.

#include "CAnnotatorDlg.h"

#include <filesystem>

#include "ExportWindowCommand.h"

void CAnnotatorDlg::OnExport()
{
    const auto target = ChooseExportTarget(this);
    if (!target)
        return;
    ExportInputs inputs;
    // The player's source is set only once the video has opened.
    if (const std::string& video = m_player->Source(); !video.empty()) {
        std::error_code ignored;
        inputs.videoPath = std::filesystem::absolute(video, ignored).string();
        if (const int32_t milliseconds = m_movie.GetDuration(); milliseconds > 0)
            inputs.videoSeconds = milliseconds / 1000.0;
    }
    ExportAnnotations(m_timeline.Tracks(), inputs, *target, m_files.CurrentFile(), *this);
}
