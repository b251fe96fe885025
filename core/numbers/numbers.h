#pragma once
#include <QString>
#include <QtGlobal>
#include <optional>

// Number semantics the results depend on. Everything here is locale-free:
// the decimal point is always ".".

// Lenient reading of a text box: blanks, tabs and line feeds are ignored anywhere,
// an optional sign, digits, one ".", an exponent (e/E with optional sign); reading
// stops at the first character that cannot continue the number; no number reads 0.
// *tooLarge is set when the number does not fit in a double (1e400); value is then +-inf.
double ReadLeadingNumber(const QString& text, bool* tooLarge = nullptr);

// Nearest integer with halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double x);
// Rounds to two decimals, halves to even: x*100 rounded, divided by 100.
double RoundTo2(double x);
// Int(x): the floor, also for negative x.
double IntFloor(double x);

// Conversion to 16- and 32-bit integers: nearest, halves to even, so a price or count
// exactly between two whole numbers rounds the same way in the windows, the files and
// the tool; std::nullopt when the result does not fit (an overflow to report).
std::optional<qint16> ToInt16(double x);
std::optional<qint32> ToInt32(double x);
// The same, for a count that must fit: throws CalcError(message) when it does not.
qint16 ToInt16OrThrow(double x, const QString& message);
qint32 ToInt32OrThrow(double x, const QString& message);

// "General number form": 15 significant digits, no trailing zeros or point;
// plain decimal for exponents -5..14, else d.dddE+XX / d.dddE-XX.
QString GeneralNumber(double x);
// Pattern "0.00": rounded half-even to two decimals, never "-0.00".
QString Format00(double x);

// Strict reading of a number in a project or settings file: optional blanks,
// optional sign, digits, optional "." and digits, optional exponent; nothing else.
std::optional<double> ParseFileNumber(const QString& text);
