#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <GL/gl.h>

#include <QImage>

#include "CompositionChecks.h"
#include "GlyphSet.h"
#include "LayerComposition.h"
#include "TimelineFixture.h"

namespace {

using Rgba = LayerComposition::Rgba;

constexpr Rgba kBackgroundBytes{0, 0, 255, 255};

// Bar keys as the key pass leaves them: one per pixel, RGBA.
std::vector<uint8_t> BarKeys(int width, int height, uint32_t key = 0)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        const Rgba colour = LayerComposition::KeyColour(key);
        pixels.insert(pixels.end(), colour.begin(), colour.end());
    }
    return pixels;
}

Rgba PixelAt(const std::vector<uint8_t>& pixels, int width, int x, int y)
{
    const size_t i = 4 * (static_cast<size_t>(y) * width + x);
    return {pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
}

int CountText(const std::vector<uint8_t>& pixels)
{
    int count = 0;
    for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        count += Rgba{pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]} == LayerComposition::kTextColour;
    return count;
}

} // namespace

TEST(LayerCompositionPlacement, FloorsLikeTheDriverWithItsBias)
{
    EXPECT_EQ(LayerComposition::PlaceBitmap(10.0f, 0.0f), 10);
    EXPECT_EQ(LayerComposition::PlaceBitmap(10.75f, 0.0f), 10);
    EXPECT_EQ(LayerComposition::PlaceBitmap(10.5f, 3.0f), 7);
    EXPECT_EQ(LayerComposition::PlaceBitmap(-0.5f, 0.0f), -1);
    EXPECT_EQ(LayerComposition::PlaceBitmap(-3.25f, -1.0f), -3);
    // A raster position computed a hair short of a pixel counts as on it...
    EXPECT_EQ(LayerComposition::PlaceBitmap(std::nextafter(10.0f, 0.0f), 0.0f), 10);
    EXPECT_EQ(LayerComposition::PlaceBitmap(9.99995f, 0.0f), 10);
    // ...but not one a tenth of a thousandth short.
    EXPECT_EQ(LayerComposition::PlaceBitmap(9.9998f, 0.0f), 9);
    // The driver's float rounding sends the tiniest negatives to 0.
    EXPECT_EQ(LayerComposition::PlaceBitmap(-0.0001f - 5e-10f, 0.0f), 0);
    EXPECT_EQ(LayerComposition::PlaceBitmap(-0.0002f, 0.0f), -1);
}

TEST(LayerCompositionKeys, RoundTripThroughColoursAndKeepDrawingOrder)
{
    for (const uint32_t key : {0u, 1u, 255u, 256u, 65535u, 65536u, LayerComposition::kKeyLimit - 1}) {
        const Rgba colour = LayerComposition::KeyColour(key);
        EXPECT_EQ(LayerComposition::KeyOf(colour.data()), key);
        EXPECT_EQ(colour[3], 255);
    }
    // A segment's title covers its own bar and every earlier one; the next
    // segment's bar covers it.
    EXPECT_GT(LayerComposition::TitleKey(7), LayerComposition::BarKey(7));
    EXPECT_LT(LayerComposition::TitleKey(7), LayerComposition::BarKey(8));
    EXPECT_LT(LayerComposition::TitleKey(LayerComposition::kSegmentLimit - 1), LayerComposition::kKeyLimit);
}

// Glyph data needs the font database, hence a fixture with the application.
class LayerCompositionStamp : public TimelineFixture {
protected:
    void SetUp() override
    {
        TimelineFixture::SetUp();
        m_glyphs = std::make_unique<GlyphSet>(GlyphSet::DefaultFont());
    }

    std::unique_ptr<GlyphSet> m_glyphs;
};

TEST_F(LayerCompositionStamp, WinnerOfEachPixelIsTheLastThingDrawnOverIt)
{
    constexpr int kW = 40, kH = 30;
    const std::string title = "IIII";
    LayerComposition composition;

    // No bar: the text shows on the background.
    composition.Reset(kW, kH);
    composition.StampTitle(5.0f, 10.0f, title, *m_glyphs, LayerComposition::TitleKey(0));
    std::vector<uint8_t> alone = BarKeys(kW, kH);
    composition.Compose(alone, kBackgroundBytes);
    const int textPixels = CountText(alone);
    EXPECT_GT(textPixels, 8);
    EXPECT_EQ(PixelAt(alone, kW, 0, 0), kBackgroundBytes);

    // Under its own segment's bar the title shows; under a later bar it
    // does not, and the bar's colour is there instead.
    std::vector<uint8_t> ownBar = BarKeys(kW, kH, LayerComposition::BarKey(0));
    composition.Compose(ownBar, kBackgroundBytes);
    EXPECT_EQ(CountText(ownBar), textPixels);
    std::vector<uint8_t> laterBar = BarKeys(kW, kH, LayerComposition::BarKey(1));
    composition.Compose(laterBar, kBackgroundBytes);
    EXPECT_EQ(CountText(laterBar), 0);
    EXPECT_EQ(PixelAt(laterBar, kW, 0, 0), LayerComposition::kBarColour);

    // A later title over the later bar shows again.
    composition.StampTitle(5.0f, 10.0f, title, *m_glyphs, LayerComposition::TitleKey(1));
    std::vector<uint8_t> again = BarKeys(kW, kH, LayerComposition::BarKey(1));
    composition.Compose(again, kBackgroundBytes);
    EXPECT_EQ(CountText(again), textPixels);
}

