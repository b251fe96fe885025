#pragma once
#include <QString>
#include <QStringView>

// A piece of someone else's text (a cell of a price file, a value on the command line)
// put into a message: in double quotes, at most QuotedTextLimit characters followed by
// "…" when there is more, and every control character shown as \xNN, so a line feed, an
// escape sequence or a megabyte of junk cannot break or flood the message it sits in.
constexpr int QuotedTextLimit = 40;

QString QuotedText(QStringView text);
