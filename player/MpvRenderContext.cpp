#include "MpvRenderContext.h"

#include <mpv/render.h>
#include <mpv/render_gl.h>

std::unique_ptr<MpvRenderContext> MpvRenderContext::Create(mpv_handle* core, GetProcAddress getProcAddress,
                                                           UpdateCallback onUpdate, void* callbackContext)
{
    mpv_opengl_init_params gl{getProcAddress, nullptr};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, apiType},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* context = nullptr;
    if (mpv_render_context_create(&context, core, params) < 0)
        return nullptr;
    mpv_render_context_set_update_callback(context, onUpdate, callbackContext);
    return std::unique_ptr<MpvRenderContext>(new MpvRenderContext(context));
}

MpvRenderContext::~MpvRenderContext()
{
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
}

bool MpvRenderContext::TakeFrameUpdate()
{
    return (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0;
}

void MpvRenderContext::Render(int framebuffer, int width, int height)
{
    mpv_opengl_fbo fbo{framebuffer, width, height, 0};
    int flipY = 1;
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_context, params);
}

void MpvRenderContext::ReportSwap()
{
    mpv_render_context_report_swap(m_context);
}
