#pragma once
#include "core/history/evidence.h"
#include "core/history/pricehistory.h"
#include "core/history/swingprojection.h"
#include "forms/history/evidencepanel.h"
#include "forms/history/pricechart.h"
#include "forms/history/pricefiles.h"

#include <QHash>
#include <QWidget>
#include <functional>
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

// The "Price History" window: a trader's price file, its swings and what the two
// analyses project from them.
//
// How a history travels: Open reads the file and finds its swings at the threshold in
// force on a worker thread (a progress bar shows when that takes longer than a blink);
// the chart (PriceChart) then shows the whole history while the evidence (EvidencePanel)
// is measured on a thread of its own: the real swings fill the table, then a thousand
// surrogate histories add the comparison with chance and its plots. A new
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
    QComboBox* cboFile;       // the file the chart shows, when several are open
    QLabel* lblFile;
    QLineEdit* txtThreshold;
    QComboBox* cboSwings;
    QLineEdit* txtRatios;
    QComboBox* cboScale;
    QCheckBox* chkLogScale;
    PriceChart* pbPrices;
    // The evidence panel's controls, named as the window's own.
    QComboBox* cboEvidence;
    QTableWidget* tblEvidence;
    QAction* actCopyEvidence;
    QLabel* lblVerdict;
    EvidencePlots* pbChance;
    QLabel* lblProjection;
    QProgressBar* prgLoad;

    // Reads files as Open does (without the dialog), all of them or none: false, with a
    // message box, when one is refused; the window then keeps the histories it had. A
    // file whose dates all read day first and month first asks which is meant.
    bool LoadFiles(const QStringList& paths);
    bool LoadFile(const QString& path) { return LoadFiles({path}); }
    int fileCount() const { return int(m_files.size()); }
    // Shows file `index` (in the order opened) in the chart, as picking it does.
    void ShowFile(int index);
    // As a click on the marker of swings()[index].
    void SelectSwing(int index);

    // The history the chart shows, and its swings.
    const PriceHistory* history() const;
    const std::vector<Swing>& swings() const;
    // The evidence the table shows: all files pooled (the one file's when there is
    // one), or the file picked above the table.
    const Evidence& evidence() const;
    const PooledEvidence& allEvidence() const { return m_evidencePanel->allEvidence(); }
    // While true, evidence() and the table still show the last measurement (or the real
    // swings' part of the one in hand).
    bool measuringEvidence() const { return m_evidencePanel->measuring(); }
    double threshold() const { return m_threshold; }
    // What the swings of the history shown are found on: the trader's choice where the
    // file has a High and a Low on every row, closes otherwise.
    SwingBasis swingBasis() const;
    // The ratios the history is measured and drawn with: typed, or the program's three.
    std::optional<HistoryRatios> ratiosInForce(QString* problem = nullptr) const;
    // The projected prices and dates drawn over the chart.
    std::vector<double> projectedPrices() const;
    std::vector<QDate> projectedDates() const;

signals:
    // The hand-overs to the analysis windows. A receiver answers whether its window
    // took the swings: false when the trader kept the document it had there (Cancel at
    // "Save Changes?", or a save that failed), and this window then changes nothing.
    // With no receiver the projection is this window's alone and is drawn.
    // The older swing is Price1/Date1.
    bool FibonacciRequested(double price1, const QDate& date1, double price2, const QDate& date2);
    // The price as it goes into the Gann price box (scaled when the scale says so).
    bool GannRequested(const QString& priceText, const QDate& date);

public slots:
    void cmdOpen_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void LayOutControls();
    QWidget* ScrolledEvidence();
    void RunInBackground(const std::function<void()>& work);
    void ShowFileChoices();
    void ShowShownFile();
    void ApplyWhenTyped(QLineEdit* box, void (frmPriceHistory::*apply)(bool));
    void RefuseTyped(QLineEdit* box, bool aloud, const QString& message);
    void ApplyThreshold(bool refuseAloud);
    void ApplyRatios(bool refuseAloud);
    void ApplySwingBasis();
    void ShowSwingBasis();
    SwingRule SwingRuleInForce() const;
    void ShowRatiosInForce();
    void FindSwingsAgain();
    void ProjectAndMeasureAgain();
    void MeasureEvidenceLater();
    bool ProjectSelection(bool announce);
    bool ProjectGannFrom(const Swing& swing, bool announce);
    bool ProjectFibonacciFrom(const Swing& older, const Swing& newer, bool announce);
    template <typename Signal, typename... Args>
    bool HandOver(Signal signal, Args&&... args);
    void ProjectExtensionFrom(const Swing& a, const Swing& b, const Swing& c);
    void AddRatioLevels(const HistoryRatios& ratios, const ProjectedLevels& levels);
    void ShowStatus();
    PriceScaleChoice ScaleChoice() const;

    using OpenFile = OpenPriceFile;
    std::vector<OpenFile> m_files;
    int m_shown = 0;                // the file the chart shows
    EvidencePanel* m_evidencePanel;
    double m_threshold = DefaultSwingThreshold;
    SwingBasis m_basisChoice = SwingBasis::HighLow;   // closes for files without a High and a Low
    const ProgramRatios& m_programRatios;
    std::optional<HistoryRatios> m_typedRatios;   // none: the program's ratios
    std::vector<int> m_selection;   // indexes into swings(), at most three
    std::vector<ChartLevel> m_levelPrices, m_levelDates;
    QString m_projection;           // what the selection projected, for the status line
    QHash<QLineEdit*, QString> m_refused;   // refused aloud once; Tab after Enter does not repeat it
    bool m_busy = false;
};
