#include "platform/picturesurface.h"

#include <algorithm>
#include "platform/fonts.h"
#include "modules/savefile.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>
#include <cmath>

namespace {
// The image's resolution is the screen's logical one, so a font of n points gets the
// same size in logical pixels on the surface as it would on the screen (a painter on
// an image of a higher device pixel ratio scales it up from there).
void SetScreenResolution(QImage& img, double tpp) {
    const int dotsPerMeter = static_cast<int>(std::lround(1440.0 / tpp / 0.0254));
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
}

// A painter on the drawing without antialiasing: a blue line is exactly blue,
// so what the chart shows (and what tests read back) is the colour asked for.
struct SurfacePainter : QPainter {
    explicit SurfacePainter(QImage* image) : QPainter(image) {
        setRenderHint(QPainter::Antialiasing, false);
        setRenderHint(QPainter::TextAntialiasing, false);
        setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
};
} // namespace

PictureSurface::PictureSurface(double twipsPerPixel, double devicePixelRatio)
    : m_tpp(twipsPerPixel > 0 ? twipsPerPixel : 15.0),
      m_ratio(devicePixelRatio > 0 ? devicePixelRatio : 1.0),
      m_font(MakeFont(QStringLiteral("MS Sans Serif"), 8)) {
    fontChanged();
}

void PictureSurface::fontChanged() {
    m_drawingFont = m_font;
    m_drawingFont.setStyleStrategy(QFont::NoAntialias);
    m_drawingFontKey = m_drawingFont.key() + QLatin1Char('|');
}

int PictureSurface::toPixels(double twips) const {
    return static_cast<int>(std::nearbyint(twips / m_tpp));
}

QImage PictureSurface::blankImage(int w, int h) const {
    if (w <= 0 || h <= 0) return QImage();
    QImage img(static_cast<int>(std::lround(w * m_ratio)), static_cast<int>(std::lround(h * m_ratio)),
               QImage::Format_RGB32);
    img.setDevicePixelRatio(m_ratio);
    img.fill(Qt::white);
    SetScreenResolution(img, m_tpp);
    return img;
}

void PictureSurface::resizeImage(QImage& img, int w, int h) const {
    QImage resized = blankImage(w, h);
    if (!resized.isNull() && !img.isNull()) {
        QPainter p(&resized);
        p.drawImage(0, 0, img);
    }
    img = resized;
}

void PictureSurface::setSizeTwips(int widthTwips, int heightTwips) {
    m_widthTwips = widthTwips;
    m_heightTwips = heightTwips;
    const int w = toPixels(widthTwips), h = toPixels(heightTwips);
    resizeImage(m_image, w, h);
    if (!m_picture.isNull()) resizeImage(m_picture, w, h);
    changed();
}

void PictureSurface::cls() {
    QImage background = m_picture;
    resizeImage(background, toPixels(m_widthTwips), toPixels(m_heightTwips));
    m_image = background;
    m_currentX = 0;
    m_currentY = 0;
    changed();
}

void PictureSurface::setPictureNone() {
    m_picture = QImage();
}

void PictureSurface::keepPicture() {
    m_picture = m_image.copy();
}

void PictureSurface::line(int x1, int y1, int x2, int y2) {
    line(x1, y1, x2, y2, m_foreColor);
}

void PictureSurface::line(int x1, int y1, int x2, int y2, const QColor& color) {
    if (!m_image.isNull()) {
        SurfacePainter p(&m_image);
        p.setPen(QPen(color, 1));
        p.drawLine(toPixels(x1), toPixels(y1), toPixels(x2), toPixels(y2));
    }
    m_currentX = x2;
    m_currentY = y2;
    changed();
}

namespace {
// Both corner pixels belong to the box, whichever way round the corners are given
// (QRect::normalized() would drop one row and column for reversed corners).
QRect PixelRect(int x1, int y1, int x2, int y2) {
    return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2)));
}
} // namespace

