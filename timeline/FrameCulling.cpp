#include "FrameCulling.h"

#include <algorithm>
#include <array>

#include <GL/gl.h>

FrameCulling::FrameCulling(double scaleX, double offsetX, double scaleY, double offsetY, int viewportWidth,
                           int viewportHeight)
    : m_enabled(viewportWidth > 0 && viewportHeight > 0),
      m_scaleX(scaleX),
      m_offsetX(offsetX),
      m_scaleY(scaleY),
      m_offsetY(offsetY),
      m_marginX(viewportWidth > 0 ? 2.0 / viewportWidth : 0.0),
      m_marginY(viewportHeight > 0 ? 2.0 / viewportHeight : 0.0)
{
}

FrameCulling FrameCulling::FromCurrentTransform()
{
    std::array<GLfloat, 16> projection{};
    std::array<GLfloat, 16> modelView{};
    std::array<GLint, 4> viewport{};
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView.data());
    glGetIntegerv(GL_VIEWPORT, viewport.data());

    // Column-major product projection × model-view.
    std::array<double, 16> m{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                m[column * 4 + row] += double(projection[k * 4 + row]) * double(modelView[column * 4 + k]);

    // Only x' = a x + b, y' = c y + d, w' = 1 is judged; anything else is drawn.
    const bool axisAligned = m[4] == 0.0 && m[1] == 0.0 && m[3] == 0.0 && m[7] == 0.0 && m[15] == 1.0;
    if (!axisAligned)
        return FrameCulling();
    FrameCulling culling(m[0], m[12], m[5], m[13], viewport[2], viewport[3]);
    culling.m_viewportX = viewport[0];
    culling.m_viewportWidth = viewport[2];
    if (culling.m_enabled && glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE) {
        std::array<GLint, 4> box{};
        glGetIntegerv(GL_SCISSOR_BOX, box.data());
        culling.m_scissored = true;
        culling.m_scissorLeft = box[0];
        culling.m_scissorRight = double(box[0]) + box[2];
    }
    return culling;
}

bool FrameCulling::RangeCanReach(double clip0, double clip1, double margin)
{
    const double low = std::min(clip0, clip1);
    const double high = std::max(clip0, clip1);
    return high >= -1.0 - margin && low <= 1.0 + margin;
}

bool FrameCulling::BandCanReach(double y0, double y1) const
{
    if (!m_enabled)
        return true;
    return RangeCanReach(m_scaleY * y0 + m_offsetY, m_scaleY * y1 + m_offsetY, m_marginY);
}

bool FrameCulling::SpanCanReach(double x0, double x1) const
{
    if (!m_enabled)
        return true;
    return RangeCanReach(m_scaleX * x0 + m_offsetX, m_scaleX * x1 + m_offsetX, m_marginX);
}

bool FrameCulling::PointCanReach(double x, double y) const
{
    if (!m_enabled)
        return true;
    return RangeCanReach(m_scaleX * x + m_offsetX, m_scaleX * x + m_offsetX, m_marginX) &&
           RangeCanReach(m_scaleY * y + m_offsetY, m_scaleY * y + m_offsetY, m_marginY);
}

bool FrameCulling::TextCanShow(double x, double before, double after) const
{
    if (!m_enabled || !m_scissored)
        return true;
    // The pen's column as the viewport places it; a pixel either side for
    // the rounding of the bitmaps' placement.
    const double pen = m_viewportX + (m_scaleX * x + m_offsetX + 1.0) * 0.5 * m_viewportWidth;
    return pen + after + 1.0 >= m_scissorLeft && pen - before - 1.0 <= m_scissorRight;
}
