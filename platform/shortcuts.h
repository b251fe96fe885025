// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QKeySequence>
#include <QString>
#include <functional>

class QAbstractButton;
class QWidget;

// What every window can reach from the keyboard, whichever window has the focus.
// The main menu fills these in when it opens; a window made without it (a test, a
// documentation run) finds them empty and its keys do nothing.
struct ProgramActions {
    std::function<void()> showMainMenu;  // Ctrl+M: the main menu in front
    // F1: the user guide, open at the heading of the window's own section ("5.1 The
    // Fibonacci window"); an empty heading leaves the guide where it is.
    std::function<void(const QString& heading)> showGuide;
    std::function<void()> exitProgram;       // Ctrl+Q: the main menu's Exit
    std::function<void()> showPriceHistory;  // Ctrl+H: the Price History window
};
ProgramActions& programActions();

// F1 (the guide at `guideHeading`), Ctrl+M, Ctrl+Q and Ctrl+H on `window`.
void AddProgramShortcuts(QWidget* window, const QString& guideHeading = QString());

// `key` presses `button` (only while it is enabled, as a click would), and the
// button's tooltip names the key: "Save the project (Ctrl+S)".
void AddButtonShortcut(QWidget* window, QAbstractButton* button, const QKeySequence& key, const QString& purpose);

// A button caption without its access-key marks: "Export &Results" -> "Export Results".
QString PlainCaption(const QString& caption);
