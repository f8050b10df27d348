#pragma once

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

protected:
    void initializeGL() override;
    void paintGL() override;
};
