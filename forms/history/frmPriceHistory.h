#pragma once
#include "forms/history/core/evidence.h"
#include "forms/history/core/pricehistory.h"
#include "forms/history/core/swingprojection.h"

#include <QWidget>
#include <optional>
#include <vector>

class QAbstractSeries;
class QChart;
class QChartView;
class QComboBox;
class QPointF;
class QDateTimeAxis;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScatterSeries;
class QTableWidget;
class QValueAxis;

// The "Price History" window: a trader's price file, its swings and what the two
// analyses project from them.
//
// How a history travels: Open reads the CSV on a worker thread (a progress bar shows
// when that takes longer than a blink); the chart draws the closes (candles when the
// file has open, high and low) and marks the swings FindSwings finds at the threshold
// in the spin box, which finds them again on every change, and the evidence table
// measures how projections from earlier swings met the next one. Clicking a swing
// projects the Square of Nine from it and sends it to the Gann window; clicking a
// second projects Fibonacci from the two and sends them to the Fibonacci window. The
// projected prices are drawn as horizontal lines and the projected dates as vertical
// lines over the prices. The projections run through the same calculations those
// windows run; the window only moves values and draws.
class frmPriceHistory : public QWidget {
    Q_OBJECT
public:
    explicit frmPriceHistory(QWidget* parent = nullptr);

    QPushButton* cmdOpen;
    QLabel* lblFile;
    QDoubleSpinBox* spnThreshold;
    QComboBox* cboScale;
    QChartView* chvPrices;
    QTableWidget* tblEvidence;
    QLabel* lblVerdict;
    QLabel* lblProjection;
    QProgressBar* prgLoad;

    // Reads a file as Open does (without the dialog). false, with a message box, when
    // the file is refused; the window then keeps the history it had.
    bool LoadFile(const QString& path);
    // As a click on the marker of swings()[index].
    void SelectSwing(int index);

    const std::optional<PriceHistory>& history() const { return m_history; }
    const std::vector<Swing>& swings() const { return m_swings; }
    const Evidence& evidence() const { return m_evidence; }
    // The projected prices and dates drawn over the chart.
    const std::vector<double>& projectedPrices() const { return m_levelPrices; }
    const std::vector<QDate>& projectedDates() const { return m_levelDates; }

signals:
    // The older swing is Price1/Date1.
    void FibonacciRequested(double price1, const QDate& date1, double price2, const QDate& date2);
    // The price as it goes into the Gann price box (scaled when the scale says so).
    void GannRequested(const QString& priceText, const QDate& date);

public slots:
    void cmdOpen_Click();

private:
    void CreateControls();
    void CreateChart();
    void CreateEvidenceControls();
    void LayOutControls();
    // The swing whose marker lies within a few pixels of a point on the chart, the
    // nearest where several do.
    std::optional<int> SwingNear(const QPointF& at) const;
    void ShowHistory(PriceHistory history);
    void FindSwingsAgain();
    void DrawPrices();
    void DrawSwingMarkers();
    void DrawLevels();
    void ShowEvidence();
    void ProjectGannFrom(const Swing& swing);
    void ProjectFibonacciFrom(const Swing& older, const Swing& newer);
    void ShowProblem(const QString& text);
    PriceScaleChoice ScaleChoice() const;

    QChart* m_chart;
    QDateTimeAxis* m_dateAxis;
    QValueAxis* m_priceAxis;
    QScatterSeries* m_highs = nullptr;
    QScatterSeries* m_lows = nullptr;
    QScatterSeries* m_selected = nullptr;

    std::optional<PriceHistory> m_history;
    std::vector<Swing> m_swings;
    Evidence m_evidence;
    std::vector<int> m_selection;   // indexes into m_swings, at most two
    std::vector<double> m_levelPrices;
    std::vector<QDate> m_levelDates;
    std::vector<QAbstractSeries*> m_levelLines;
    bool m_loading = false;

protected:
    void closeEvent(QCloseEvent* event) override;
};
