#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "DialogUnits.h"

namespace {

// The main window's size in dialog units and the frame the window code allows.
constexpr int kWidth = 675;
constexpr int kHeight = 318;
constexpr int kFrameX = 16;
constexpr int kFrameY = 48;

bool Fits(double scale, int screenWidth, int screenHeight)
{
    return DialogUnitsToPixelsX(kWidth, scale) + kFrameX <= kScreenShare * screenWidth &&
           DialogUnitsToPixelsY(kHeight, scale) + kFrameY <= kScreenShare * screenHeight;
}

double Fit(int screenWidth, int screenHeight, double minimum = 1.0)
{
    return FitDialogScale(kWidth, kHeight, screenWidth, screenHeight, kFrameX, kFrameY, minimum);
}

} // namespace

TEST(DialogScale, CommonScreensGetTheLargestWindowThatFits)
{
    struct Case {
        int width, height;
        double scale;
        int pixelsX, pixelsY;
    };
    // The window is limited by the width on all of these; 1.12 leaves the
    // 1280-pixel screen a window of 1134 x 579 where it used to get 1012 x 517.
    for (const Case& c : {Case{1280, 1024, 1.12, 1134, 579}, Case{1920, 1080, 1.69, 1711, 873},
                          Case{3840, 2160, 3.39, 3432, 1752}}) {
        const double scale = Fit(c.width, c.height);
        EXPECT_NEAR(scale, c.scale, 1e-9) << c.width << "x" << c.height;
        EXPECT_EQ(DialogUnitsToPixelsX(kWidth, scale), c.pixelsX) << c.width;
        EXPECT_EQ(DialogUnitsToPixelsY(kHeight, scale), c.pixelsY) << c.width;
    }
}

TEST(DialogScale, NeverBelowTheSizeTheLayoutWasMadeFor)
{
    // 1024 x 768 and smaller screens cannot hold even 1012 x 517 within 90 %:
    // they keep it rather than shrink the texts below their design.
    EXPECT_EQ(Fit(1024, 768), 1.0);
    EXPECT_EQ(Fit(800, 600), 1.0);
    EXPECT_EQ(Fit(0, 0), 1.0);
    EXPECT_EQ(Fit(-5, 1080), 1.0);
    // A high-DPI minimum holds on a screen that would fit less.
    EXPECT_EQ(Fit(1280, 1024, 1.25), 1.25);
    EXPECT_NEAR(Fit(1920, 1080, 1.5), 1.69, 1e-9);
    // A degenerate template keeps the minimum too.
    EXPECT_EQ(FitDialogScale(0, 0, 1920, 1080, 0, 0, 1.0), 1.0);
}

TEST(DialogScale, EveryScreenSizeGetsAWindowThatFitsAndOneStepMoreWouldNot)
{
    for (int width = 900; width <= 4000; width += 37) {
        for (int height = 600; height <= 2400; height += 53) {
            const double scale = Fit(width, height);
            ASSERT_GE(scale, 1.0);
            if (scale == 1.0 && !Fits(1.0, width, height))
                continue; // too small a screen: the floor holds
            ASSERT_TRUE(Fits(scale, width, height)) << width << "x" << height << " at " << scale;
            ASSERT_FALSE(Fits(scale + 0.01, width, height)) << width << "x" << height << " at " << scale;
        }
    }
}

TEST(DialogScale, OverrideTakesPlainNumbersInItsRangeOnly)
{
    EXPECT_EQ(ParseScaleOverride("1.5"), std::optional<double>(1.5));
    EXPECT_EQ(ParseScaleOverride("2"), std::optional<double>(2.0));
    EXPECT_EQ(ParseScaleOverride(" 1,25 "), std::optional<double>(1.25));
    EXPECT_EQ(ParseScaleOverride("0.5"), std::optional<double>(0.5));
    EXPECT_EQ(ParseScaleOverride("4"), std::optional<double>(4.0));
    for (const std::string bad : {"", " ", "abc", "1.5x", "x1.5", "0", "-1", "0.49", "4.01", "nan", "inf", "1e0",
                                  "1..5", "1,2,3", "1 5", "100000000000000000000000000000"})
        EXPECT_EQ(ParseScaleOverride(bad), std::nullopt) << '"' << bad << '"';
}
