#pragma once
#include "core/drawing/picturesurface.h"
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

// The chart box on a window: shows a PictureSurface, its own or one the window
// keeps elsewhere, and repaints whenever the surface's drawing changes.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    // Owns a surface at the platform's scale and device resolution.
    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

    PictureSurface& surface() { return *m_surface; }
    const PictureSurface& surface() const { return *m_surface; }
    // Shows another surface (not owned); nullptr goes back to the box's own one.
    void setSurface(PictureSurface* surface);

    // Places the box (twips relative to the parent) and gives the surface the same size.
    void placeTwips(int left, int top, int width, int height);
    // Resizes box and surface, keeping the drawing.
    void setSizeTwips(int width, int height);
    int widthTwips() const { return m_surface->widthTwips(); }
    int heightTwips() const { return m_surface->heightTwips(); }

    // An enlarged view for reading a dense chart: render(scale) draws the chart at up to
    // scale times the box's size in device pixels (fewer only keeps memory in bounds). The view only: what the
    // surface holds, prints and saves is untouched. Ctrl + wheel zooms about the
    // pointer, the wheel and dragging move the view.
    void setZoomRenderer(std::function<QImage(double scale)> render);
    // One step in (+1) or out (-1); 0 shows the whole chart again.
    void zoomBy(int steps);
    double zoom() const { return m_zoom; }
    // The tooltip for a point of the chart, in twips on the surface; empty for none.
    std::function<QString(QPoint twips)> toolTipAt;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void attach();
    void zoomAbout(int steps, QPointF anchor);
    void panBy(QPointF delta);
    QPoint twipsAt(QPointF boxPoint) const;
    std::function<QImage(double)> m_render;
    double m_zoom = 1.0;
    QPointF m_pan;           // top-left of the view in the enlarged chart, box pixels
    QPointF m_dragFrom;
    QImage m_zoomed;         // rendered at m_zoom; null when the chart changed since
    std::unique_ptr<PictureSurface> m_own;
    PictureSurface* m_surface;
};
