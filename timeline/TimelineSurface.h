#pragma once

#include <cstdint>

#include <QOpenGLWidget>

class QWidget;

// The OpenGL widget under the timeline view. Frames are drawn into its
// framebuffer by the refresh tick, never from a paint event: paintGL draws
// nothing and the framebuffer is kept between frames, so a paint only shows
// the last finished frame.
class TimelineSurface : public QOpenGLWidget {
public:
    explicit TimelineSurface(QWidget* parent);

    // True when its context is current with its framebuffer bound; false
    // until the widget has been shown inside a shown window.
    bool MakeCurrent();

    // Changes each time the framebuffer is made anew (first use, resize, new
    // context) and so no longer holds the last frame.
    uint64_t Generation() const { return m_generation; }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    uint64_t m_generation = 0;
};
