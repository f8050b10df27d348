#pragma once

#include <cstdint>
#include <memory>

#include <QImage>
#include <QWidget>

#include "MpvRenderContext.h"

class MpvEngine;
class QOffscreenSurface;
class QOpenGLContext;
class QWindow;

// The picture of a player control: mpv renders the current frame straight
// into a native window of its own inside this widget, which swaps alone, as
// a video player's window does; with no file loaded it is black. An OpenGL
// widget would have Qt compose the whole top-level window for each frame.
class CVideoSurface : public QWidget {
    Q_OBJECT
public:
    // `engine` is not owned and must outlive this widget: the render context
    // belongs to that core and has to be freed before it.
    explicit CVideoSurface(MpvEngine& engine, QWidget* parent = nullptr);
    ~CVideoSurface() override;

    bool HasRenderContext() const { return m_render != nullptr; }
    // Makes mpv's render context if it is missing, shown or not: a file
    // loaded before it exists plays without a picture. True when it exists.
    bool PrepareRenderContext();
    // Frames of video drawn so far.
    uint64_t PresentedFrames() const { return m_presented; }
    // The picture drawn anew and presented now, read back on its way to the
    // screen; while the window is not on screen, drawn aside. Null when
    // there is no OpenGL.
    QImage GrabFrame();

signals:
    void framePresented();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void* GetProcAddress(void* context, const char* name);
    static void OnRenderUpdate(void* self);
    void TakeRenderUpdate();
    void OnEngineState();
    // Current on the window once it exists, on an offscreen surface before.
    bool MakeCurrent();
    // Draws the picture into `framebuffer`, `size` device pixels.
    void Draw(unsigned framebuffer, QSize size);
    // Draws and swaps the window, reading the picture back first when asked.
    void Present(QImage* readBack = nullptr);
    void ReleaseRenderContext();

    MpvEngine& m_engine;
    // Owned by its container, a child of this widget.
    QWindow* m_window = nullptr;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_offscreen;
    std::unique_ptr<MpvRenderContext> m_render;
    bool m_showsVideo = false;
    uint64_t m_presented = 0;
};
