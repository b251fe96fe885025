#include "core/history/pricelayout.h"

#include "core/history/pricecells.h"

#include <algorithm>
#include <initializer_list>

namespace {

// A column name as written, without case, blanks or angle brackets: " <Close> " and
// "CLOSE" are both "close".
QString NormalName(const QString& name)
{
    QString normal;
    for (const QChar c : name) {
        if (!c.isSpace() && c != QLatin1Char('<') && c != QLatin1Char('>') && c != QChar(0xFEFF))
            normal += c.toLower();
    }
    return normal;
}

// The first column bearing the first of `names` that the header has, in that order of
// preference; -1 when it has none.
int ColumnNamed(const QStringList& normalNames, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const qsizetype at = normalNames.indexOf(QString::fromUtf8(name));
        if (at >= 0)
            return int(at);
    }
    return -1;
}

}  // namespace

int PriceLayout::width() const
{
    return std::max({date, time, open, high, low, close}) + 1;
}

char DetectSeparator(std::string_view line)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
        else if (!quoted && c == '\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return ';';
    return tabs > commas ? '\t' : ',';
}

bool SplitCells(std::string_view line, char separator, int maxCells, std::vector<std::string_view>& cells,
                std::string& scratch)
{
    cells.clear();
    scratch.clear();
    scratch.reserve(line.size());   // no reallocation below, so the views stay valid
    size_t i = 0;
    const size_t n = line.size();
    while (int(cells.size()) < maxCells) {
        size_t j = i;
        while (j < n && line[j] != separator && line[j] != '"')
            ++j;
        if (j == n || line[j] == separator) {
            cells.push_back(line.substr(i, j - i));
        } else {
            const size_t from = scratch.size();
            scratch.append(line.data() + i, j - i);
            bool quoted = false;
            for (; j < n && (quoted || line[j] != separator); ++j) {
                const char c = line[j];
                if (c != '"')
                    scratch += c;
                else if (quoted && j + 1 < n && line[j + 1] == '"')
                    scratch += line[++j];
                else
                    quoted = !quoted;
            }
            if (quoted)
                return false;
            cells.push_back(std::string_view(scratch).substr(from));
        }
        if (j >= n)
            break;
        i = j + 1;
    }
    return true;
}

PriceLayout LayoutFromNames(const QStringList& names, char separator)
{
    QStringList normal;
    for (const QString& name : names)
        normal << NormalName(name);
    PriceLayout layout;
    layout.separator = separator;
    layout.date = ColumnNamed(normal, {"date", "datum", "datetime", "timestamp"});
    layout.time = ColumnNamed(normal, {"time", "zeit"});
    // A file with only a Time column (30-minute bars: "Time,Close") dates its rows by it.
    if (layout.date < 0)
        std::swap(layout.date, layout.time);
    // "Adj Close" is the close adjusted afterwards for dividends and splits, not a price
    // that was traded; it is never taken for the close.
    layout.close = ColumnNamed(normal, {"close", "schluss", "schlusskurs", "last", "price"});
    layout.open = ColumnNamed(normal, {"open", "eröffnung", "eroeffnung"});
    layout.high = ColumnNamed(normal, {"high", "hoch"});
    layout.low = ColumnNamed(normal, {"low", "tief"});
    return layout;
}

std::optional<PriceLayout> HeaderlessLayout(const std::vector<std::string_view>& cells, char separator)
{
    DateCell date;
    if (cells.size() < 6 || !ReadDateCell(cells[0], date) || ReadTimeCell(cells[1]) < 0)
        return std::nullopt;
    PriceLayout layout;
    layout.separator = separator;
    layout.date = 0;
    layout.time = 1;
    layout.open = 2;
    layout.high = 3;
    layout.low = 4;
    layout.close = 5;
    layout.headerless = true;
    return layout;
}
