#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <QImage>

#include "TimelineFixture.h"

namespace {

const std::string kTitles[] = {"PL", "D\xC3\xA9" "fense \xC3\xA0 trois", "\xC3\x89" "chauffement", std::string(60, 'W'),
                               "", "gjpqy \xC3\x85", "\xE2\x82\xAC 12"};

// Frames drawn with the kept bars-and-titles layer against the plain drawing
// of the same state, while a random walk changes the state between frames:
// every input of every layer in turn, several at once, or none.
class LayerCaching : public TimelineFixture, public testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override
    {
        TimelineFixture::SetUp();
        m_random.seed(GetParam());
        const int tracks = Pick(3, 30);
        for (int t = 0; t < tracks; ++t) {
            Track& track = AddTrack("Piste " + std::to_string(t) + " \xC3\xA9t\xC3\xA9");
            const int segments = Pick(0, 60);
            for (int s = 0; s < segments; ++s)
                AddRandomSegment(track);
        }
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    double Real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_random); }

    void AddRandomSegment(Track& track)
    {
        const double start = Real(-400.0, 1400.0);
        // Overlaps, reversed bounds and bars narrower than a pixel.
        const double end = Pick(0, 8) == 0 ? start - Real(0.0, 50.0) : start + Real(0.01, 150.0);
        AddSegment(track, start, end, kTitles[Pick(0, 6)]);
    }

    const Segment* RandomSegment()
    {
        const Track* track = m_timeline.Tracks().GetTrack(Pick(0, m_timeline.Tracks().GetCount() - 1));
        if (track == nullptr || track->GetSegments().empty())
            return nullptr;
        return track->GetSegments()[Pick(0, static_cast<int>(track->GetSegments().size()) - 1)];
    }
    // That very segment, to change while the tracks are out of the timeline.
    static Segment& Held(TrackList& tracks, const Segment* segment)
    {
        for (Track* track : tracks)
            for (Segment* held : track->GetSegments())
                if (held == segment)
                    return *held;
        throw std::logic_error("not one of the timeline's segments");
    }

    // One random change; returns what it was.
    std::string Change()
    {
        switch (Pick(0, 11)) {
        case 0:
            m_timeline.SetView(Pick(-500, 1200), m_timeline.ViewSpan(), m_timeline.TrackScroll());
            return "view start";
        case 1:
            m_timeline.SetView(m_timeline.ViewStart(), Pick(0, 2500), m_timeline.TrackScroll());
            return "view span";
        case 2:
            m_timeline.SetView(m_timeline.ViewStart(), m_timeline.ViewSpan(), Pick(0, 700));
            return "track scroll";
        case 3:
            m_timeline.m_selectedTrack = Pick(0, m_timeline.Tracks().GetCount());
            return "selected track";
        case 4:
            m_timeline.m_currentTime = Real(-100.0, 1500.0);
            return "current time";
        case 5:
            m_timeline.m_currentSegment = Pick(0, 4) == 0 ? nullptr : RandomSegment();
            return "current segment";
        case 6:
            if (const Segment* segment = RandomSegment())
                ChangeTracks([&](TrackList& tracks) { Held(tracks, segment).SetTitle(kTitles[Pick(0, 6)]); });
            return "a title";
        case 7:
            if (const Segment* segment = RandomSegment()) {
                ChangeTracks([&](TrackList& tracks) {
                    Segment& held = Held(tracks, segment);
                    held.m_start = Real(-400.0, 1400.0);
                    held.m_end = held.m_start + Real(0.01, 150.0);
                });
            }
            return "bounds";
        case 8:
        {
            const int position = Pick(0, m_timeline.Tracks().GetCount() - 1);
            Track* track = nullptr;
            ChangeTracks([&](TrackList& tracks) { track = tracks.GetTrack(position); });
            AddRandomSegment(*track);
            return "a new segment";
        }
        case 9: {
            const int position = Pick(0, m_timeline.Tracks().GetCount() - 1);
            ChangeTracks([&](TrackList& tracks) { tracks.GetTrack(position)->SetLabel(kTitles[Pick(0, 6)]); });
            return "a label";
        }
        case 10:
            return "nothing";
        default:
            return Change() + ", " + Change();
        }
    }

    QImage PlainFrame()
    {
        m_renderer->SetLayerCache(false);
        m_renderer->SetCulling(false);
        QImage frame = DrawFrame();
        m_renderer->SetLayerCache(true);
        m_renderer->SetCulling(true);
        return frame;
    }

    std::mt19937 m_random;
};

} // namespace

TEST_P(LayerCaching, EveryFrameIsThePlainDrawingsPicture)
{
    m_timeline.SetView(Pick(-200, 600), Pick(1, 1500), m_timeline.TrackScroll());
    m_timeline.m_currentTime = Real(0.0, 1000.0);
    int textFrames = 0;
    for (int step = 0; step < 30; ++step) {
        const std::string changed = step == 0 ? "first frame" : Change();
        SCOPED_TRACE("step " + std::to_string(step) + ": " + changed);
        const QImage cached = DrawFrame();
        const QImage plain = PlainFrame();
        ASSERT_FALSE(plain.isNull());
        ASSERT_EQ(cached, plain);
        if (CountColour(plain, QRect(181, 0, kWidth - 181, kHeight), kText) > 0)
            ++textFrames;
    }
    EXPECT_GE(textFrames, 3) << "the walk shows titles";
}

// The tick's path: frames skipped or drawn, the layer kept or redrawn.
TEST_P(LayerCaching, TicksShowThePlainDrawingsPicture)
{
    m_timeline.SetView(m_timeline.ViewStart(), Pick(1, 1500), m_timeline.TrackScroll());
    for (int step = 0; step < 25; ++step) {
        const std::string changed = step == 0 ? "first frame" : Change();
        SCOPED_TRACE("step " + std::to_string(step) + ": " + changed);
        m_view.DrawFrame(m_timeline);
        m_view.SwapGLBuffers();
        const QImage ticked = m_view.GrabFrame();
        // Drawn apart, and drawn over by the tick's next frame.
        ASSERT_EQ(ticked, PlainFrame());
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, LayerCaching, testing::Values(1u, 2u, 3u));
