#include "CGLFont.h"

#include <algorithm>

#include <GL/gl.h>

#include <QOpenGLContext>

#include "ListCodes.h"

CGLFont::CGLFont() = default;

// The lists stay with their context, which outlives the drawing objects.
CGLFont::~CGLFont() = default;

void CGLFont::InitFont()
{
    if (QOpenGLContext::currentContext() != nullptr)
        glShadeModel(GL_FLAT);
    EnsureLists();
}

void CGLFont::SetPixelRatio(double ratio)
{
    if (!(ratio > 0.0) || ratio == m_pixelRatio)
        return;
    m_pixelRatio = ratio;
    m_glyphs.reset();
    m_listContext = nullptr;
}

bool CGLFont::EnsureLists()
{
    QOpenGLContext* current = QOpenGLContext::currentContext();
    if (current == nullptr)
        return false;
    if (m_listContext != nullptr && QOpenGLContext::areSharing(m_listContext, current))
        return true;
    if (!m_glyphs)
        m_glyphs = std::make_unique<GlyphSet>(GlyphSet::DefaultFont(m_pixelRatio));

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    // Mesa drops a list's glBitmap given no data, advance and all.
    static const GLubyte kNoBits = 0;
    for (unsigned code = 0; code < ListCodes::kGlyphCount; ++code) {
        const Glyph& glyph = m_glyphs->At(code);
        glNewList(kFirstList + code, GL_COMPILE);
        glBitmap(glyph.width, glyph.height, glyph.xorig, glyph.yorig, glyph.advance, 0.0f,
                 glyph.bits.empty() ? &kNoBits : glyph.bits.data());
        glEndList();
    }
    // Code 255 is never called: this empty list only completes the 256
    // lists a byte can name from the base.
    glNewList(kFirstList + ListCodes::kGlyphCount, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, 0.0f, 0.0f, &kNoBits);
    glEndList();
    glPopClientAttrib();
    m_listContext = current;
    return true;
}

void CGLFont::PrintString(std::string_view text, float x, float y)
{
    if (!EnsureLists())
        return;
    ListCodes::FromUtf8(text, m_codes);
    // Nothing to draw; placing the raster position would still cost a flush
    // of the pending bars, one draw per untitled segment.
    if (m_codes.empty())
        return;
    glShadeModel(GL_FLAT);
    glRasterPos2f(x, y);
    DrawCodes(m_codes);
}

void CGLFont::DrawCodes(std::string_view codes)
{
    if (codes.empty() || !EnsureLists())
        return;
    glPushAttrib(GL_LIST_BIT);
    glListBase(kFirstList);
    glCallLists(static_cast<GLsizei>(codes.size()), GL_UNSIGNED_BYTE, codes.data());
    glPopAttrib();
}

CGLFont::Reach CGLFont::TextReach(std::string_view text)
{
    if (!m_glyphs)
        m_glyphs = std::make_unique<GlyphSet>(GlyphSet::DefaultFont(m_pixelRatio));
    ListCodes::FromUtf8(text, m_reachCodes);
    // glBitmap puts a glyph's bitmap xorig left of the pen and moves the pen
    // by the advance: no bitmap starts further left than the largest xorig,
    // none ends further right than all the advances and the widest overhang.
    Reach reach;
    double advances = 0.0;
    double overhang = 0.0;
    for (const char code : m_reachCodes) {
        const Glyph& glyph = m_glyphs->At(static_cast<unsigned char>(code));
        reach.before = std::max(reach.before, double(glyph.xorig));
        overhang = std::max(overhang, double(glyph.width) - glyph.xorig);
        advances += std::max(0.0f, glyph.advance);
    }
    reach.after = advances + overhang;
    return reach;
}
