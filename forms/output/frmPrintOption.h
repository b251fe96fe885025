// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QtGlobal>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// Where the chart image goes: 0 nothing (cancelled), 1 a bitmap file, 2 the printer in
// monochrome, 3 the printer in colour. Both analysis windows ask this before printing.
//
// Every question opens a fresh dialog: File is chosen and the printer's colour options
// are greyed out. Choosing Printer always preselects Monochrome, since most desk
// printers of a trading room print black on white; the trader may switch to Color.
//
// The answer lives in SelectedOption, which outlives the dialog window. The title-bar
// close box sets nothing, so the question then answers what the previous one did.
class frmPrintOption : public QDialog {
    Q_OBJECT
public:
    explicit frmPrintOption(QWidget* parent = nullptr);

    // Shows the dialog modally and stores the choice into option when it has closed.
    static void GetOption(qint16& option);

    // Stays set after the dialog has closed; 0 before any use.
    static qint16 SelectedOption;

    // How GetOption holds the dialog open. Empty: QDialog::exec(). Tests script the
    // clicks here instead, so nothing waits for a person.
    using ModalRunner = std::function<void(frmPrintOption& dialog)>;
    static void setModalRunner(ModalRunner runner);

    // Controls, created in tab order.
    QLabel* lblTitle;
    QPushButton* cmdCancel;
    QGroupBox* fraPrinter;
    QRadioButton* OptMonochrome;
    QRadioButton* optColor;
    QRadioButton* optFile;
    QPushButton* cmdOk;
    QRadioButton* optPrinter;

public slots:
    void Form_Load();
    void optFile_Click();
    void optPrinter_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();

    static ModalRunner s_runner;
};
