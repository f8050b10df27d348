#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include "CTimelineRenderer.h"
#include "CTimelineView.h"
#include "Timeline.h"

// Pixel colours as floats in [0, 1] like the drawing's glColor3f calls.
struct Rgb {
    float red, green, blue;
};

inline constexpr Rgb kBackground{0.0f, 0.0f, 1.0f};
inline constexpr Rgb kBar{0.0f, 1.0f, 0.0f};
inline constexpr Rgb kCurrentBar{0.0f, 0.5f, 0.2f};
inline constexpr Rgb kText{1.0f, 0.0f, 0.0f};
inline constexpr Rgb kBlack{0.0f, 0.0f, 0.0f};
inline constexpr Rgb kLabelColumn{0.0f, 0.0f, 0.7f};
inline constexpr Rgb kSelectedCell{0.0f, 0.5f, 0.5f};
inline constexpr Rgb kWhite{1.0f, 1.0f, 1.0f};

// Exact up to the rounding of a float colour to 8 bits.
testing::AssertionResult HasColour(const QImage& image, int x, int y, Rgb expected);
bool IsColour(QRgb pixel, Rgb expected);
// Pixels of that colour inside the rectangle.
int CountColour(const QImage& image, const QRect& area, Rgb colour);

// A shown black "frame" 750 x 244 with the view laid over it and a renderer
// wired into a timeline emptied of its sample track. GL must be there: a
// missing context fails the test.
class TimelineFixture : public testing::Test {
protected:
    static constexpr int kWidth = 750;
    static constexpr int kHeight = 244;

    void SetUp() override;

    // The timeline's tracks taken out, changed and put back, as a load would
    // give them: each counts as a change. Tracks and segments keep their
    // identity, and the current segment stays (no change may remove it).
    void ChangeTracks(const std::function<void(TrackList&)>& change);
    Track& AddTrack(const std::string& label = " ");
    // `track` is one of the timeline's.
    Segment& AddSegment(Track& track, double start, double end, const std::string& title = " ");
    // One refresh tick's drawing, then the picture.
    QImage DrawFrame();

    QWidget m_frame;
    CTimelineView m_view;
    CTimeline m_timeline;
    CTimelineRenderer* m_renderer = nullptr; // owned by m_timeline
};

// A table row's name as a parameterised test's: its letters and digits.
std::string TestName(std::string_view rowName);

// Waits, processing events, until the surface can draw or a few seconds pass.
bool WaitForSurface(CTimelineView& view);
// A black top-level widget of that size, shown and exposed.
bool ShowBlackFrame(QWidget& frame, int width, int height);
