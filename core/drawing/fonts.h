#pragma once
#include <QFont>
#include <QString>

// The windows and charts name Windows fonts ("Verdana", "Lucida Console",
// "MS Sans Serif", "Arial"). Where a font is not installed it is replaced by a free
// font of the same kind; "Lucida Console" always by a fixed-width one, because the
// results lists line their columns up by character count.
// Safe to call more than once; needs a QGuiApplication.
void InstallFontSubstitutes();

// The family a Windows font name is drawn with on this machine.
QString ResolvedFontFamily(const QString& name);

// A font by the Windows name the windows were designed with ("Lucida Console") and its
// size in points, so the layouts keep their measures; the substitutes are installed
// first when a QGuiApplication runs.
QFont MakeFont(const QString& name, double points, bool bold = false, bool underline = false);
