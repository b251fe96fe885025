#include "platform/picturebox.h"
#include "platform/platform.h"

#include <QPainter>

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), m_own(std::make_unique<PictureSurface>(platform().twipsPerPixel(), platform().devicePixelRatio())),
      m_surface(m_own.get()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    attach();
}

PictureBox::~PictureBox() {
    if (m_surface != m_own.get()) m_surface->setChangeHandler(nullptr);
}

void PictureBox::attach() {
    m_surface->setChangeHandler([this] { update(); });
    update();
}

void PictureBox::setSurface(PictureSurface* surface) {
    if (m_surface != m_own.get()) m_surface->setChangeHandler(nullptr);
    m_surface = surface ? surface : m_own.get();
    attach();
}

void PictureBox::placeTwips(int left, int top, int width, int height) {
    move(m_surface->toPixels(left), m_surface->toPixels(top));
    setSizeTwips(width, height);
}

void PictureBox::setSizeTwips(int width, int height) {
    m_surface->setSizeTwips(width, height);
    setFixedSize(m_surface->toPixels(width), m_surface->toPixels(height));
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, m_surface->image());
}
