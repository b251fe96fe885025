#include "core/drawing/picturesurface.h"

#include <algorithm>
#include "core/drawing/fonts.h"
#include "core/files/savefile.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>
#include <cmath>
#include <cstdlib>
#include <cstring>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
// The image's resolution is the screen's logical one, so a font of n points gets the
// same size in logical pixels on the surface as it would on the screen (a painter on
// an image of a higher device pixel ratio scales it up from there).
void SetScreenResolution(QImage& img, double tpp) {
    const int dotsPerMeter = static_cast<int>(std::lround(1440.0 / tpp / 0.0254));
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
}

// An empty RGB32 image. A chart's images are megabytes, and first touching fresh
// memory a 4 KB page at a time cost more than drawing the chart (a 6 MB picture took
// some 1,500 page faults, over 10 ms on a virtual machine), so on Linux they ask for
// 2 MB pages where the system grants them on request.
void FreeImageMemory(void* memory) { std::free(memory); }
QImage NewImage(const QSize& size) {
#ifdef __linux__
    constexpr std::size_t HugePage = std::size_t(2) << 20;
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
    if (bytes >= HugePage) {
        const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
        if (void* memory = std::aligned_alloc(HugePage, rounded)) {
            madvise(memory, rounded, MADV_HUGEPAGE);
            return QImage(static_cast<uchar*>(memory), size.width(), size.height(), bytesPerLine,
                          QImage::Format_RGB32, FreeImageMemory, memory);
        }
    }
#endif
    return QImage(size, QImage::Format_RGB32);
}

// A painter on the drawing without antialiasing: a blue line is exactly blue,
// so what the chart shows (and what tests read back) is the colour asked for.
void PaintExactly(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
}
} // namespace

PictureSurface::PictureSurface(double twipsPerPixel, double devicePixelRatio)
    : m_tpp(twipsPerPixel > 0 ? twipsPerPixel : 15.0),
      m_ratio(devicePixelRatio > 0 ? devicePixelRatio : 1.0),
      m_font(MakeFont(QStringLiteral("MS Sans Serif"), 8)) {
    fontChanged();
}

PictureSurface::~PictureSurface() {
    endPainting();
}

void PictureSurface::fontChanged() {
    m_fontRequest = FontRequest();
    m_drawingFont = m_font;
    m_drawingFont.setStyleStrategy(QFont::NoAntialias);
    m_drawingFontKey = m_drawingFont.key() + QLatin1Char('|');
    m_fontTextPixels = &m_textPixels[m_drawingFontKey];
    m_lineHeight = -1;
}

void PictureSurface::ownImage() {
    if (m_image.isNull() || m_image.isDetached()) return;
    QImage own = NewImage(m_image.size());
    own.setDevicePixelRatio(m_image.devicePixelRatio());
    own.setDotsPerMeterX(m_image.dotsPerMeterX());
    own.setDotsPerMeterY(m_image.dotsPerMeterY());
    const qsizetype rowBytes = std::min(own.bytesPerLine(), m_image.bytesPerLine());
    for (int y = 0; y < own.height(); ++y)
        std::memcpy(own.scanLine(y), m_image.constScanLine(y), size_t(rowBytes));
    m_image = own;
}

QPainter& PictureSurface::painter() {
    if (!m_painter) {
        ownImage();
        m_painter = std::make_unique<QPainter>(&m_image);
        PaintExactly(*m_painter);
    }
    return *m_painter;
}

void PictureSurface::endPainting() const {
    m_painter.reset();
}

const QImage& PictureSurface::image() const {
    endPainting();
    return m_image;
}

QImage& PictureSurface::canvas() {
    endPainting();
    return m_image;
}

int PictureSurface::toPixels(double twips) const {
    return static_cast<int>(std::nearbyint(twips / m_tpp));
}

QSize PictureSurface::deviceSize(int w, int h) const {
    if (w <= 0 || h <= 0) return QSize();
    return QSize(static_cast<int>(std::lround(w * m_ratio)), static_cast<int>(std::lround(h * m_ratio)));
}

QImage PictureSurface::blankImage(int w, int h) const {
    const QSize size = deviceSize(w, h);
    if (!size.isValid()) return QImage();
    QImage img = NewImage(size);
    img.setDevicePixelRatio(m_ratio);
    img.fill(Qt::white);
    SetScreenResolution(img, m_tpp);
    return img;
}

void PictureSurface::resizeImage(QImage& img, int w, int h) const {
    if (!img.isNull() && img.size() == deviceSize(w, h)) return;
    QImage resized = blankImage(w, h);
    if (!resized.isNull() && !img.isNull()) {
        QPainter p(&resized);
        p.drawImage(0, 0, img);
    }
    img = resized;
}

void PictureSurface::setSizeTwips(int widthTwips, int heightTwips) {
    endPainting();
    m_widthTwips = widthTwips;
    m_heightTwips = heightTwips;
    const int w = toPixels(widthTwips), h = toPixels(heightTwips);
    // A picture kept and not drawn over since is the drawing itself: resized once.
    const bool pictureIsDrawing = !m_picture.isNull() && m_picture.cacheKey() == m_image.cacheKey();
    resizeImage(m_image, w, h);
    if (pictureIsDrawing)
        m_picture = m_image;
    else if (!m_picture.isNull())
        resizeImage(m_picture, w, h);
    changed();
}

