#include "GlyphSet.h"

#include <algorithm>
#include <cmath>

#include <QChar>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

namespace {

constexpr int kPixelSize = 14;
constexpr int kPad = 4;
const char* const kFamily = "DejaVu Sans";
// Where fonts-dejavu-core installs it, for a fontconfig that does not list it.
const char* const kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// C0 and C1 controls have no picture; they take no space either.
bool IsControl(unsigned code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }

} // namespace

QFont GlyphSet::DefaultFont(double pixelRatio)
{
    const int pixelSize = std::max(1, static_cast<int>(std::lround(kPixelSize * pixelRatio)));
    const auto make = [pixelSize] {
        QFont font(QString::fromLatin1(kFamily));
        font.setPixelSize(pixelSize);
        font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
        font.setHintingPreference(QFont::PreferFullHinting);
        return font;
    };
    if (QFontInfo(make()).family() == QLatin1String(kFamily))
        return make();
    QFontDatabase::addApplicationFont(QString::fromLatin1(kFontFile));
    return make();
}

GlyphSet::GlyphSet(const QFont& font)
{
    for (unsigned code = 0; code < ListCodes::kGlyphCount; ++code)
        Rasterise(font, code);
}

void GlyphSet::Rasterise(const QFont& font, unsigned code)
{
    Glyph& glyph = m_glyphs[code];
    if (IsControl(code))
        return;
    const QFontMetrics metrics(font);
    const QString text(QChar(static_cast<char16_t>(code)));
    glyph.advance = static_cast<float>(metrics.horizontalAdvance(text));

    // Generous canvas: some glyphs overhang their advance or the font's ascent.
    const int baseline = kPad + metrics.ascent();
    QImage canvas(metrics.maxWidth() + 2 * kPad + metrics.height(), metrics.height() + 2 * kPad,
                  QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(kPad, baseline, text);
    }

    int left = canvas.width(), right = -1, top = canvas.height(), bottom = -1;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (qGreen(canvas.pixel(x, y)) >= 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return;

    glyph.width = right - left + 1;
    glyph.height = bottom - top + 1;
    glyph.xorig = static_cast<float>(kPad - left);
    glyph.yorig = static_cast<float>(bottom - baseline + 1);
    const int rowBytes = (glyph.width + 7) / 8;
    glyph.bits.assign(static_cast<size_t>(rowBytes * glyph.height), 0);
    for (int row = 0; row < glyph.height; ++row) {
        const int y = bottom - row;
        for (int column = 0; column < glyph.width; ++column)
            if (qGreen(canvas.pixel(left + column, y)) >= 128)
                glyph.bits[static_cast<size_t>(row * rowBytes + column / 8)] |= static_cast<uint8_t>(0x80 >> (column % 8));
    }
    m_ascent = std::max(m_ascent, baseline - top);
    m_descent = std::max(m_descent, bottom - baseline + 1);
}
