#pragma once
#include "core/history/evidence.h"
#include "forms/history/evidenceplots.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QTableWidget;
class QThread;

// The evidence beside the price chart, top down: how projections from earlier swings
// met the next swing, as a table with the kinds of projection side by side, the
// sentences that weigh it and the plots of it against chance. With several files open
// it shows them pooled or one of them. The window says what to measure; the panel
// measured on a thread of its own, and copies the table whole for a spreadsheet.
class EvidencePanel : public QWidget {
    Q_OBJECT
public:
    explicit EvidencePanel(QWidget* parent = nullptr);
    ~EvidencePanel() override;

    QComboBox* cboEvidence;   // all files pooled, or one of them, when several are open
    QTableWidget* tblEvidence;
    QAction* actCopyEvidence;
    QLabel* lblVerdict;
    EvidencePlots* pbChance;

    // The files open, by name, in the order opened: the choice between them shows only
    // when there is one to make.
    void SetFiles(const QStringList& fileNames);
    // Whether a new measurement may start now. While one runs it is told to stop,
    // false is returned, and measurementDue follows once it has stopped.
    bool ReadyToMeasure();
    // Measures `histories` as `request` says on a thread of its own: the real swings
    // first, which fill the table, then the surrogates, which add the comparison with
    // chance and the plots.
    void Measure(std::vector<std::shared_ptr<const PriceHistory>> histories, EvidenceRequest request);
    // While true, evidence() and the table still show the last measurement (or the real
    // swings' part of the one in hand).
    bool measuring() const { return m_worker != nullptr; }
    // A measurement, or why there is none.
    void ShowEvidence(const PooledEvidence& evidence, const QString& problem);
    // The evidence the table shows: all files pooled (the one file's when there is
    // one), or the file picked above the table.
    const Evidence& evidence() const;
    const PooledEvidence& allEvidence() const { return m_evidence; }

signals:
    // A measurement was asked for while another ran, which has now stopped.
    void measurementDue();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void LayOutControls();
    void ShowChosenEvidence();
    void CopyEvidence();

    PooledEvidence m_evidence;
    QString m_evidenceProblem;
    QThread* m_worker = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    bool m_due = false;   // asked for while a measurement ran
};
