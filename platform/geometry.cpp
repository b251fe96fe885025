#include "platform/geometry.h"
#include "core/numbers/layout.h"
#include "core/drawing/fonts.h"
#include "platform/platform.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QWidget>

void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(height));
}

void SetControlFont(QWidget* widget, const QString& name, double points, bool bold,
                    bool underline) {
    widget->setFont(MakeFont(name, points, bold, underline));
}

void UseDesignFont(QWidget* window) {
    if (!window->testAttribute(Qt::WA_SetFont))
        window->setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));
    for (QWidget* w : window->findChildren<QWidget*>())
        if (!w->testAttribute(Qt::WA_SetFont)) w->setFont(w->parentWidget()->font());
}

QRect DesktopClientArea() {
    return platform().availableArea().marginsRemoved(platform().frameMargins());
}

void CenterInAvailableArea(QWidget* window) {
    const QRect area = platform().availableArea();
    window->move(area.left() + (area.width() - window->width()) / 2,
                 area.top() + (area.height() - window->height()) / 2);
}

int ControlsRightTwips(const QWidget* window, const QWidget* except) {
    int right = 0;
    for (const QWidget* w : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w != except && !qobject_cast<const QScrollBar*>(w)) right = qMax(right, w->geometry().right() + 1);
    return int(PixelsToTwips(right));
}

namespace {
// Room kept below the lowest control when the window scrolls.
int BottomMarginPixels() { return TwipsToPixels(120); }
} // namespace

int ScrollBarAllowanceTwips(const QWidget* window, const QWidget* chart) {
    int bottom = 0;
    for (const QWidget* w : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w != chart && !qobject_cast<const QScrollBar*>(w)) bottom = qMax(bottom, w->geometry().bottom() + 1);
    if (bottom <= window->height()) return 0;
    return int(PixelsToTwips(window->style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
}

int ChartHalfBesideInputs(int heightHalf, int windowWidth, int inputsRight) {
    constexpr int ColumnGap = 100;       // between the input column and the chart
    constexpr int SmallestHalf = 1000;   // below this nothing on the chart can be read
    const int roomHalf = (windowWidth - ChartBoxRightGap - inputsRight - ColumnGap) / 2;
    return heightHalf <= roomHalf ? heightHalf : qMax(SmallestHalf, roomHalf);
}

namespace {

// Two scroll bars on the window's edges that move its controls; the controls stay
// children of the window, so tab order and object names are those of the layout.
class WindowScroller : public QObject {
public:
    explicit WindowScroller(QWidget* window)
        : QObject(window), m_window(window), m_v(new QScrollBar(Qt::Vertical, window)),
          m_h(new QScrollBar(Qt::Horizontal, window)) {
        setObjectName(QStringLiteral("windowScroller"));
        for (QScrollBar* bar : {m_v, m_h}) {
            bar->hide();
            bar->setFocusPolicy(Qt::NoFocus);
            connect(bar, &QScrollBar::valueChanged, this, [this] { applyOffset(); });
        }
        window->installEventFilter(this);
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { reveal(now); });
    }

    // Ranges from what the controls need against the window's size.
    void update() {
        const QRect used = contentRect();
        const QSize needed(used.right() + 1, used.bottom() + 1 + BottomMarginPixels());
        const int extent = m_window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        bool needV = needed.height() > m_window->height();
        const bool needH = needed.width() > m_window->width() - (needV ? extent : 0);
        needV = needed.height() > m_window->height() - (needH ? extent : 0);
        const QSize view(m_window->width() - (needV ? extent : 0), m_window->height() - (needH ? extent : 0));
        m_v->setGeometry(view.width(), 0, extent, view.height());
        m_h->setGeometry(0, view.height(), view.width(), extent);
        m_v->setRange(0, needV ? needed.height() - view.height() : 0);
        m_h->setRange(0, needH ? needed.width() - view.width() : 0);
        m_v->setPageStep(view.height());
        m_h->setPageStep(view.width());
        m_v->setVisible(needV);
        m_h->setVisible(needH);
        m_v->raise();
        m_h->raise();
        applyOffset();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Resize) update();
        if (watched == m_window && event->type() == QEvent::Wheel && m_v->isVisible())
            return QApplication::sendEvent(m_v, event);
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QWidget*> controls() const {
        QList<QWidget*> list;
        for (QWidget* w : m_window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w != m_v && w != m_h && !w->isWindow()) list << w;
        return list;
    }
    // Where the controls are with the view at the top-left corner.
    QRect contentRect() const {
        QRect r;
        for (QWidget* w : controls()) r |= w->geometry().translated(m_offset);
        return r;
    }
    void applyOffset() {
        const QPoint offset(m_h->value(), m_v->value());
        if (offset == m_offset) return;
        for (QWidget* w : controls()) w->move(w->pos() + m_offset - offset);
        m_offset = offset;
    }
    void reveal(QWidget* focused) {
        if (!focused || focused->window() != m_window || !(m_v->isVisible() || m_h->isVisible())) return;
        const QRect at(focused->mapTo(m_window, QPoint(0, 0)), focused->size());
        const int viewH = m_v->pageStep(), viewW = m_h->pageStep();
        if (at.bottom() >= viewH) m_v->setValue(m_v->value() + at.bottom() + 1 - viewH);
        if (at.top() < 0) m_v->setValue(m_v->value() + at.top());
        if (at.right() >= viewW) m_h->setValue(m_h->value() + at.right() + 1 - viewW);
        if (at.left() < 0) m_h->setValue(m_h->value() + at.left());
    }

    QWidget* m_window;
    QScrollBar* m_v;
    QScrollBar* m_h;
    QPoint m_offset;
};

} // namespace

void ScrollWhenCut(QWidget* window) {
    auto* scroller = static_cast<WindowScroller*>(
        window->findChild<QObject*>(QStringLiteral("windowScroller"), Qt::FindDirectChildrenOnly));
    // Made even while everything fits: the trader may make the window smaller later.
    if (!scroller) scroller = new WindowScroller(window);
    scroller->update();
}
