#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <GL/gl.h>

#include <QImage>
#include <QRect>
#include <QTest>
#include <QWidget>

#include "CGLFont.h"
#include "CTimelineView.h"
#include "GlyphSet.h"
#include "TimelineFixture.h"

namespace {

// Bare text on the background, through a font of the test's own.
class Text : public TimelineFixture {
protected:
    QImage Print(const std::string& text)
    {
        m_view.BeginFrame();
        glColor3f(1.0f, 0.0f, 0.0f);
        m_font.PrintString(text, 300.0f, -100.0f);
        m_view.SwapGLBuffers();
        return m_view.GrabFrame();
    }

    QImage CallList(unsigned code)
    {
        m_view.BeginFrame();
        glColor3f(1.0f, 0.0f, 0.0f);
        m_font.InitFont();
        glRasterPos2f(300.0f, -100.0f);
        glCallList(CGLFont::kFirstList + code);
        m_view.SwapGLBuffers();
        return m_view.GrabFrame();
    }

    int Red(const QImage& frame) const { return CountColour(frame, frame.rect(), kText); }

    CGLFont m_font;
};

} // namespace

TEST_F(Text, AccentedLetterDrawsItsLatin1Glyph)
{
    const QImage accented = Print("\xC3\xA9"); // é in UTF-8
    EXPECT_GT(Red(accented), 10);
    EXPECT_EQ(accented, CallList(0xE9));
    EXPECT_NE(accented, Print("\xC3\x83\xC2\xA9")) << "é must not come out as the two glyphs of \"Ã©\"";
    EXPECT_NE(accented, Print("e"));
}

TEST_F(Text, CodePointsFrom255AndInvalidBytesDrawNothingAndTakeNoSpace)
{
    const QImage plain = Print("AB");
    EXPECT_EQ(plain, Print("A\xE2\x82\xAC" "B"));     // €
    EXPECT_EQ(plain, Print("A\xC3\xBF" "B"));         // ÿ, code point 255
    EXPECT_EQ(plain, Print("A\xC5\x93\xF0\x9F\x8E\xAC" "B")); // œ and an emoji
    EXPECT_EQ(plain, Print("A\xFF\xFE\xC3" "B"));      // not UTF-8 at all
    EXPECT_EQ(Red(Print("")), 0);
    EXPECT_EQ(Red(Print("\xC3")), 0);
}

// Regression: Mesa drops a compiled glBitmap without data, so blank glyphs
// once took no space and "Pressing haut" came out as "Pressinghaut".
TEST_F(Text, BlankCharactersTakeTheirAdvance)
{
    const auto inkWidth = [this](const std::string& text) {
        const QImage frame = Print(text);
        int left = frame.width(), right = -1;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                if (IsColour(frame.pixel(x, y), kText)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right - left;
    };
    const int tight = inkWidth("AB");
    ASSERT_NE(m_font.Glyphs(), nullptr);
    const float space = m_font.Glyphs()->At(' ').advance;
    EXPECT_GT(space, 0.0f);
    EXPECT_EQ(inkWidth("A B") - tight, static_cast<int>(space));
    EXPECT_EQ(inkWidth("A\xC2\xA0" "B") - tight, static_cast<int>(m_font.Glyphs()->At(0xA0).advance));
}

TEST_F(Text, TextAnchoredOutsideTheAreaIsNotDrawn)
{
    m_view.BeginFrame();
    glColor3f(1.0f, 0.0f, 0.0f);
    m_font.PrintString("WWWWWWWWWW", -3.0f, -100.0f);
    m_font.PrintString("WWWWWWWWWW", 300.0f, 2.0f);
    m_view.SwapGLBuffers();
    EXPECT_EQ(Red(m_view.GrabFrame()), 0);
}

TEST_F(Text, FontFollowsTheContextItDrawsIn)
{
    EXPECT_GT(Red(Print("abc")), 10);

    // Another top-level window has a context of its own that shares nothing.
    QWidget otherFrame;
    ASSERT_TRUE(ShowBlackFrame(otherFrame, 400, 100));
    CTimelineView other;
    ASSERT_TRUE(other.CreateGL(QRect(0, 0, 400, 100), &otherFrame));
    ASSERT_TRUE(WaitForSurface(other));
    other.BeginFrame();
    glColor3f(1.0f, 0.0f, 0.0f);
    m_font.PrintString("abc", 20.0f, -50.0f);
    other.SwapGLBuffers();
    const QImage frame = other.GrabFrame();
    EXPECT_GT(CountColour(frame, frame.rect(), kText), 10);
}

TEST(Glyphs, FitTheRowWithProperAdvances)
{
    const GlyphSet glyphs(GlyphSet::DefaultFont());
    EXPECT_GT(glyphs.Ascent(), 8);
    EXPECT_LE(glyphs.Ascent(), 17) << "glyphs would poke above their row";
    EXPECT_LE(glyphs.Descent(), 25 - 17) << "glyphs would poke below their row";

    EXPECT_GT(glyphs.At('e').advance, 4.0f);
    EXPECT_EQ(glyphs.At(0xE9).advance, glyphs.At('e').advance);
    EXPECT_GT(glyphs.At('W').advance, glyphs.At('i').advance) << "a proportional font";
    EXPECT_GT(glyphs.At(' ').advance, 0.0f);
    EXPECT_TRUE(glyphs.At(' ').bits.empty());
    EXPECT_EQ(glyphs.At(0x07).advance, 0.0f);
    EXPECT_EQ(glyphs.At(0x85).advance, 0.0f);
    const Glyph& accent = glyphs.At(0xC9); // É: tallest of the capitals
    EXPECT_GT(accent.height, glyphs.At('E').height);
    EXPECT_EQ(accent.bits.size(), static_cast<size_t>((accent.width + 7) / 8 * accent.height));
}
