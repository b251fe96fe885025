#include "core/fibonacci/fibonaccifile.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"
#include "core/files/projectfile.h"
#include "core/files/textfile.h"
#include <QRegularExpression>

QStringList FibProjectLines(const FibonacciDocument& s)
{
    QStringList lines{
        QStringLiteral("NM=") + s.ProjectName,
        QStringLiteral("P1=") + GeneralNumber(s.Price1),
        QStringLiteral("P2=") + GeneralNumber(s.Price2),
        QStringLiteral("D1=") + FormatShortDate(s.Date1),
        QStringLiteral("D2=") + FormatShortDate(s.Date2),
    };
    // Notes keep their line breaks as lines of the file.
    const QStringList notes = s.Notes.split(QRegularExpression(QStringLiteral("\r?\n")));
    lines << QStringLiteral("NT=") + notes.first();
    for (int i = 1; i < notes.size(); ++i) lines << notes.at(i);
    return lines;
}

bool ApplyFibProjectLines(const FileLines& lines, FibonacciDocument& s)
{
    auto onKey = [&s](const QString& key, const QString& value) -> bool {
        if (key == QLatin1String("NM")) {
            s.ProjectName = value;
        } else if (key == QLatin1String("P1") || key == QLatin1String("P2")) {
            const std::optional<double> v = ParseFileNumber(value);
            if (!v) return false;
            (key == QLatin1String("P1") ? s.Price1 : s.Price2) = *v;
        } else if (key == QLatin1String("D1") || key == QLatin1String("D2")) {
            const std::optional<QDate> d = ParseFileDate(value);
            if (!d || !IsPickerDate(*d)) return false;
            (key == QLatin1String("D1") ? s.Date1 : s.Date2) = *d;
        } else if (key == QLatin1String("NT")) {
            s.Notes = value;
        }
        return true;
    };
    auto onNotesLine = [&s](const QString& line) { s.Notes += QStringLiteral("\r\n") + line; };
    return ReadProjectLines(lines, onKey, onNotesLine);
}

bool SaveFibProject(const QString& path, const FibonacciDocument& document, QString* error)
{
    return WriteTextLines(path, FibProjectLines(document), error);
}

bool OpenFibProject(const QString& path, FibonacciDocument& document, QString* error)
{
    const std::optional<QStringList> lines = ReadTextLines(path, error);
    if (!lines) return false;
    if (!ApplyFibProjectLines(*lines, document)) {
        if (error) *error = QStringLiteral("A value in the file is not a number or a date.");
        return false;
    }
    return true;
}
