#pragma once
#include "core/files/textfile.h"

#include <QDate>
#include <QString>
#include <QStringList>

// A Gann project is what the window's four input controls hold; the results are
// never stored, opening a project calculates them again. The file, ".gann":
//   NM=<project name>
//   PR=<price as typed>
//   DT=<date, m/d/yyyy>
//   NT=<first line of the notes>
//   <further lines of the notes, without a key>
// Lines end in CR LF. Reading is lenient (the reader shared with ".fib"): keys in
// any case and order, blanks around "=", missing keys leave the control alone.

struct GannDocument {
    QString projectName;   // txtProject
    QString priceText;     // txtPrice, as typed
    QDate date;            // dtpInputDate
    QString notes;         // txtNotes; lines joined with CR LF
};

inline const QString GannProjectFilter = QStringLiteral("Gann Project File| *.gann");

// The lines of the file, without line ends.
QStringList GannProjectLines(const GannDocument& doc);

// Applies the lines to doc in file order. false when a value cannot be taken (a date
// that is not m/d/yyyy or m/d/yy, or that the date picker does not hold); doc then
// keeps what the lines before it had set, as the controls do in the window.
bool ApplyGannProjectLines(const FileLines& lines, GannDocument& doc);
