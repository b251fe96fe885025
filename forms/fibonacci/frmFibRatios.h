#pragma once
#include <QDialog>

class ProgramRatios;
class QLabel;
class QPushButton;
class TextBox;

// The ratios dialog. It shows the ratios in force (not the file), checks a new set,
// puts it in force for later calculations and writes it to the settings file.
// Results already on screen are not recomputed: the trader presses Calculate again.
class frmFibRatios : public QDialog {
    Q_OBJECT
public:
    explicit frmFibRatios(ProgramRatios& ratios, QWidget* parent = nullptr);

    QLabel* lblRatio1;
    QLabel* lblRatio2;
    QLabel* lblRatio3;
    TextBox* txtRatio1;
    TextBox* txtRatio2;
    TextBox* txtRatio3;
    QPushButton* cmdDefault;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

public slots:
    void cmdDefault_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    void CreateControls();
    void ShowRatios();
    void NameForScreenReaders();
    bool RatiosInvalid();
    void SaveRatios();

    ProgramRatios& m_ratios;
};