void PictureSurface::box(int x1, int y1, int x2, int y2, const QColor& color) {
    if (!m_image.isNull()) {
        SurfacePainter p(&m_image);
        p.setPen(QPen(color, 1));
        p.setBrush(Qt::NoBrush);
        // A stroked rectangle is one pixel larger than its QRect; the outline
        // runs through both corner pixels.
        p.drawRect(PixelRect(toPixels(x1), toPixels(y1), toPixels(x2), toPixels(y2))
                       .adjusted(0, 0, -1, -1));
    }
    m_currentX = x2;
    m_currentY = y2;
    changed();
}

void PictureSurface::filledBox(int x1, int y1, int x2, int y2, const QColor& color) {
    if (!m_image.isNull()) {
        SurfacePainter p(&m_image);
        p.fillRect(PixelRect(toPixels(x1), toPixels(y1), toPixels(x2), toPixels(y2)), color);
    }
    m_currentX = x2;
    m_currentY = y2;
    changed();
}

void PictureSurface::circle(int x, int y, int radius) {
    if (!m_image.isNull()) {
        SurfacePainter p(&m_image);
        p.setPen(QPen(m_foreColor, 1));
        p.setBrush(m_fillSolid ? QBrush(m_fillColor) : QBrush(Qt::NoBrush));
        const int r = toPixels(radius);
        p.drawEllipse(QPoint(toPixels(x), toPixels(y)), r, r);
    }
    m_currentX = x;
    m_currentY = y;
    changed();
}

void PictureSurface::setFont(const QString& name, double points, bool bold, bool underline) {
    const QFont font = MakeFont(name, points, bold, underline);
    if (font == m_font) return;   // keeps the glyphs already looked up
    m_font = font;
    fontChanged();
}

void PictureSurface::setFontSize(double points) {
    m_font.setPointSizeF(points);
    fontChanged();
}

void PictureSurface::setFontBold(bool bold) {
    m_font.setBold(bold);
    fontChanged();
}

void PictureSurface::setFontUnderline(bool underline) {
    m_font.setUnderline(underline);
    fontChanged();
}

const QStaticText& PictureSurface::staticText(const QString& text) const {
    const QString key = m_drawingFontKey + text;
    auto it = m_textCache.constFind(key);
    if (it != m_textCache.constEnd()) return *it;
    if (m_textCache.size() > 8192) m_textCache.clear();
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
    laidOut.prepare(QTransform(), m_drawingFont);
    return *m_textCache.insert(key, laidOut);
}

QFont PictureSurface::drawingFont() const {
    return m_drawingFont;
}

namespace {
// Metrics at the surface's resolution, also before the surface has a size.
QFontMetrics MetricsAt(const QFont& font, double tpp) {
    static QImage probe(1, 1, QImage::Format_RGB32);
    SetScreenResolution(probe, tpp);
    return QFontMetrics(font, &probe);
}
} // namespace

void PictureSurface::drawText(int x, int y, const QString& text) {
    if (m_image.isNull()) return;
    {
        SurfacePainter p(&m_image);
        const QFont& f = m_drawingFont;
        p.setFont(f);
        p.setPen(m_foreColor);
        p.drawStaticText(QPoint(toPixels(x), toPixels(y)), staticText(text));
    }
    changed();
}

void PictureSurface::print(const QString& text) {
    drawText(m_currentX, m_currentY, text);
    m_currentX = 0;
    m_currentY += textHeight();
}

int PictureSurface::textHeight() const {
    const QFontMetrics fm = MetricsAt(m_drawingFont, m_tpp);
    return static_cast<int>(std::nearbyint(fm.lineSpacing() * m_tpp));
}

int PictureSurface::textWidth(const QString& text) const {
    const QFontMetrics fm = MetricsAt(m_drawingFont, m_tpp);
    return static_cast<int>(std::nearbyint(fm.horizontalAdvance(text) * m_tpp));
}

bool PictureSurface::savePicture(const QString& path, QString* error) const {
    if (m_picture.isNull()) {
        if (error) *error = QStringLiteral("There is no picture to save");
        return false;
    }
    // 24 bits per pixel, the form every Windows program reads. The bitmap is made in
    // memory and written like every other file, so a failure keeps the old one.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!m_picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP")) {
        if (error) *error = QStringLiteral("The picture could not be made into a bitmap");
        return false;
    }
    return ReplaceFile(path, bytes, error);
}