TEST_F(LayerCompositionStamp, GlyphsPastEveryEdgeAreClippedAndAdvancesStillCount)
{
    constexpr int kW = 20, kH = 12;
    LayerComposition composition;
    composition.Reset(kW, kH);
    const std::string wide(40, 'W');
    // Anchored on every side of the layer, and far outside it.
    for (const auto& [x, y] : std::vector<std::pair<float, float>>{
             {-30.0f, 5.0f}, {15.0f, 5.0f}, {5.0f, -8.0f}, {5.0f, 10.0f}, {-1e6f, 3.0f}, {1e6f, 3.0f}, {3.0f, 1e7f}})
        composition.StampTitle(x, y, wide, *m_glyphs, 9);
    std::vector<uint8_t> pixels = BarKeys(kW, kH);
    composition.Compose(pixels, kBackgroundBytes);
    EXPECT_GT(CountText(pixels), 0);

    // The pen moves by each glyph's advance: two "I"s one advance apart
    // stamp the same as "II".
    LayerComposition one, two;
    one.Reset(kW, kH);
    two.Reset(kW, kH);
    one.StampTitle(2.3f, 2.0f, "II", *m_glyphs, 3);
    two.StampTitle(2.3f, 2.0f, "I", *m_glyphs, 3);
    two.StampTitle(2.3f + m_glyphs->At('I').advance, 2.0f, "I", *m_glyphs, 3);
    std::vector<uint8_t> a = BarKeys(kW, kH), b = BarKeys(kW, kH);
    one.Compose(a, kBackgroundBytes);
    two.Compose(b, kBackgroundBytes);
    EXPECT_EQ(a, b);
    EXPECT_GT(CountText(a), CountText([&] {
                  LayerComposition single;
                  single.Reset(kW, kH);
                  single.StampTitle(2.3f, 2.0f, "I", *m_glyphs, 3);
                  std::vector<uint8_t> c = BarKeys(kW, kH);
                  single.Compose(c, kBackgroundBytes);
                  return c;
              }()));
}

namespace {

// Titles packed far closer than their width, bars narrower than a pixel,
// anchors a hair either side of whole pixels: every title's pixels are
// fought over by its neighbours' bars and titles.
class DenseScene : public TimelineFixture {
protected:
    void Build(std::mt19937& random)
    {
        const std::string titles[] = {"S\xC3\xA9quence 12", "gjpqy \xC3\x85", "WWW", "I", "", "\xC3\x89t\xC3\xA9 \xE2\x82\xAC"};
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const double hairs[] = {0.0, 1e-4, -1e-4, 5e-5, -5e-5, 2e-7, -2e-7, 0.5};
        for (int t = 0; t < 14; ++t) {
            Track& track = AddTrack("Piste " + std::to_string(t));
            const int count = 150 + static_cast<int>(unit(random) * 150);
            for (int s = 0; s < count; ++s) {
                double start = s * 2.0 + t * 0.37;
                if (s % 3 == 0)
                    start = std::round(start) + hairs[s % 8];
                const double length = unit(random) < 0.8 ? unit(random) * 1.5 : unit(random) * 60.0;
                AddSegment(track, start, start + length, titles[(s * 7 + t) % 6]);
            }
        }
    }

    // Returns what was picked.
    std::string PickView(std::mt19937& random, int view)
    {
        std::uniform_int_distribution<int> startOf(-100, 500), spanOf(40, 900), scrollOf(0, 200), trackOf(0, 15);
        // Spans equal to the area's time width put anchors on exact pixels.
        const int start = startOf(random);
        const int span = view == 0 ? kWidth - 180 : spanOf(random);
        m_timeline.SetView(start, span, scrollOf(random));
        m_timeline.m_selectedTrack = trackOf(random);
        const Track* selected = m_timeline.Tracks().GetTrack(m_timeline.m_selectedTrack);
        m_timeline.m_currentSegment =
            selected != nullptr && view % 2 == 1 ? selected->GetSegments()[view * 11] : nullptr;
        m_timeline.m_currentTime = m_timeline.ViewStart() + 30.5;
        return "view " + std::to_string(view) + ": start " + std::to_string(m_timeline.ViewStart()) + " span " +
               std::to_string(m_timeline.ViewSpan()) + " scroll " + std::to_string(m_timeline.TrackScroll());
    }

