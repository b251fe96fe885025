#include "core/gann/gannproject.h"

#include "core/numbers/dates.h"
#include "core/numbers/modFunctions.h"
#include "core/files/projectfile.h"

#include <QRegularExpression>

QStringList GannProjectLines(const GannDocument& doc)
{
    QStringList lines;
    lines << QStringLiteral("NM=") + TrimBlanks(doc.projectName)
          << QStringLiteral("PR=") + TrimBlanks(doc.priceText)
          << QStringLiteral("DT=") + FormatShortDate(doc.date);
    // The notes' own line breaks become the file's line breaks.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n"));
    const QStringList notes = TrimBlanks(doc.notes).split(lineBreak);
    lines << QStringLiteral("NT=") + notes.first();
    for (int i = 1; i < notes.size(); ++i)
        lines << notes.at(i);
    return lines;
}

bool ApplyGannProjectLines(const FileLines& lines, GannDocument& doc)
{
    const auto onKey = [&doc](const QString& key, const QString& value) {
        if (key == QLatin1String("NM")) {
            doc.projectName = value;
        } else if (key == QLatin1String("PR")) {
            doc.priceText = value;   // read as a number only when calculating
        } else if (key == QLatin1String("DT")) {
            const std::optional<QDate> date = ParseFileDate(value);
            if (!date || !IsPickerDate(*date))
                return false;
            doc.date = *date;
        } else if (key == QLatin1String("NT")) {
            doc.notes = value;
        }
        return true;
    };
    const auto onNotesLine = [&doc](const QString& line) {
        // Appended in place: copying the whole notes for every further line made a
        // file with ten megabytes of notes take minutes to open.
        doc.notes += QStringLiteral("\r\n") + line;
    };
    return ReadProjectLines(lines, onKey, onNotesLine);
}
