#pragma once

class QOpenGLContext;
class QWindow;

// Shows part of a window's back buffer without swapping the rest, where the
// platform offers it: GLX_MESA_copy_sub_buffer, which Mesa's drivers have,
// the software renderer among them. A swap there sends the whole window to
// the X server; a time line that moved changes a few columns of it.
class SubBufferCopy {
public:
    // Unavailable: every call to Copy is a no-op.
    SubBufferCopy() = default;
    // For `context` drawing into `window`; unavailable on another platform
    // or window system interface (EGL), or a driver without the extension.
    static SubBufferCopy For(QOpenGLContext& context, QWindow& window);

    bool Available() const { return m_copy != nullptr; }
    // The area in device pixels with OpenGL's orientation (origin at the
    // bottom left), with `context` current on `window`.
    void Copy(int x, int y, int width, int height) const;

private:
    using Function = void (*)(void* display, unsigned long drawable, int x, int y, int width, int height);

    Function m_copy = nullptr;
    void* m_display = nullptr;
    unsigned long m_drawable = 0;
};
