#include "FileDialogFixture.h"

#include <stdexcept>

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include <unistd.h>

#include "TestVideo.h"

namespace fs = std::filesystem;

namespace {

// A video of exactly `seconds`: 40 frames a second and no sound, so that no
// stream runs past the duration asked for (25 fps would round 2.5 s up).
std::string MakeExactVideo(const std::string& name, double seconds)
{
    const fs::path path = fs::path(QUILL_TEST_DATA_DIR) / name;
    if (fs::exists(path))
        return path.string();
    // Named after the process: test executables sharing this folder may make it at once.
    const fs::path partial = fs::path(QUILL_TEST_DATA_DIR) / ("partial-" + std::to_string(::getpid()) + "-" + name);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start("ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                            QString("testsrc=size=160x120:rate=40:duration=%1").arg(seconds), "-c:v", "libx264",
                            "-pix_fmt", "yuv420p", QString::fromStdString(partial.string())});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        throw std::runtime_error("ffmpeg failed: " + ffmpeg.readAll().toStdString());
    fs::rename(partial, path);
    return path.string();
}

} // namespace

std::string FileDialogFixture::s_short;
std::string FileDialogFixture::s_long;

void FileDialogFixture::SetUpTestSuite()
{
    s_short = MakeExactVideo("exact-2500ms.mp4", 2.5);
    s_long = MakeTestVideo(QUILL_TEST_DATA_DIR, "files-4000ms.mp4", 4.0, 160, 120);
}

void FileDialogFixture::SetUp()
{
    m_dir = fs::path(QUILL_TEST_DATA_DIR) / m_folder;
    fs::create_directories(m_dir);
    for (const auto& entry : fs::directory_iterator(m_dir))
        fs::remove_all(entry.path());
    MainWindowFixture::SetUp();
}

void FileDialogFixture::Edit()
{
    AnnotationEditor& editor = m_window->Editor();
    const Track* track = editor.AddTrack();
    editor.SetTrackLabel(track, "Séquence « B »");
    SelectTrack(Timeline().Tracks().GetCount() - 1);
    editor.UpdateSegment(editor.CutSegment(Timeline().m_selectedTrack), {"Passe décisive", " ", 10.0, 20.0});
}

QList<QMessageBox*> FileDialogFixture::ErrorBoxes() const
{
    return m_window->findChildren<QMessageBox*>(CAnnotatorDlg::kErrorBoxName);
}
