#include "GLSupport.h"

#include <array>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QString>

namespace GLSupport {

namespace {

// Platform plugins known to compose OpenGL widgets. The raster-only ones
// (offscreen, minimal, vnc, linuxfb) may still create GLX contexts when a
// display is around, yet crash on the first paint of a QOpenGLWidget, so a
// context alone proves nothing.
bool PlatformHostsGLWidgets()
{
    static constexpr std::array<const char*, 5> kPrefixes = {"xcb", "wayland", "eglfs", "windows", "cocoa"};
    const QString name = QGuiApplication::platformName();
    for (const char* prefix : kPrefixes)
        if (name.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

} // namespace

QSurfaceFormat CompatibilityFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(0);
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    return format;
}

bool CanCreateCompatibilityContext()
{
    if (QGuiApplication::instance() == nullptr || !PlatformHostsGLWidgets())
        return false;
    QOpenGLContext context;
    context.setFormat(CompatibilityFormat());
    if (!context.create() || context.isOpenGLES())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    const bool fixedFunction = context.format().profile() != QSurfaceFormat::CoreProfile;
    context.doneCurrent();
    return fixedFunction;
}

} // namespace GLSupport
