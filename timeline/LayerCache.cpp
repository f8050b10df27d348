#include "LayerCache.h"

#include <GL/gl.h>

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

#ifndef GL_READ_FRAMEBUFFER
#define GL_READ_FRAMEBUFFER 0x8CA8
#define GL_DRAW_FRAMEBUFFER 0x8CA9
#define GL_DRAW_FRAMEBUFFER_BINDING 0x8CA6
#endif
#ifndef GL_RGBA8
#define GL_RGBA8 0x8058
#endif
#ifndef GL_FRAMEBUFFER
#define GL_FRAMEBUFFER 0x8D40
#endif

LayerCache::LayerCache() = default;
// A framebuffer dropped while its context is not current is freed by Qt
// once that context is current again, or with it.
LayerCache::~LayerCache() = default;

LayerCache::Key LayerCache::Key::FromCurrentState()
{
    Key key;
    glGetFloatv(GL_PROJECTION_MATRIX, key.projection.data());
    glGetFloatv(GL_MODELVIEW_MATRIX, key.modelView.data());
    glGetIntegerv(GL_VIEWPORT, key.viewport.data());
    return key;
}

LayerCache::State LayerCache::Begin(const Key& key)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context == nullptr)
        return State::Unavailable;
    const int width = key.viewport[2];
    const int height = key.viewport[3];
    // The layer is the viewport's size and the copy lands at its origin.
    if (width <= 0 || height <= 0 || key.viewport[0] != 0 || key.viewport[1] != 0)
        return State::Unavailable;
    if (context != m_context || m_layer == nullptr || m_layer->width() != width || m_layer->height() != height) {
        m_layer.reset();
        m_key.reset();
        m_context = context;
        const bool canBlit =
            context->format().majorVersion() >= 3 || context->hasExtension("GL_ARB_framebuffer_object");
        if (!QOpenGLFramebufferObject::hasOpenGLFramebufferObjects() || !canBlit)
            return State::Unavailable;
        GLint bound = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
        auto layer = std::make_unique<QOpenGLFramebufferObject>(width, height, QOpenGLFramebufferObject::NoAttachment,
                                                                GL_TEXTURE_2D, GL_RGBA8);
        context->extraFunctions()->glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(bound));
        if (!layer->isValid())
            return State::Unavailable;
        m_layer = std::move(layer);
    }
    GLint target = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    m_target = static_cast<unsigned>(target);
    if (m_key == key)
        return State::UpToDate;
    // A layer made while only part of the frame is drawn would hold only
    // that part; the frame gets its part drawn, and the next whole frame
    // makes the layer.
    if (glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE) {
        m_key.reset();
        return State::Unavailable;
    }
    m_key = key;
    context->extraFunctions()->glBindFramebuffer(GL_FRAMEBUFFER, m_layer->handle());
    glClear(GL_COLOR_BUFFER_BIT);
    return State::Redraw;
}

void LayerCache::EndRedraw()
{
    if (QOpenGLContext* context = QOpenGLContext::currentContext())
        context->extraFunctions()->glBindFramebuffer(GL_FRAMEBUFFER, m_target);
}

void LayerCache::Composite()
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context == nullptr || m_layer == nullptr || !m_key)
        return;
    QOpenGLExtraFunctions* gl = context->extraFunctions();
    const int width = m_key->viewport[2];
    const int height = m_key->viewport[3];
    gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, m_layer->handle());
    gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_target);
    gl->glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl->glBindFramebuffer(GL_FRAMEBUFFER, m_target);
}

int LayerCache::Width() const
{
    return m_layer ? m_layer->width() : 0;
}

int LayerCache::Height() const
{
    return m_layer ? m_layer->height() : 0;
}

namespace {

// Tightly packed rows whatever the caller left in the pixel store.
void PlainPixelStore()
{
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

} // namespace

void LayerCache::ReadPixels(std::vector<uint8_t>& rgba) const
{
    rgba.resize(static_cast<size_t>(Width()) * static_cast<size_t>(Height()) * 4);
    if (rgba.empty())
        return;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    PlainPixelStore();
    glReadPixels(0, 0, Width(), Height(), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPopClientAttrib();
}

void LayerCache::WritePixels(const std::vector<uint8_t>& rgba)
{
    if (m_layer == nullptr || rgba.size() != static_cast<size_t>(Width()) * static_cast<size_t>(Height()) * 4)
        return;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, m_layer->texture());
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    PlainPixelStore();
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Width(), Height(), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}
