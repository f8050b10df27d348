// The frames the tick draws while a video plays: drawn in part where only the
// time line and the current segment moved, and presented in part. Each one
// is checked against the plain drawing of the same state on a surface of
// its own, and what reaches the screen against the frame.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <random>
#include <string>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QScreen>

#include "CGLFont.h"
#include "FrameCulling.h"
#include "TestTracks.h"
#include "TimelineFixture.h"

namespace {

const std::string kTitles[] = {"PL", "D\xC3\xA9" "fense \xC3\xA0 trois", "", std::string(40, 'W'), "gjpqy \xC3\x85",
                               "\xE2\x82\xAC 12", "S\xC3\xA9quence 123"};

// Many short segments, as a dense file has, a few long ones, overlaps,
// reversed bounds and bars narrower than a pixel; the same for one seed.
TrackList MakeTracks(unsigned seed)
{
    std::mt19937 random(seed);
    const auto real = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    TrackList tracks;
    const int count = pick(3, 14);
    for (int t = 0; t < count; ++t) {
        Track* track = tracks.AppendTrack();
        track->SetLabel(t % 3 == 0 ? std::string(30, 'M') : "Piste " + std::to_string(t));
        double start = real(-50.0, 20.0);
        while (start < 1200.0) {
            const double length = pick(0, 9) == 0 ? real(50.0, 300.0) : real(0.05, 12.0);
            const bool reversed = pick(0, 15) == 0;
            track->AppendSegment(MakeSegment(reversed ? start + length : start, reversed ? start : start + length,
                                             kTitles[pick(0, 6)]));
            start += length + real(-2.0, 6.0);
        }
    }
    return tracks;
}

// What a case's random walk may do to both timelines besides playing on.
enum Walk : unsigned {
    kJumps = 1,      // the time jumps, or leaves the area
    kSelects = 2,    // another track is selected
    kViews = 4,      // zoom and scroll, in time and across tracks
    kRetitles = 8,   // a title changes under the current segment
};

// 100 tracks of 1,000 segments, the whole range in view: most segments are
// narrower than a pixel and every column holds many.
TrackList MakeDenseTracks()
{
    TrackList tracks;
    for (int t = 0; t < 100; ++t) {
        Track* track = tracks.AppendTrack();
        track->SetLabel("Piste " + std::to_string(t));
        for (int s = 0; s < 1000; ++s) {
            const double start = s * 1.2 + (t % 7) * 0.1;
            track->AppendSegment(MakeSegment(start, start + 0.3 + (s % 5) * 0.2, kTitles[(s + t) % 7]));
        }
    }
    return tracks;
}

struct Case {
    const char* name;
    unsigned seed;
    unsigned changes; // Walk flags
    bool dense;       // MakeDenseTracks rather than MakeTracks
    int steps;
};

const Case kCases[] = {
    {"highlight moving", 1, 0, false, 80},
    {"highlight moving again", 2, 0, false, 80},
    {"selection", 3, kSelects, false, 60},
    {"zoom and scroll", 4, kViews, false, 60},
    {"jumps and titles", 5, kJumps | kRetitles, false, 60},
    {"all of it", 6, kJumps | kSelects | kViews | kRetitles, false, 80},
    {"100k segments", 7, kSelects, true, 16},
};

// Equal images, or where they first differ.
testing::AssertionResult SamePixels(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", expected "
                                           << expected.width() << "x" << expected.height();
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex
                                                   << actual.pixel(x, y) << ", expected " << expected.pixel(x, y);
    return testing::AssertionSuccess();
}

void PrintTo(const Case& row, std::ostream* out) { *out << row.name; }

class PlaybackFrames : public TimelineFixture, public testing::WithParamInterface<Case> {
protected:
    void SetUp() override
    {
        TimelineFixture::SetUp();
        // Below the ticking surface, so that the screen shows that one whole.
        m_plainFrame.move(0, kHeight + 40);
        ASSERT_TRUE(ShowBlackFrame(m_plainFrame, kWidth, kHeight));
        ASSERT_TRUE(m_plainView.CreateGL(QRect(0, 0, kWidth, kHeight), &m_plainFrame));
        ASSERT_TRUE(WaitForSurface(m_plainView));
        auto renderer = std::make_unique<CTimelineRenderer>(&m_plain);
        renderer->SetCulling(false);
        renderer->SetLayerCache(false);
        m_plain.SetRenderer(std::move(renderer));
        m_plain.m_viewRect = {0, 0, kWidth, kHeight};

        const Case& row = GetParam();
        m_random.seed(row.seed);
        const auto make = [&row] { return row.dense ? MakeDenseTracks() : MakeTracks(row.seed); };
        m_timeline.ReplaceTracks(make());
        m_plain.ReplaceTracks(make());
        const int span = row.dense ? 1250 : 400;
        Both([span](CTimeline& timeline) {
            timeline.SetView(0, span, 0);
            timeline.m_selectedTrack = 0;
            timeline.m_currentTime = 5.0;
        });
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    double Real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_random); }

