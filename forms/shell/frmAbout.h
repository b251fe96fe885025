// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QString>

// The disclaimer the main menu shows and the About box repeats.
QString ProgramDisclaimer();

// About Marlowind - Tessaray: the version, what the program does, that it is for
// education only, and its licence.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Shows the box modally over `parent`.
    static void ShowAbout(QWidget* parent);
};