void PictureSurface::cls() {
    endPainting();
    const int w = toPixels(m_widthTwips), h = toPixels(m_heightTwips);
    if (!m_picture.isNull()) {
        m_image = m_picture;
        resizeImage(m_image, w, h);
    } else if (!m_image.isNull() && m_image.isDetached() && m_image.size() == deviceSize(w, h)) {
        m_image.fill(Qt::white);   // the image nobody else holds is blanked where it is
    } else {
        m_image = blankImage(w, h);
    }
    m_currentX = 0;
    m_currentY = 0;
    changed();
}

void PictureSurface::setPictureNone() {
    m_picture = QImage();
}

void PictureSurface::keepPicture() {
    // Shared until either is drawn on again; most drawings are erased back to this
    // picture or replaced whole before that, so the copy is seldom made at all.
    endPainting();
    m_picture = m_image;
}

void PictureSurface::line(int x1, int y1, int x2, int y2) {
    line(x1, y1, x2, y2, m_foreColor);
}

void PictureSurface::line(int x1, int y1, int x2, int y2, const QColor& color) {
    if (!m_image.isNull()) {
        QPainter& p = painter();
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
        QPainter& p = painter();
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
        QPainter& p = painter();
        p.fillRect(PixelRect(toPixels(x1), toPixels(y1), toPixels(x2), toPixels(y2)), color);
    }
    m_currentX = x2;
    m_currentY = y2;
    changed();
}

void PictureSurface::circle(int x, int y, int radius) {
    if (!m_image.isNull()) {
        QPainter& p = painter();
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
    const FontRequest request{name, points, bold, underline};
    if (request == m_fontRequest) return;
    const QFont font = MakeFont(name, points, bold, underline);
    if (font != m_font) {   // an equal font keeps the glyphs already looked up
        m_font = font;
        fontChanged();
    }
    m_fontRequest = request;
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
    if (!copyText(x, y, text)) {
        QPainter& p = painter();
        p.setFont(m_drawingFont);
        p.setPen(m_foreColor);
        p.drawStaticText(QPoint(toPixels(x), toPixels(y)), staticText(text));
    }
    changed();
}

PictureSurface::TextPixels PictureSurface::renderTextPixels(const QString& text) const {
    // Drawn black on white with room all round; a pixel on the edge may have been cut.
    const QFontMetrics fm = MetricsAt(m_drawingFont, m_tpp);
    const int room = fm.height() + 4;
    QImage img = blankImage(fm.horizontalAdvance(text) + 2 * room, fm.height() + 2 * room);
    {
        QPainter p(&img);
        PaintExactly(p);
        p.setFont(m_drawingFont);
        p.setPen(Qt::black);
        p.drawStaticText(QPoint(room, room), staticText(text));
    }
    const int origin = static_cast<int>(std::lround(room * m_ratio));
    const int w = img.width(), h = img.height();
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    TextPixels pixels;
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w;) {
            if (line[x] == white) { ++x; continue; }
            const int start = x;
            while (x < w && line[x] == black) ++x;
            const bool onEdge = y == 0 || y == h - 1 || start == 0 || x == w;
            if (x == start || onEdge) return TextPixels();   // shaded, or cut
            pixels.rows.push_back({y - origin, start - origin, x - origin});
        }
    }
    pixels.copyable = true;
    return pixels;
}

bool PictureSurface::copyText(int x, int y, const QString& text) {
    // The painter places an underline by the position on the device, not by the
    // text alone, so underlined texts are not copied.
    const bool wholePixels = m_ratio == std::floor(m_ratio);
    if (!wholePixels || m_drawingFont.underline() || m_drawingFont.strikeOut() || m_drawingFont.overline() ||
        m_foreColor.alpha() != 255 || m_image.format() != QImage::Format_RGB32)
        return false;
    auto it = m_fontTextPixels->find(text);
    if (it == m_fontTextPixels->end()) {
        if (m_fontTextPixels->size() > 4096) m_fontTextPixels->clear();
        it = m_fontTextPixels->insert(text, renderTextPixels(text));
    }
    if (!it->copyable) return false;
    // The colour as the painter's solid fill rounds it.
    const QRgb color = m_foreColor.rgba64().toArgb32();
    const int left = static_cast<int>(toPixels(x) * m_ratio), top = static_cast<int>(toPixels(y) * m_ratio);
    const int w = m_image.width(), h = m_image.height();
    ownImage();
    uchar* bits = m_image.bits();
    const qsizetype bytesPerLine = m_image.bytesPerLine();
    for (const TextPixels::Row& row : it->rows) {
        const int py = top + row.y;
        const int x0 = std::max(0, left + row.x0), x1 = std::min(w, left + row.x1);
        if (py < 0 || py >= h || x0 >= x1) continue;
        QRgb* line = reinterpret_cast<QRgb*>(bits + py * bytesPerLine);
        std::fill(line + x0, line + x1, color);
    }
    return true;
}

void PictureSurface::print(const QString& text) {
    drawText(m_currentX, m_currentY, text);
    m_currentX = 0;
    m_currentY += textHeight();
}

int PictureSurface::textHeight() const {
    if (m_lineHeight < 0) {
        const QFontMetrics fm = MetricsAt(m_drawingFont, m_tpp);
        m_lineHeight = static_cast<int>(std::nearbyint(fm.lineSpacing() * m_tpp));
    }
    return m_lineHeight;
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
