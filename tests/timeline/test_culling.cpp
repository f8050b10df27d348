#include <gtest/gtest.h>

#include <random>
#include <string>

#include <QImage>

#include "TimelineFixture.h"

namespace {

struct View {
    int viewStart, viewSpan, trackScroll, selectedTrack;
    double currentTime;
};

void PrintTo(const View& v, std::ostream* os)
{
    *os << "start " << v.viewStart << " span " << v.viewSpan << " scroll " << v.trackScroll << " selected "
        << v.selectedTrack << " time " << v.currentTime;
}

// Skipping what cannot reach the area must leave every pixel as it was.
class Culling : public TimelineFixture, public testing::WithParamInterface<View> {
protected:
    // Rows, bars and titles on every side of the area, reversed bounds,
    // titles wider than the area, accents, a row without segments.
    void BuildScene()
    {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> start(-400.0, 1400.0);
        std::uniform_real_distribution<double> length(0.2, 120.0);
        const std::string titles[] = {"PL", "D\xC3\xA9" "fense \xC3\xA0 trois", "\xC3\x89" "chauffement",
                                      std::string(60, 'W'), "", "gjpqy \xC3\x85"};
        for (int t = 0; t < 30; ++t) {
            Track& track = AddTrack("Piste " + std::to_string(t) + " \xC3\xA9t\xC3\xA9");
            if (t == 4)
                continue;
            for (int s = 0; s < 40; ++s) {
                const double a = start(random);
                const double b = a + length(random);
                Segment& segment = AddSegment(track, s % 9 == 0 ? b : a, s % 9 == 0 ? a : b, titles[(t + s) % 6]);
                if (t == 2 && s == 5)
                    m_timeline.m_currentSegment = &segment;
            }
        }
    }
};

} // namespace

TEST_P(Culling, LeavesThePictureUnchanged)
{
    BuildScene();
    const View& v = GetParam();
    m_timeline.SetView(v.viewStart, v.viewSpan, v.trackScroll);
    m_timeline.m_selectedTrack = v.selectedTrack;
    m_timeline.m_currentTime = v.currentTime;

    m_renderer->SetCulling(false);
    const QImage full = DrawFrame();
    m_renderer->SetCulling(true);
    const QImage culled = DrawFrame();
    ASSERT_FALSE(full.isNull());
    EXPECT_EQ(full, culled);
    EXPECT_GT(CountColour(full, full.rect(), kText), 0) << "the scene shows text";
}

INSTANTIATE_TEST_SUITE_P(Views, Culling,
                         testing::Values(View{0, 1000, 0, 2, 500.0},      // everything at once
                                         View{300, 10, 0, 2, 305.0},      // 1 % of it
                                         View{-50, 200, 37, 2, 10.0},     // scrolled by a part of a row
                                         View{100, 285, 125, 7, 157.0},   // rows scrolled out above
                                         View{900, 0, 500, 30, 1e6},      // span raised to 1, no selection
                                         View{-1000, 3000, 612, 25, -5.0} // scrolled to the last rows
                                         ));
