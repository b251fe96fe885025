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

// What a calculation came to, the same for both analyses: accepted (the state holds
// the new results), rejected (the inputs were refused) or failed (the calculation could
// not go on). For the last two, message is the sentence to show the trader. Windows
// show it; the command-line tool turns rejected and failed into its exit statuses.
struct CalcOutcome {
    enum Kind { Accepted, Rejected, Failed };
    Kind kind = Accepted;
    QString message;

    bool accepted() const { return kind == Accepted; }
};
