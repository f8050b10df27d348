#include "TimelineFixture.h"

#include "TestTracks.h"

#include <cctype>
#include <cmath>

#include <QElapsedTimer>
#include <QPalette>
#include <QTest>


namespace {

int Channel(float value) { return static_cast<int>(std::lround(value * 255.0f)); }

bool Near(int actual, float expected) { return std::abs(actual - Channel(expected)) <= 1; }

} // namespace

bool IsColour(QRgb pixel, Rgb expected)
{
    return Near(qRed(pixel), expected.red) && Near(qGreen(pixel), expected.green) &&
           Near(qBlue(pixel), expected.blue);
}

testing::AssertionResult HasColour(const QImage& image, int x, int y, Rgb expected)
{
    if (image.isNull())
        return testing::AssertionFailure() << "no picture";
    const QRgb pixel = image.pixel(x, y);
    if (IsColour(pixel, expected))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is (" << qRed(pixel) << ", "
                                       << qGreen(pixel) << ", " << qBlue(pixel) << "), expected ("
                                       << Channel(expected.red) << ", " << Channel(expected.green) << ", "
                                       << Channel(expected.blue) << ")";
}

int CountColour(const QImage& image, const QRect& area, Rgb colour)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (IsColour(image.pixel(x, y), colour))
                ++count;
    return count;
}

std::string TestName(std::string_view rowName)
{
    std::string name;
    for (const char c : rowName)
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
}

bool WaitForSurface(CTimelineView& view)
{
    if (!view.HasSurface())
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!view.IsReady() && clock.elapsed() < 5000)
        QTest::qWait(10);
    return view.IsReady();
}

bool ShowBlackFrame(QWidget& frame, int width, int height)
{
    QPalette palette = frame.palette();
    palette.setColor(QPalette::Window, Qt::black);
    frame.setPalette(palette);
    frame.setAutoFillBackground(true);
    frame.setFixedSize(width, height);
    frame.show();
    return QTest::qWaitForWindowExposed(&frame);
}

void TimelineFixture::SetUp()
{
    ASSERT_TRUE(ShowBlackFrame(m_frame, kWidth, kHeight));
    ASSERT_TRUE(m_view.CreateGL(QRect(0, 0, kWidth, kHeight), &m_frame)) << "no OpenGL context";
    ASSERT_TRUE(WaitForSurface(m_view)) << "the OpenGL surface never became ready";

    auto renderer = std::make_unique<CTimelineRenderer>(&m_timeline);
    m_renderer = renderer.get();
    m_timeline.m_viewRect = {0, 0, kWidth, kHeight};
    m_timeline.SetRenderer(std::move(renderer));

    m_timeline.ReplaceTracks(TrackList());
    m_timeline.SetView(0, 100, 0);
    m_timeline.m_selectedTrack = 0;
    m_timeline.m_currentSegment = nullptr;
    // Far left, under the label column: out of the way unless a test wants it.
    m_timeline.m_currentTime = -1000.0;
}

void TimelineFixture::ChangeTracks(const std::function<void(TrackList&)>& change)
{
    // The tests change titles, bounds and labels, never what is current.
    const Segment* current = m_timeline.m_currentSegment;
    TrackList tracks;
    m_timeline.ExchangeTracks(tracks);
    change(tracks);
    m_timeline.ExchangeTracks(tracks);
    m_timeline.m_currentSegment = current;
}

Track& TimelineFixture::AddTrack(const std::string& label)
{
    Track* track = nullptr;
    ChangeTracks([&](TrackList& tracks) {
        track = tracks.AppendTrack();
        track->SetLabel(label);
    });
    return *track;
}

Segment& TimelineFixture::AddSegment(Track& track, double start, double end, const std::string& title)
{
    auto segment = MakeSegment(start, end, title);
    Segment& added = *segment;
    ChangeTracks([&](TrackList&) { track.AppendSegment(std::move(segment)); });
    return added;
}

QImage TimelineFixture::DrawFrame()
{
    m_view.BeginFrame();
    m_timeline.Draw();
    m_view.EndFrame();
    m_view.SwapGLBuffers();
    return m_view.GrabFrame();
}
