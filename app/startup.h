#pragma once
// The program's start, shared by the program and the start-up benchmark so that what
// is measured is what a user starts.
#include "forms/shell/frmMain.h"
#include "core/drawing/fonts.h"

#include <QApplication>
#include <QIcon>

// Names the running application, gives it its icon and fonts, and shows the main menu,
// which deletes itself when closed.
inline frmMain* ShowMainMenu()
{
    QApplication::setApplicationName(QStringLiteral("Marlowind - Tessaray"));
    // The menu entry's icon in every title bar and task bar, installed or not.
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/tessaray-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QApplication::setDesktopFileName(QStringLiteral("tessaray"));
    InstallFontSubstitutes();
    // Every window's default font, as the windows were designed with it.
    QApplication::setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));

    auto* menu = new frmMain();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->show();
    return menu;
}
