#pragma once

#include <cstdint>
#include <memory>

#include <QOpenGLWidget>

#include "MpvRenderContext.h"

class MpvEngine;

// The picture of a player control: mpv renders the current frame into this
// widget's framebuffer; with no file loaded it is black.
class CVideoSurface : public QOpenGLWidget {
    Q_OBJECT
public:
    // `engine` is not owned and must outlive this widget: the render context
    // belongs to that core and has to be freed before it.
    explicit CVideoSurface(MpvEngine& engine, QWidget* parent = nullptr);
    ~CVideoSurface() override;

    bool HasRenderContext() const { return m_render != nullptr; }
    // Frames of video drawn so far.
    uint64_t PresentedFrames() const { return m_presented; }

signals:
    void framePresented();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void* GetProcAddress(void* context, const char* name);
    static void OnRenderUpdate(void* self);
    void TakeRenderUpdate();
    void OnEngineState();
    void ReleaseRenderContext();

    MpvEngine& m_engine;
    std::unique_ptr<MpvRenderContext> m_render;
    bool m_showsVideo = false;
    uint64_t m_presented = 0;
};
