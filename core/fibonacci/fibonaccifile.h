#pragma once
#include "core/fibonacci/fibonaccidocument.h"
#include "core/files/textfile.h"
#include <QString>
#include <QStringList>

// The ".fib" project file: six key lines NM, P1, P2, D1, D2, NT, the notes' further
// lines following the NT line on lines of their own. Numbers and dates are always
// written in US form (decimal point, m/d/yyyy) so files travel between machines.

inline const QString FibFileFilter = QStringLiteral("Fibonacci Project File| *.fib");

// The lines of the file for a document (without line ends).
QStringList FibProjectLines(const FibonacciDocument& document);

// Reads a file's lines into `document`, leniently: keys in any case with blanks around,
// any order, a second "=" cuts the value, lines without "=" continue the notes after an
// NT line and are ignored after any other key. Fields the file does not name keep their
// values. Returns false at the first value that is not a number or a date; fields read
// before it keep what was read.
bool ApplyFibProjectLines(const FileLines& lines, FibonacciDocument& document);

// Whole-file convenience for the window and the command-line tool. Saving goes through
// a temporary file, so a failed save leaves an existing file as it was.
bool SaveFibProject(const QString& path, const FibonacciDocument& document, QString* error = nullptr);
bool OpenFibProject(const QString& path, FibonacciDocument& document, QString* error = nullptr);
