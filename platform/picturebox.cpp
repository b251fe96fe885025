// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/picturebox.h"
#include "platform/platform.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent),
      m_own(std::make_unique<PictureSurface>(platform().twipsPerPixel(), platform().devicePixelRatio())),
      m_surface(m_own.get())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    attach();
}

PictureBox::~PictureBox()
{
    if (m_surface != m_own.get())
        m_surface->setChangeHandler(nullptr);
}

void PictureBox::attach()
{
    m_surface->setChangeHandler([this] {
        m_zoomed = QImage();
        update();
    });
    update();
}

void PictureBox::setSurface(PictureSurface* surface)
{
    if (m_surface != m_own.get())
        m_surface->setChangeHandler(nullptr);
    m_surface = surface ? surface : m_own.get();
    attach();
}

void PictureBox::placeTwips(int left, int top, int width, int height)
{
    move(m_surface->toPixels(left), m_surface->toPixels(top));
    setSizeTwips(width, height);
}

void PictureBox::setSizeTwips(int width, int height)
{
    zoomBy(0);
    m_surface->setSizeTwips(width, height);
    setFixedSize(m_surface->toPixels(width), m_surface->toPixels(height));
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (m_zoom == 1.0 || !m_render) {
        p.drawImage(0, 0, m_surface->image());
        return;
    }
    if (m_zoomed.isNull())
        m_zoomed = m_render(m_zoom);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(-m_pan, QSizeF(size()) * m_zoom), m_zoomed, QRectF(m_zoomed.rect()));
}

// ---------------------------------------------------------------------------------
// The enlarged view

namespace {
const double ZoomSteps[] = {1, 1.5, 2, 3, 4, 6};
}  // namespace

void PictureBox::setZoomRenderer(std::function<QImage(double)> render) { m_render = std::move(render); }

void PictureBox::zoomBy(int steps) { zoomAbout(steps, QPointF(width() / 2.0, height() / 2.0)); }

void PictureBox::zoomAbout(int steps, QPointF anchor)
{
    const double* at = std::find(std::begin(ZoomSteps), std::end(ZoomSteps), m_zoom);
    const int index =
        steps == 0 ? 0 : std::clamp(int(at - std::begin(ZoomSteps)) + steps, 0, int(std::size(ZoomSteps)) - 1);
    const double zoom = m_render ? ZoomSteps[index] : 1.0;
    if (zoom == m_zoom)
        return;
    // The point of the chart under the anchor stays there.
    const QPointF chartPoint = (anchor + m_pan) / m_zoom;
    m_zoom = zoom;
    m_zoomed = QImage();
    m_pan = chartPoint * m_zoom - anchor;
    panBy(QPointF());
    update();
}

void PictureBox::panBy(QPointF delta)
{
    const QPointF limit(width() * (m_zoom - 1), height() * (m_zoom - 1));
    m_pan = QPointF(std::clamp(m_pan.x() + delta.x(), 0.0, limit.x()),
                    std::clamp(m_pan.y() + delta.y(), 0.0, limit.y()));
    update();
}

QPoint PictureBox::twipsAt(QPointF boxPoint) const
{
    const QPointF chart = (boxPoint + m_pan) / m_zoom * m_surface->twipsPerPixel();
    return chart.toPoint();
}

void PictureBox::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (event->modifiers() & Qt::ControlModifier && m_render) {
        zoomAbout(steps, event->position());
    } else if (m_zoom > 1.0) {
        const QPoint d = event->angleDelta();
        panBy(event->modifiers() & Qt::ShiftModifier ? QPointF(-d.y(), 0) : QPointF(-d.x(), -d.y()));
    } else {
        event->ignore();  // the window may scroll
        return;
    }
    event->accept();
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    m_dragFrom = event->position();
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_zoom == 1.0)
        return QWidget::mouseMoveEvent(event);
    panBy(m_dragFrom - event->position());
    m_dragFrom = event->position();
}

bool PictureBox::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTipAt) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(twipsAt(help->pos()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}
