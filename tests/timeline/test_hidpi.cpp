// Run under QT_SCALE_FACTOR=2 as well as without: the same expectations,
// stated in logical pixels times the surface's device pixel ratio.
#include <gtest/gtest.h>

#include <cmath>

#include <QImage>
#include <QRect>

#include "GlyphSet.h"
#include "TimelineFixture.h"

namespace {

class HiDpi : public TimelineFixture {
protected:
    double Ratio() const { return m_view.Surface()->devicePixelRatioF(); }
    int Device(double logical) const { return static_cast<int>(std::lround(logical * Ratio())); }

    // Top and bottom rows (inclusive) of text-coloured pixels in the area.
    static std::pair<int, int> InkRows(const QImage& frame, const QRect& area)
    {
        int top = -1;
        int bottom = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (CountColour(frame, QRect(area.left(), y, area.width(), 1), kText) > 0) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
        return {top, bottom};
    }
};

} // namespace

TEST_F(HiDpi, LabelKeepsItsHeightAgainstItsRowAndSitsOnItsBaseline)
{
    AddTrack("H");
    AddTrack("H");
    const QImage frame = DrawFrame();
    ASSERT_FALSE(frame.isNull());
    ASSERT_EQ(frame.size(), QSize(Device(kWidth), Device(kHeight)));

    // The letter's height at ratio 1, from the glyphs the font makes there.
    const GlyphSet plain(GlyphSet::DefaultFont());
    const Glyph& reference = plain.At('H');
    ASSERT_GT(reference.height, 5);
    const double rowShare = reference.height / 25.0;

    for (int row = 0; row < 2; ++row) {
        const QRect cell(0, Device(25.0 * row), Device(180), Device(25));
        const auto [top, bottom] = InkRows(frame, cell);
        ASSERT_GE(top, 0) << "no label drawn in row " << row;
        const int height = bottom - top + 1;
        // Against its row, as large as at ratio 1, within a device pixel or two of hinting.
        EXPECT_NEAR(static_cast<double>(height) / cell.height(), rowShare, 2.0 / cell.height())
            << "ink " << height << " px in a row of " << cell.height() << " at ratio " << Ratio();
        // 'H' stands on the baseline, 17 pixels below the row's top.
        EXPECT_NEAR(bottom + 1, cell.top() + Device(17), 1) << row;
        // And starts 10 pixels in.
        int left = -1;
        for (int x = 0; x < cell.width() && left < 0; ++x)
            if (CountColour(frame, QRect(x, top, 1, height), kText) > 0)
                left = x;
        EXPECT_NEAR(left, Device(10), Ratio() * 2) << row;
    }
}

TEST_F(HiDpi, BarsRowsAndTitlesAgreeInDevicePixels)
{
    m_timeline.SetView(m_timeline.ViewStart(), 100, m_timeline.TrackScroll());
    Track& track = AddTrack("A");
    AddSegment(track, 0, 50, "H"); // x 180 to 465
    const QImage frame = DrawFrame();
    ASSERT_FALSE(frame.isNull());
    // The bar fills its row between its bounds, the row ending at 25.
    EXPECT_TRUE(HasColour(frame, Device(300), Device(2), kBar));
    EXPECT_TRUE(HasColour(frame, Device(463), Device(23), kBar));
    EXPECT_TRUE(HasColour(frame, Device(467), Device(12), kBackground));
    EXPECT_TRUE(HasColour(frame, Device(300), Device(27), kBackground));
    // The title, 10 pixels into the bar, as tall as the label.
    const auto title = InkRows(frame, QRect(Device(181), 0, Device(100), Device(25)));
    const auto label = InkRows(frame, QRect(0, 0, Device(180), Device(25)));
    ASSERT_GE(title.first, 0);
    EXPECT_EQ(title.second, label.second);
    const GlyphSet plain(GlyphSet::DefaultFont());
    const Glyph& reference = plain.At('H');
    EXPECT_NEAR(title.second - title.first + 1, reference.height * Ratio(), 2.0);
    // The font follows the surface: glyphs rasterised for its ratio.
    ASSERT_NE(m_renderer->Font().Glyphs(), nullptr);
    EXPECT_DOUBLE_EQ(m_renderer->Font().PixelRatio(), Ratio());
}
