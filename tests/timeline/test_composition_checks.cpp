#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "CGLFont.h"
#include "CompositionChecks.h"
#include "LayerComposition.h"
#include "TimelineFixture.h"

namespace {

struct PlacementRow {
    const char* name;
    LayerComposition::Placement place;
    bool followed;
};

// Rules a driver could place bitmaps by, each a near miss of this one's.
// Plain floorf is not among them: it differs from the driver's only for
// (raster - origin) in (-1e-9, 0), which needs a raster position left of or
// below the viewport, where a title's is never valid.
const PlacementRow kPlacements[] = {
    {"the driver's own", &LayerComposition::PlaceBitmap, true},
    {"floored without the bias", [](float r, float o) { return int(std::floor(r - o)); }, false},
    {"pixel centres", [](float r, float o) { return int(std::floor(r - o + 0.5f)); }, false},
    {"truncated towards zero", [](float r, float o) { return int(r + 0.0001f - o); }, false},
    {"a bias ten times larger", [](float r, float o) { return int(std::floor(r + 0.001f - o)); }, false},
    {"a bias ten times smaller", [](float r, float o) { return int(std::floor(r + 0.00001f - o)); }, false},
    {"in double", [](float r, float o) { return int(std::floor(double(r) + 0.0001 - double(o))); }, false},
    {"the bias added last", [](float r, float o) { return int(std::floor((r - o) + 0.0001f)); }, false},
};

// Each rule at each glyph size the font is made in.
class PlacementCheck : public TimelineFixture, public testing::WithParamInterface<std::tuple<PlacementRow, double>> {};

} // namespace

TEST_P(PlacementCheck, TellsTheDriversRuleFromEachNearMiss)
{
    const auto& [rule, pixelRatio] = GetParam();
    m_view.BeginFrame();
    CGLFont font;
    font.SetPixelRatio(pixelRatio);
    font.InitFont();
    const bool followed = CompositionChecks::BitmapsLandAsPlaced(font, rule.place, kWidth, kHeight);
    m_view.EndFrame();
    EXPECT_EQ(followed, rule.followed);
}

INSTANTIATE_TEST_SUITE_P(Rules, PlacementCheck,
                         testing::Combine(testing::ValuesIn(kPlacements), testing::Values(1.0, 1.5, 2.0)),
                         [](const testing::TestParamInfo<PlacementCheck::ParamType>& info) {
                             return TestName(std::get<0>(info.param).name) + "_x" +
                                    std::to_string(static_cast<int>(std::get<1>(info.param) * 10));
                         });
