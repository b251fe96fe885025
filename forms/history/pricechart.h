// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "core/history/chartaxes.h"
#include "core/history/chartcolumns.h"
#include "core/history/swings.h"

#include <QDate>
#include <QFont>
#include <QRect>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

// A projected price (a horizontal line) or date (a vertical line), named by the ratio
// or angle it comes from: "0.618", "90° high".
struct ChartLevel {
    double price = 0;
    QDate date;
    QString name;
};

// The price chart of the Price History window, painted by hand so that its cost
// follows the pixels: at most one candle (or one step of the close line) per pixel
// column, the swings' markers and labels thinned the same way, and every date back to
// 1601 in its place.
//
// The trader moves the view, never the program: the wheel (or + and -) zooms the time
// around the pointer, dragging (or the arrow keys) pans, Home shows the whole history.
// New swings, a new selection or new projections keep the view; only a new history
// starts again from the whole of it. The price axis always fits the prices in view.
// A click on a swing's marker (without a drag) reports the swing.
class PriceChart : public QWidget {
    Q_OBJECT
public:
    explicit PriceChart(QWidget* parent = nullptr);

    // A new history: the view shows the whole of it.
    void setBars(ChartBars bars);
    void setSwings(std::vector<Swing> swings);
    void setSelection(std::vector<int> swingIndexes);
    void setLevels(std::vector<ChartLevel> prices, std::vector<ChartLevel> dates);
    void setLogarithmic(bool on);
    bool logarithmic() const { return m_logarithmic; }

    // The days in view, kept within the history and its projected dates.
    double firstDay() const { return m_firstDay; }
    double lastDay() const { return m_lastDay; }
    void setView(double firstDay, double lastDay);
    // A factor above 1 zooms in; the day under `plotX` stays where it is.
    void zoom(double factor, double plotX);
    void pan(double pixels);
    void showAll();

    // A swing's marker across, and the least room between two labels side by side, in
    // pixels: the frame is worked out with them and painted with them.
    static constexpr double MarkerSize = 9;
    static constexpr double LabelGap = 6;

    // Everything a paint draws, worked out ahead of it.
    struct Marker {
        int swing = 0;
        QPointF at;  // the marker's centre
        bool high = true;
        QString label;  // empty where the label would crowd another
        QRectF labelBox;
    };
    struct Frame {
        QRect plot;
        TimeWindow time;   // across the plot's width
        PriceSpan prices;  // the price axis from bottom to top
        bool logarithmic = false;
        std::vector<ColumnBar> columns;
        std::vector<AxisTick> priceTicks;
        std::vector<DateTick> dateTicks;
        std::vector<QPointF> swingLine;  // through the marked swings
        std::vector<Marker> markers;

        double y(double price) const;
        double x(qint64 julianDay) const { return plot.left() + time.x(double(julianDay) + 0.5); }
    };
    const Frame& frame() const;
    // The swing whose marker is drawn within a few pixels of `at`, the nearest.
    std::optional<int> swingAt(const QPointF& at) const;

signals:
    void swingClicked(int index);
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The view follows the wheel, a drag, a click on a swing and the keys.
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void invalidate();
    std::pair<double, double> wholeSpan() const;
    Frame computeFrame() const;
    void placePriceAxis(Frame& f) const;
    void placeMarkers(Frame& f) const;
    void joinSwings(Frame& f, int first, int end) const;
    void labelMarkers(Frame& f) const;
    double textWidth(const QString& text) const;
    void drawGrid(QPainter& p, const Frame& f) const;
    void drawCandles(QPainter& p, const Frame& f) const;
    void drawCloses(QPainter& p, const Frame& f) const;
    void drawSwings(QPainter& p, const Frame& f) const;
    void drawPriceLevels(QPainter& p, const Frame& f) const;
    void drawDateLevels(QPainter& p, const Frame& f) const;
    void drawAxes(QPainter& p, const Frame& f) const;

    ChartBars m_bars;
    std::vector<Swing> m_swings;
    std::vector<int> m_selection;
    std::vector<ChartLevel> m_priceLevels, m_dateLevels;
    bool m_logarithmic = false;
    double m_firstDay = 0, m_lastDay = 1;
    mutable int m_axisWidth = 0;  // grows, never shrinks, within a history: no jitter on pans
    mutable std::optional<Frame> m_frame;
    mutable std::array<double, 256> m_charWidths{};
    mutable std::optional<QFont> m_charWidthsFor;

    QPointF m_pressAt, m_lastAt;
    bool m_dragging = false;
};
