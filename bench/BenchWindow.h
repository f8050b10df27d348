#pragma once

#include <cmath>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QTemporaryDir>

#include "BenchTimelineData.h"
#include "CAnnotatorDlg.h"
#include "ModelScrollBar.h"
#include "ResourceIds.h"
#include "ScrollHandling.h"

// Helpers of the benchmarks that drive the main window, as a user does:
// through its start-up files, its bars and the pointer step of its tick.

// Delivers the paint a tick scheduled without running the window's own
// timer, which would add ticks of its own to the measure.
inline void Present()
{
    QCoreApplication::sendPostedEvents();
}

// Runs the event loop until `condition` holds, for 10 s at the most; the
// condition's last answer.
inline bool WaitFor(const std::function<bool()>& condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return condition();
}

namespace BenchWindowFiles {

inline const QTemporaryDir& Folder()
{
    static const QTemporaryDir folder;
    return folder;
}

inline std::string PathOf(const char* name)
{
    return QDir(Folder().path()).filePath(QString::fromUtf8(name)).toStdString();
}

// A still video of one frame a second as long as the shared annotations'
// range: the time bar's range comes from the video.
inline std::string Video()
{
    static const std::string path = [] {
        const std::string video = PathOf("range.mp4");
        const std::string command = "ffmpeg -loglevel error -y -f lavfi -i color=c=gray:size=64x48:rate=1:duration=" +
                                    std::to_string(BenchTimelineData::kRange / 100) +
                                    " -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" + video + "'";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("ffmpeg could not make the benchmark's video");
        return video;
    }();
    return path;
}

inline std::string Annotations()
{
    static const std::string path = [] {
        const std::string file = PathOf("annotations.xml");
        CTimeline timeline;
        BenchTimelineData::Fill(timeline);
        if (!timeline.SaveFile(file))
            throw std::runtime_error("the benchmark's annotations could not be written");
        return file;
    }();
    return path;
}

} // namespace BenchWindowFiles

// Opens the video whose length is the shared annotations' range, and the
// annotations too when asked, as the command line's files.
inline void OpenBenchFiles(CAnnotatorDlg& window, bool annotations)
{
    StartOptions options;
    options.video = BenchWindowFiles::Video();
    if (annotations)
        options.annotations = BenchWindowFiles::Annotations();
    window.OpenStartFiles(options);
}

// The shared annotations, opened once, with track 3 selected.
inline void OpenBenchData(CAnnotatorDlg& window)
{
    if (window.Timeline().Tracks().GetCount() == BenchTimelineData::kTracks)
        return;
    OpenBenchFiles(window, true);
    PointerSample press;
    press.windowActive = true;
    press.frame = {0, 0, window.Timeline().m_viewRect.Width(), window.Timeline().m_viewRect.Height()};
    press.cursorX = 10;
    press.cursorY = 3 * TimelineGeometry::kRowHeight + 12;
    press.leftDown = true;
    window.HandlePointer(press);
    press.leftDown = false;
    window.HandlePointer(press);
}

// Zooms to the page nearest `page` and puts the time bar at `position`, as
// the user would with the zoom and time bars.
inline void ShowRange(CAnnotatorDlg& window, int page, int position)
{
    const auto bar = [&window](MainControlId id) { return qobject_cast<ModelScrollBar*>(window.Control(id)); };
    const std::int64_t count = window.TimeBar().GetPositionCount();
    int zoom = 0;
    for (int z = 0; z <= 100; ++z)
        if (std::abs(ZoomPage(count, z) - page) < std::abs(ZoomPage(count, zoom) - page))
            zoom = z;
    window.OnHScroll(SB_THUMBTRACK, zoom, bar(kZoomBarId));
    window.OnHScroll(SB_THUMBTRACK, position, bar(kTimeBarId));
}