    // Drawn unculled, every layer drawn: the reference.
    QImage PlainFrame()
    {
        m_renderer->SetCulling(false);
        m_renderer->SetLayerCache(false);
        const QImage plain = DrawFrame();
        m_renderer->SetCulling(true);
        m_renderer->SetLayerCache(true);
        return plain;
    }
};

class DenseComposition : public DenseScene, public testing::WithParamInterface<unsigned> {};

} // namespace

TEST_P(DenseComposition, GivesThePlainDrawingsPixels)
{
    std::mt19937 random(GetParam());
    Build(random);
    int composed = 0;
    for (int view = 0; view < 4; ++view) {
        SCOPED_TRACE(PickView(random, view));
        const QImage plain = PlainFrame();
        const QImage fast = DrawFrame();
        composed += m_renderer->LastLayerWasComposed();
        ASSERT_FALSE(plain.isNull());
        ASSERT_EQ(fast, plain);
        EXPECT_GT(CountColour(plain, QRect(181, 0, kWidth - 181, kHeight), kText), 200);
    }
    EXPECT_EQ(composed, 4) << "every layer was put together, not drawn";
}

INSTANTIATE_TEST_SUITE_P(Seeds, DenseComposition, testing::Values(11u, 12u, 13u));

namespace {

// Whatever makes the composition decline, the layer is drawn instead.
struct Refusal {
    const char* name;
    // Before any frame.
    void (*arrange)(CTimelineRenderer& renderer);
    // GL state in force while the timeline draws (on), then put back (off);
    // each leaves the plain drawing's pixels as they are.
    void (*state)(bool on);
    bool composed;
};

void Capability(GLenum capability, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

const Refusal kRefusals[] = {
    {"none", nullptr, nullptr, true},
    {"a placement the driver does not follow",
     [](CTimelineRenderer& renderer) {
         renderer.SetBitmapPlacement([](float r, float o) { return int(std::floor(r - o)); });
     },
     nullptr, false},
    {"placement check failed",
     [](CTimelineRenderer& renderer) {
         renderer.FailCompositionCheck(CompositionChecks::Check::BitmapPlacement);
     },
     nullptr, false},
    {"key check failed",
     [](CTimelineRenderer& renderer) { renderer.FailCompositionCheck(CompositionChecks::Check::KeyColours); },
     nullptr, false},
    // GL state that changes no pixel here, yet may elsewhere.
    {"blending", nullptr, [](bool on) { Capability(GL_BLEND, on); }, false},
    {"scissor test", nullptr,
     [](bool on) {
         glScissor(0, 0, 1 << 14, 1 << 14);
         Capability(GL_SCISSOR_TEST, on);
     },
     false},
    {"alpha test", nullptr, [](bool on) { Capability(GL_ALPHA_TEST, on); }, false},
    {"logic op", nullptr, [](bool on) { Capability(GL_COLOR_LOGIC_OP, on); }, false},
    {"stencil test", nullptr, [](bool on) { Capability(GL_STENCIL_TEST, on); }, false},
    {"depth test", nullptr,
     [](bool on) {
         glDepthFunc(on ? GL_ALWAYS : GL_LESS);
         Capability(GL_DEPTH_TEST, on);
     },
     false},
};

class CompositionRefusal : public DenseScene, public testing::WithParamInterface<Refusal> {};

} // namespace

TEST_P(CompositionRefusal, DrawsTheLayerWithThePlainDrawingsPixels)
{
    const Refusal& refusal = GetParam();
    std::mt19937 random(21);
    Build(random);
    if (refusal.arrange != nullptr)
        refusal.arrange(*m_renderer);
    for (int view = 0; view < 2; ++view) {
        SCOPED_TRACE(PickView(random, view));
        const QImage plain = PlainFrame();
        m_view.BeginFrame();
        if (refusal.state != nullptr)
            refusal.state(true);
        m_timeline.Draw();
        if (refusal.state != nullptr)
            refusal.state(false);
        m_view.EndFrame();
        m_view.SwapGLBuffers();
        const QImage refused = m_view.GrabFrame();
        ASSERT_FALSE(plain.isNull());
        ASSERT_EQ(refused, plain);
        EXPECT_EQ(m_renderer->LastLayerWasComposed(), refusal.composed);
    }
}

INSTANTIATE_TEST_SUITE_P(Refusals, CompositionRefusal, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<Refusal>& info) { return TestName(info.param.name); });