    void Both(const std::function<void(CTimeline&)>& change)
    {
        change(m_timeline);
        change(m_plain);
    }

    // One random change to both timelines, mostly what playing does: the
    // time moves a little and the current segment follows it.
    std::string Change()
    {
        const unsigned allowed = GetParam().changes;
        const int kind = Pick(0, 19);
        const auto may = [allowed](unsigned change) { return (allowed & change) != 0; };
        const bool other = kind >= 13 && ((kind <= 14 && may(kJumps)) || ((kind == 15 || kind == 16) && may(kViews)) ||
                                          (kind == 17 && may(kSelects)) || (kind == 18 && may(kRetitles)) || kind == 19);
        if (!other) {
            const double step = Real(0.0, 4.0) * m_timeline.ViewSpan() / (kWidth - TimelineGeometry::kLabelWidth);
            Both([&](CTimeline& timeline) {
                timeline.m_currentTime += step;
                timeline.UpdateCurrentSegment();
            });
            return "plays on";
        }
        switch (kind) {
        case 13: {
            const double time = Real(-300.0, 1400.0);
            Both([&](CTimeline& timeline) {
                timeline.m_currentTime = time;
                timeline.UpdateCurrentSegment();
            });
            return "jumps";
        }
        case 14: {
            const double time = Pick(0, 1) == 0 ? -1e6 : 1e6;
            Both([&](CTimeline& timeline) { timeline.m_currentTime = time; });
            return "leaves the area";
        }
        case 15: {
            const int start = Pick(-100, 900);
            const int span = Pick(20, 1500);
            Both([&](CTimeline& timeline) { timeline.SetView(start, span, timeline.TrackScroll()); });
            return "view";
        }
        case 16: {
            const int scroll = Pick(0, 200);
            Both([&](CTimeline& timeline) { timeline.SetView(timeline.ViewStart(), timeline.ViewSpan(), scroll); });
            return "track scroll";
        }
        case 17: {
            const int track = Pick(0, m_timeline.Tracks().GetCount() - 1);
            Both([&](CTimeline& timeline) {
                timeline.m_selectedTrack = track;
                timeline.UpdateCurrentSegment();
            });
            return "selected track";
        }
        case 18: {
            const std::string& title = kTitles[Pick(0, 6)];
            Both([&](CTimeline& timeline) {
                TrackList tracks;
                timeline.ExchangeTracks(tracks);
                if (Track* track = tracks.GetTrack(0); track != nullptr && !track->GetSegments().empty())
                    track->GetSegments().front()->SetTitle(title);
                timeline.ExchangeTracks(tracks);
                timeline.UpdateCurrentSegment();
            });
            return "a title";
        }
        default:
            return "nothing";
        }
    }

    QImage PlainFrame()
    {
        m_plainView.BeginFrame();
        m_plain.Draw();
        m_plainView.EndFrame();
        m_plainView.SwapGLBuffers();
        return m_plainView.GrabFrame();
    }

