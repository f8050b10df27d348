#include "SubBufferCopy.h"

#include <cstring>

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <QtGui/qopenglcontext_platform.h>

// Last: its macros would clash with Qt's headers.
#include <X11/Xlib.h>

namespace {

using QueryExtensions = const char* (*)(void* display, int screen);

bool HasExtension(const char* list, const char* name)
{
    const size_t length = std::strlen(name);
    for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr; at += length)
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

} // namespace

SubBufferCopy SubBufferCopy::For(QOpenGLContext& context, QWindow& window)
{
    SubBufferCopy copy;
#if QT_CONFIG(xcb_glx_plugin)
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Only a GLX context draws into the X window itself, the drawable the
    // copy names.
    if (x11 == nullptr || context.nativeInterface<QNativeInterface::QGLXContext>() == nullptr)
        return copy;
    void* display = x11->display();
    const auto query = reinterpret_cast<QueryExtensions>(context.getProcAddress("glXQueryExtensionsString"));
    const auto function = reinterpret_cast<Function>(context.getProcAddress("glXCopySubBufferMESA"));
    // A name resolves whether or not the driver implements it: the display's
    // extension list decides.
    if (display == nullptr || query == nullptr || function == nullptr ||
        !HasExtension(query(display, DefaultScreen(static_cast<Display*>(display))), "GLX_MESA_copy_sub_buffer"))
        return copy;
    copy.m_copy = function;
    copy.m_display = display;
    copy.m_drawable = static_cast<unsigned long>(window.winId());
#else
    Q_UNUSED(context);
    Q_UNUSED(window);
#endif
    return copy;
}

void SubBufferCopy::Copy(int x, int y, int width, int height) const
{
    if (m_copy != nullptr && width > 0 && height > 0)
        m_copy(m_display, m_drawable, x, y, width, height);
}
