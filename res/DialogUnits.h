#pragma once

#include <optional>
#include <string_view>

// Dialog units to pixels. The templates' 8-point font has base units of
// 6 x 13 pixels at 96 DPI: a horizontal unit is a quarter of the base width
// and a vertical unit an eighth of the base height, both scaled by the
// screen's logical DPI / 96.
//
// Edges are converted rather than sizes, so that controls that touch in
// dialog units still touch in pixels; halves round to even, so that the
// main window's 675 x 318 units come out at 1012 x 517 pixels.

inline constexpr int kDialogBaseUnitX = 6;
inline constexpr int kDialogBaseUnitY = 13;

int DialogUnitsToPixelsX(int units, double scale = 1.0);
int DialogUnitsToPixelsY(int units, double scale = 1.0);

// A rectangle in pixels, left/top inclusive, width/height derived from the
// converted right and bottom edges.
struct DialogPixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const DialogPixelRect&) const = default;
};

DialogPixelRect DialogRectToPixels(int x, int y, int width, int height, double scale = 1.0);

// Share of the screen's available width and height a window may take.
inline constexpr double kScreenShare = 0.9;

// The largest scale, in hundredths, at which a window of `width` x `height`
// dialog units plus a frame of `frameWidth` x `frameHeight` pixels (which
// does not scale) fits in kScreenShare of an available area of
// `availableWidth` x `availableHeight` pixels; never below `minimumScale`,
// so a small screen keeps the size the layout was made for.
double FitDialogScale(int width, int height, int availableWidth, int availableHeight, int frameWidth,
                      int frameHeight, double minimumScale);

// Sizes a user may ask for with QUILLMARK_SCALE, relative to the smallest
// one the program picks by itself.
inline constexpr double kSmallestScaleOverride = 0.5;
inline constexpr double kLargestScaleOverride = 4.0;

// The value of QUILLMARK_SCALE as a number in the range above; nothing when
// it is not one (empty, not a number, trailing text, out of range).
std::optional<double> ParseScaleOverride(std::string_view text);
