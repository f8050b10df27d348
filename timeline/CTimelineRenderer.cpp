#include "CTimelineRenderer.h"

#include <algorithm>

#include <GL/gl.h>

#include <QOpenGLContext>

#include "FrameCulling.h"
#include "GLCoordinates.h"
#include "Timeline.h"
#include "TimelineColours.h"

namespace {

void SetColour(const TimelineColour& colour) { glColor3f(colour.red, colour.green, colour.blue); }

} // namespace

CTimelineRenderer::CTimelineRenderer(CTimeline* timeline)
    : m_pTimeline(timeline)
{
}

bool CTimelineRenderer::CanDraw() const
{
    return m_pTimeline != nullptr && QOpenGLContext::currentContext() != nullptr;
}

const PixelRect& CTimelineRenderer::ViewRect() const
{
    return m_pTimeline->m_viewRect;
}

void CTimelineRenderer::InitFont()
{
    m_font.InitFont();
}

double CTimelineRenderer::TimeToX(float t)
{
    if (m_pTimeline == nullptr)
        return kLabelWidth;
    return TimeToX(*m_pTimeline, t);
}

double CTimelineRenderer::TimeToX(const CTimeline& timeline, float t)
{
    // The view holds a span of at least 1 once it is set; before, as if it did.
    const int32_t span = std::max<int32_t>(1, timeline.ViewSpan());
    const double width = timeline.m_viewRect.Width();
    return (width - kLabelWidth) * (double(t) - timeline.ViewStart()) / span + kLabelWidth;
}

float CTimelineRenderer::TimeLineX(const CTimeline& timeline)
{
    return PixelForGL(TimeToX(timeline, TimeForGL(timeline.m_currentTime)));
}

std::pair<double, double> CTimelineRenderer::HighlightColumns(const Segment& segment, double scale)
{
    // As DrawHighlight places them.
    const double x0 = TimeToX(TimeForGL(segment.m_start));
    const double x1 = TimeToX(TimeForGL(segment.m_end));
    const double bar0 = PixelForGL(x0) * scale;
    const double bar1 = PixelForGL(x1) * scale;
    const double pen = PixelForGL(x0 + kTextInset) * scale;
    const CGLFont::Reach reach = m_font.TextReach(segment.m_title);
    return {std::min({bar0, bar1, pen - reach.before}), std::max({bar0, bar1, pen + reach.after})};
}

void CTimelineRenderer::Draw()
{
    if (m_pTimeline == nullptr)
        return;
    if (!CanDraw())
        return;
    MatchFontToViewport();
    glTranslatef(0.0f, static_cast<float>(m_pTimeline->TrackScroll()), 0.0f);
    if (!CompositeBarsAndTitles())
        DrawBarsAndTitles();
    DrawHighlight();
    DrawTimeLine();
    DrawLabels();
}

void CTimelineRenderer::MatchFontToViewport()
{
    // The layout is in pixels of the area and the viewport in the surface's
    // device pixels; glyphs land in the latter, so they are made to match.
    const int width = ViewRect().Width();
    if (width <= 0)
        return;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] > 0)
        m_font.SetPixelRatio(static_cast<double>(viewport[2]) / width);
}

void CTimelineRenderer::DrawTimeLine()
{
    const float x = TimeLineX(*m_pTimeline);
    SetColour(TimelineColours::kLine);
    glBegin(GL_LINES);
    glVertex2f(x, static_cast<float>(kDepthFactor * (ViewRect().top - ViewRect().bottom)));
    glVertex2f(x, 0.0f);
    glEnd();
}

void CTimelineRenderer::DrawRow(const Track& track, double rowTop, const FrameCulling& culling)
{
    for (const auto& segment : track.GetSegments()) {
        const double x0 = TimeToX(TimeForGL(segment->m_start));
        const double x1 = TimeToX(TimeForGL(segment->m_end));
        if (culling.SpanCanReach(x0, x1)) {
            SetColour(TimelineColours::kBar);
            glRectf(PixelForGL(x0), 0.0f, PixelForGL(x1), -float(kRowHeight));
        }
        const double anchor = x0 + kTextInset;
        if (culling.PointCanReach(anchor, rowTop - kBaseline)) {
            SetColour(TimelineColours::kText);
            PrintText(segment->m_title, PixelForGL(anchor), -float(kBaseline), culling);
        }
    }
}

