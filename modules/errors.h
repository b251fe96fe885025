#pragma once
#include <stdexcept>
#include <QString>

// A calculation that cannot go on (a date past 12/31/9999, a count that no longer
// fits in 16 bits, a division by zero from hand-edited ratios). The text is the
// sentence shown to the trader; the window that catches it keeps its state as it was.
class CalcError : public std::runtime_error {
public:
    explicit CalcError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message) {}
    QString text;
};
