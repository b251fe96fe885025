#include "core/reports/clipboardtext.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

namespace {

QStringList Lines(const QString& listing)
{
    QStringList lines = listing.split(QRegularExpression(QStringLiteral("\r?\n")));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    return lines;
}

QList<int> ColumnStarts(const QString& heading)
{
    QList<int> starts{0};
    static const QRegularExpression gapThenWord(QStringLiteral("  +(?=\\S)"));
    for (auto it = gapThenWord.globalMatch(heading); it.hasNext();)
        starts << int(it.next().capturedEnd());
    return starts;
}

bool IsRule(const QString& line)
{
    return !line.trimmed().isEmpty() && QString(line).remove(QLatin1Char('-')).trimmed().isEmpty();
}

} // namespace

QString TabSeparatedTable(const QString& listing)
{
    const QStringList lines = Lines(listing);
    if (lines.isEmpty()) return QString();
    const QList<int> starts = ColumnStarts(lines.first());
    QStringList rows;
    for (const QString& line : lines) {
        if (IsRule(line)) continue;
        QStringList cells;
        for (int i = 0; i < starts.size(); ++i) {
            const int end = i + 1 < starts.size() ? starts[i + 1] : line.size();
            cells << line.mid(starts[i], end - starts[i]).trimmed();
        }
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString ResultsForClipboard(const QString& pricesTitle, const QString& prices,
                            const QString& datesTitle, const QString& dates)
{
    QStringList parts;
    for (const auto& [title, listing] : {std::pair{pricesTitle, prices}, std::pair{datesTitle, dates}}) {
        const QString table = TabSeparatedTable(listing);
        if (table.count(QLatin1Char('\n')) > 1)   // more than the heading
            parts << title + QLatin1Char('\n') + table;
    }
    return parts.join(QLatin1Char('\n'));
}
