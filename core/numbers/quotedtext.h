#pragma once
#include <QString>
#include <QStringView>

// Someone else's text (a cell of a price file, a value on the command line) put into a
// message: control characters shown as \xNN and at most QuotedTextLimit characters, then
// "…", so a line feed, an escape sequence or a megabyte of junk can neither break, drive
// nor flood the message box or the terminal it is shown in.
constexpr int QuotedTextLimit = 40;

// C0, DEL and C1 (which holds the eight-bit CSI some terminals obey) as \xNN; the rest whole.
QString EscapedControls(QStringView text);
// At most QuotedTextLimit characters, never half of one, then "…"; controls escaped.
QString ShortenedText(QStringView text);
// The same in double quotes.
QString QuotedText(QStringView text);
