#pragma once
#include "platform/picturesurface.h"
#include <QWidget>
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void attach();
    std::unique_ptr<PictureSurface> m_own;
    PictureSurface* m_surface;
};