    // The part of the surface on the screen (at two device pixels per pixel
    // it runs off it), in device pixels.
    QRect OnScreen() const
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect global = QRect(m_frame.mapToGlobal(QPoint(0, 0)), m_frame.size()) & screen->geometry();
        const QRect local = global.translated(-m_frame.mapToGlobal(QPoint(0, 0)));
        const qreal ratio = m_frame.devicePixelRatioF();
        return QRect(QPoint(qRound(local.left() * ratio), qRound(local.top() * ratio)),
                     QSize(qRound(local.width() * ratio), qRound(local.height() * ratio)));
    }

    // The surface's pixels as the X server shows them, once the presents
    // asked for have run.
    QImage Shown()
    {
        QCoreApplication::processEvents();
        QImage shown = QGuiApplication::primaryScreen()->grabWindow(m_frame.winId()).toImage();
        return shown.convertToFormat(QImage::Format_RGB32).copy(OnScreen());
    }

    QWidget m_plainFrame;
    CTimelineView m_plainView;
    EmptyTimeline m_plain;
    std::mt19937 m_random;
};

} // namespace

TEST_P(PlaybackFrames, EveryTickShowsThePlainDrawingsPictureOnTheSurfaceAndTheScreen)
{
    int drawn = 0;
    const uint64_t partBefore = m_view.PartFrames();
    for (int step = 0; step < GetParam().steps; ++step) {
        const std::string changed = step == 0 ? "first frame" : Change();
        SCOPED_TRACE("step " + std::to_string(step) + ": " + changed);
        if (m_view.DrawFrame(m_timeline))
            ++drawn;
        m_view.SwapGLBuffers();
        QImage ticked = m_view.GrabFrame();
        ASSERT_FALSE(ticked.isNull());
        ASSERT_TRUE(SamePixels(ticked, PlainFrame()));
        if (step % 8 == 0) {
            ticked.setDevicePixelRatio(1.0);
            QImage shown = Shown();
            shown.setDevicePixelRatio(1.0);
            ASSERT_TRUE(SamePixels(shown, ticked.convertToFormat(QImage::Format_RGB32).copy(OnScreen())))
                << "the screen shows the frame";
        }
    }
    // The walk is mostly playback: most frames were drawn in part.
    EXPECT_GE(m_view.PartFrames() - partBefore, static_cast<uint64_t>(drawn / 3)) << drawn << " frames drawn";
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaybackFrames, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return TestName(info.param.name); });

using TextCulling = TimelineFixture;

// Text the scissor culls is text that would have drawn nothing: glyphs
// drawn where the culling says they cannot show leave no ink in the box.
TEST_F(TextCulling, TextBesideTheScissorWouldHaveDrawnNothing)
{
    const QImage probe = DrawFrame();
    const double ratio = static_cast<double>(probe.width()) / kWidth;
    CGLFont font;
    font.SetPixelRatio(ratio);
    std::mt19937 random(7);
    int culled = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const std::string& text = kTitles[trial % 7].empty() ? std::string("|") : kTitles[trial % 7];
        const float pen = std::uniform_real_distribution<float>(20.0f, kWidth - 300.0f)(random);
        const CGLFont::Reach reach = font.TextReach(text);
        const double left = pen * ratio - reach.before;
        const double right = pen * ratio + reach.after;
        // Boxes a few device pixels beside the reach, either side.
        const int gap = trial % 4;
        const int width = 1 + trial % 5;
        const int boxLeft = trial % 2 == 0 ? static_cast<int>(std::floor(left)) - gap - width - 2
                                           : static_cast<int>(std::ceil(right)) + gap + 2;
        SCOPED_TRACE("\"" + text + "\" at " + std::to_string(pen) + ", box from " + std::to_string(boxLeft));

        m_view.BeginFrame();
        glScissor(boxLeft, 0, width, probe.height());
        glEnable(GL_SCISSOR_TEST);
        const FrameCulling culling = FrameCulling::FromCurrentTransform();
        ASSERT_TRUE(culling.Scissored());
        const bool shows = culling.TextCanShow(pen, reach.before, reach.after);
        glColor3f(kText.red, kText.green, kText.blue);
        font.PrintString(text, pen, -float(TimelineGeometry::kBaseline));
        glDisable(GL_SCISSOR_TEST);
        m_view.EndFrame();
        if (shows)
            continue;
        ++culled;
        EXPECT_EQ(CountColour(m_view.GrabFrame(), QRect(0, 0, probe.width(), probe.height()), kText), 0);
    }
    EXPECT_GE(culled, 30) << "boxes next to the text were judged out of its reach";
}
