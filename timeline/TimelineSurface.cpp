#include "TimelineSurface.h"

#include <GL/gl.h>

#include <QOpenGLContext>
#include <QWidget>

#include "GLSupport.h"

TimelineSurface::TimelineSurface(QWidget* parent)
    : QOpenGLWidget(parent)
{
    setFormat(GLSupport::CompatibilityFormat());
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    // The frame underneath keeps its clicks; the pointer is polled anyway.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool TimelineSurface::MakeCurrent()
{
    if (!isValid())
        return false;
    makeCurrent();
    return QOpenGLContext::currentContext() == context();
}

void TimelineSurface::initializeGL()
{
    // White until the first frame clears to the background.
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ++m_generation;
}

void TimelineSurface::resizeGL(int, int)
{
    ++m_generation;
}

void TimelineSurface::paintGL()
{
}
