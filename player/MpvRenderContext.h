#pragma once

#include <memory>

struct mpv_handle;
struct mpv_render_context;

// The OpenGL render context of one mpv core. Created and freed with the GL
// context it draws into current; freed before that GL context and the core
// go (the other order aborts inside libmpv).
class MpvRenderContext {
public:
    using GetProcAddress = void* (*)(void* context, const char* name);
    using UpdateCallback = void (*)(void* context);

    // Null when libmpv cannot render with the current GL context.
    static std::unique_ptr<MpvRenderContext> Create(mpv_handle* core, GetProcAddress getProcAddress,
                                                    UpdateCallback onUpdate, void* callbackContext);
    ~MpvRenderContext();
    MpvRenderContext(const MpvRenderContext&) = delete;
    MpvRenderContext& operator=(const MpvRenderContext&) = delete;

    // To be called after each update callback: true when a new frame waits.
    bool TakeFrameUpdate();
    // Draws the current frame into `framebuffer`, without waiting for its
    // display time (waiting would hold the GUI thread for most of a tick).
    void Render(int framebuffer, int width, int height);
    void ReportSwap();

private:
    explicit MpvRenderContext(mpv_render_context* context) : m_context(context) {}

    mpv_render_context* m_context = nullptr;
};