void CTimelineRenderer::PrintText(std::string_view text, float x, float y, const FrameCulling& culling)
{
    // Glyphs cost a draw each whether or not the scissor lets them through.
    if (culling.Scissored()) {
        const CGLFont::Reach reach = m_font.TextReach(text);
        if (!culling.TextCanShow(x, reach.before, reach.after))
            return;
    }
    m_font.PrintString(text, x, y);
}

void CTimelineRenderer::DrawSegments()
{
    DrawBarsAndTitles();
    DrawHighlight();
}

void CTimelineRenderer::DrawBarsAndTitles()
{
    if (!CanDraw())
        return;
    const FrameCulling culling = m_culling ? FrameCulling::FromCurrentTransform() : FrameCulling();
    glPushMatrix();
    double rowTop = 0.0;
    for (const auto& track : m_pTimeline->Tracks()) {
        if (culling.BandCanReach(rowTop, rowTop - kRowHeight))
            DrawRow(*track, rowTop, culling);
        glTranslatef(0.0f, -float(kRowHeight), 0.0f);
        rowTop -= kRowHeight;
    }
    glPopMatrix();
}

void CTimelineRenderer::DrawHighlight()
{
    if (!CanDraw())
        return;
    glPushMatrix();
    if (const Segment* current = m_pTimeline->m_currentSegment) {
        const FrameCulling culling = m_culling ? FrameCulling::FromCurrentTransform() : FrameCulling();
        // On the selected row whatever track holds it: the pointer handling
        // only ever picks it from the selected track.
        glTranslatef(0.0f, -float(kRowHeight) * static_cast<float>(m_pTimeline->m_selectedTrack), 0.0f);
        const double x0 = TimeToX(TimeForGL(current->m_start));
        const double x1 = TimeToX(TimeForGL(current->m_end));
        SetColour(TimelineColours::kCurrentBar);
        glRectf(PixelForGL(x0), 0.0f, PixelForGL(x1), -float(kRowHeight));
        SetColour(TimelineColours::kText);
        PrintText(current->m_title, PixelForGL(x0 + kTextInset), -float(kBaseline), culling);
    }
    glPopMatrix();
}

void CTimelineRenderer::DrawLabels()
{
    if (!CanDraw())
        return;
    const FrameCulling culling = m_culling ? FrameCulling::FromCurrentTransform() : FrameCulling();
    const auto width = static_cast<float>(ViewRect().Width());
    glPushMatrix();
    SetColour(TimelineColours::kLabelColumn);
    glRectf(0.0f, static_cast<float>(kDepthFactor * (ViewRect().top - ViewRect().bottom)), float(kLabelWidth), 0.0f);
    int index = 0;
    double rowTop = 0.0;
    for (const auto& track : m_pTimeline->Tracks()) {
        // The separator lies on the row's bottom edge, inside the judged band.
        const bool reaches = culling.BandCanReach(rowTop, rowTop - kRowHeight);
        if (reaches) {
            SetColour(TimelineColours::kSelectedLabel);
            if (index == m_pTimeline->m_selectedTrack)
                glRectf(0.0f, 0.0f, float(kLabelWidth), -float(kRowHeight));
            SetColour(TimelineColours::kText);
            PrintText(track->GetLabel(), float(kTextInset), -float(kBaseline), culling);
        }
        glTranslatef(0.0f, -float(kRowHeight), 0.0f);
        if (reaches) {
            SetColour(TimelineColours::kLine);
            glBegin(GL_LINES);
            glVertex2f(0.0f, 0.0f);
            glVertex2f(width, 0.0f);
            glEnd();
        }
        ++index;
        rowTop -= kRowHeight;
    }
    glPopMatrix();
}
