// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// The command line of the windowed program: `tessaray [FILE.fib|FILE.gann]`, and
// --help and --version, which are answered before Qt looks for a display so that they
// work on a terminal without one.

struct StartRequest {
    enum Kind { Start, Help, Version, UsageError };
    Kind kind = Start;
    QString projectFile;  // Start: the project to open, or empty for the main menu alone
    QString error;        // UsageError: what is wrong, in one line
};

// Reads the arguments after the program's name. Help and Version win wherever they
// stand. Before QApplication has taken Qt's own options (-platform, -style …) out of
// them, only those two answers are meant; afterwards every answer.
StartRequest ReadCommandLine(const QStringList& args);

// The text of --help, and of --version (the version and the licence).
QString UsageText();
QString VersionText();

// Whether Qt will find a screen: a display named by the environment, or a platform
// chosen by QT_QPA_PLATFORM or -platform. Without one Qt aborts with a page of plugin
// advice; the program says what is missing in one line instead.
bool DisplayAvailable(const QStringList& args);
