// The recovery copy of unsaved work, the versions kept at each save, and a
// recovered copy taken up at start.

#include "CAnnotatorDlg.h"

#include <chrono>

#include "ErrorBoundary.h"
#include "ModelScrollBar.h"
#include "ScrollHandling.h"
#include "StateFolders.h"
#include "VersionStore.h"

const char* const CAnnotatorDlg::kCopyFailedText = "La copie de secours n'a pas pu être écrite : ";
const char* const CAnnotatorDlg::kCopyUnreadableText = "La copie de secours n'a pas pu être lue.";

void CAnnotatorDlg::ConnectRecovery()
{
    m_autosaver = std::make_unique<Autosaver>(
        RecoveryFolder(), [this](const std::optional<std::string>& failure) { NoteStateWrite(failure); });
    m_files.SetVersionKeeper([this](const std::string& path) {
        // A file with nothing to keep is no write, failed or not.
        const VersionStore::Kept kept = VersionStore(VersionsFolder()).Keep(path);
        if (kept.written || kept.failure)
            NoteStateWrite(kept.failure);
    });
}

void CAnnotatorDlg::TickRecovery()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    m_autosaver->Tick(m_timeline, m_editor.IsModified(),
                      std::chrono::duration_cast<std::chrono::milliseconds>(now).count(), [this] {
                          return ResumePoint{m_files.CurrentFile(), m_player->Source(), m_annotationFolder,
                                             m_movie.GetTime(), m_files.KnownOnDisk()};
                      });
}

void CAnnotatorDlg::NoteStateWrite(const std::optional<std::string>& failure)
{
    if (!failure)
        m_stateFailures.Succeeded();
    else if (m_stateFailures.Failed())
        ReportError(kCopyFailedText + *failure);
}

bool CAnnotatorDlg::ResumeRecovered(FoundCopy copy)
{
    RecoveryCopyRead read = ReadRecoveryCopy(copy.claim->CopyFile());
    if (!read.readable) {
        ReportError(kCopyUnreadableText);
        return false;
    }
    m_annotationFolder = read.resume.folder;
    m_timeline.ReplaceTracks(std::move(read.tracks));
    m_files.ResumeRecovered(read.resume.annotationFile, read.resume.known);
    m_autosaver->Adopt(std::move(copy.claim));
    UpdateCaption();
    if (read.resume.video.empty())
        return true;
    RunGuarded(
        [&] {
            OpenVideo(read.resume.video);
            OnHScroll(SB_PAGELEFT, 0, m_zoomBar);
            m_movie.SetTime(static_cast<int32_t>(read.resume.timeMs));
        },
        [this](const std::string& text) { ReportError(text); });
    return true;
}
