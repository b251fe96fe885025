#pragma once
#include "forms/history/core/evidence.h"
#include "forms/history/core/pricehistory.h"
#include "forms/history/core/swingprojection.h"
#include "forms/history/evidenceplots.h"
#include "forms/history/pricechart.h"

#include <QHash>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ProgramRatios;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;

// The "Price History" window: a trader's price file, its swings and what the two
// analyses project from them.
//
// How a history travels: Open reads the file and finds its swings at the threshold in
// force on a worker thread (a progress bar shows when that takes longer than a blink);
// the chart (PriceChart) then shows the whole history while the evidence is measured on
// a thread of its own: the real swings fill the table, then a thousand surrogate
// histories add the comparison with chance and its plots (EvidencePlots). A new
// threshold (applied on Enter, Tab or a short pause in typing) finds the swings again
// the same way; it, new ratios (the history's own, typed, or the program's) and a new
// Gann price scale measure the evidence again; none of them moves the chart's view.
// Clicking a swing projects the Square of Nine from it and sends it to the Gann window;
// clicking a second projects Fibonacci from the two with the history's ratios and
// sends the two to the Fibonacci window, which uses its own three; a third draws the
// 3-point extension. The projected prices and dates are drawn as named lines over the
// prices. The projections run through the same calculations those windows run; the
// window only moves values and draws.
class frmPriceHistory : public QWidget {
    Q_OBJECT
public:
    // `ratios`: the program's three, which the history is drawn with until others are typed.
    explicit frmPriceHistory(const ProgramRatios& ratios, QWidget* parent = nullptr);
    ~frmPriceHistory() override;

    QPushButton* cmdOpen;
    QLabel* lblFile;
    QLineEdit* txtThreshold;
    QLineEdit* txtRatios;
    QComboBox* cboScale;
    QCheckBox* chkLogScale;
    PriceChart* pbPrices;
    QTableWidget* tblEvidence;
    QAction* actCopyEvidence;
    QLabel* lblVerdict;
    EvidencePlots* pbChance;
    QLabel* lblProjection;
    QProgressBar* prgLoad;

    // Reads a file as Open does (without the dialog). false, with a message box, when
    // the file is refused; the window then keeps the history it had.
    bool LoadFile(const QString& path);
    // As a click on the marker of swings()[index].
    void SelectSwing(int index);

    const PriceHistory* history() const { return m_history.get(); }
    const std::vector<Swing>& swings() const { return m_swings; }
    const Evidence& evidence() const { return m_evidence; }
    // While true, evidence() and the table still show the last measurement (or the real
    // swings' part of the one in hand).
    bool measuringEvidence() const { return m_evidenceWorker != nullptr; }
    double threshold() const { return m_threshold; }
    // The ratios the history is measured and drawn with: typed, or the program's three.
    std::optional<HistoryRatios> ratiosInForce(QString* problem = nullptr) const;
    // The projected prices and dates drawn over the chart.
    std::vector<double> projectedPrices() const;
    std::vector<QDate> projectedDates() const;

signals:
    // The older swing is Price1/Date1.
    void FibonacciRequested(double price1, const QDate& date1, double price2, const QDate& date2);
    // The price as it goes into the Gann price box (scaled when the scale says so).
    void GannRequested(const QString& priceText, const QDate& date);

public slots:
    void cmdOpen_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateEvidenceControls();
    void LayOutControls();
    void RunInBackground(const std::function<void()>& work);
    void ApplyWhenTyped(QLineEdit* box, void (frmPriceHistory::*apply)(bool));
    void RefuseTyped(QLineEdit* box, bool aloud, const QString& message);
    void ApplyThreshold(bool refuseAloud);
    void ApplyRatios(bool refuseAloud);
    void ShowRatiosInForce();
    void FindSwingsAgain();
    void ProjectAndMeasureAgain();
    void MeasureEvidenceLater();
    void ShowEvidence(const Evidence& evidence, const QString& problem);
    void CopyEvidence();
    void ProjectSelection(bool announce);
    void ProjectGannFrom(const Swing& swing, bool announce);
    void ProjectFibonacciFrom(const Swing& older, const Swing& newer, bool announce);
    void ProjectExtensionFrom(const Swing& a, const Swing& b, const Swing& c);
    void AddRatioLevels(const HistoryRatios& ratios, const ProjectedLevels& levels);
    void ShowStatus();
    void ShowProblem(const QString& text);
    PriceScaleChoice ScaleChoice() const;

    std::shared_ptr<const PriceHistory> m_history;
    std::vector<Swing> m_swings;
    Evidence m_evidence;
    double m_threshold = DefaultSwingThreshold;
    const ProgramRatios& m_programRatios;
    std::optional<HistoryRatios> m_typedRatios;   // none: the program's ratios
    std::vector<int> m_selection;   // indexes into m_swings, at most three
    std::vector<ChartLevel> m_levelPrices, m_levelDates;
    QString m_projection;           // what the selection projected, for the status line
    QHash<QLineEdit*, QString> m_refused;   // refused aloud once; Tab after Enter does not repeat it
    bool m_busy = false;
    QThread* m_evidenceWorker = nullptr;
    std::shared_ptr<std::atomic<bool>> m_evidenceCancel;
    bool m_evidenceDue = false;   // asked for while a measurement ran
};
