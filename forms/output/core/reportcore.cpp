#include "forms/output/core/reports.h"

#include "modules/dates.h"
#include "modules/modFunctions.h"
#include "modules/numbers.h"
#include "platform/picturesurface.h"

#include <QStringList>

namespace {

const QString CrLf = QStringLiteral("\r\n");

// A Fibonacci input date counts unless it is the null date (not entered): a study of
// 1899 shows its dates like any other.
bool IsEnteredDate(const QDate& d)
{
    return d.isValid() && !IsNullDate(d);
}

QString ShortDateOrNothing(const QDate& d)
{
    return IsEnteredDate(d) ? FormatShortDate(d) : QString();
}

// A potential date prints whenever both dates were entered and it was computed, even
// one that falls on 1/1/1900.
QString PotentialDateOrNothing(const QDate& d, bool haveDates)
{
    return haveDates && d.isValid() ? FormatShortDate(d) : QString();
}

// A Gann potential date prints only after 1/1/1900: a calculation without a date
// leaves the null date in every angle.
QString AngleDateOrNothing(const QDate& d)
{
    return d.isValid() && d > NullDate() ? FormatMmDdYyyy(d) : QString();
}

// Without both dates there are no potential dates, whatever an earlier calculation
// left in the results.
bool HaveFibonacciDates(const FibonacciReportValues& v)
{
    return IsEnteredDate(v.Date1) && IsEnteredDate(v.Date2);
}

QString CellOrNothing(qint16 n)
{
    return n == 0 ? QString() : QString::number(n);
}

QString NameOrNothing(const QString& name)
{
    return name == ProjectNamePlaceholder ? QString() : name;
}

// Section heading with its rule: "Results" over "-------".
void AddHeading(QStringList& lines, const QString& heading)
{
    lines << heading << QString(heading.size(), QLatin1Char('-'));
}

// The notes box may hold bare line feeds (typed on any system or pasted); in the
// report every line ends in CR LF like the rest of the file.
QString JoinReport(const QStringList& lines, const QString& notes)
{
    return lines.join(CrLf) + CrLf + WithCrLf(notes) + CrLf;
}

int GannAngleCount(const GannReportValues& v)
{
    return qBound(0, int(v.AngleCount), 10);
}

// Nothing while the picker means "no date"; any date it can show prints.
QString GannInputDate(const GannReportValues& v)
{
    return v.InputDate.isValid() ? FormatMmDdYyyy(v.InputDate) : QString();
}

} // namespace

QString FibonacciReportText(const FibonacciReportValues& v)
{
    const bool haveDates = HaveFibonacciDates(v);
    QStringList lines;
    lines << QStringLiteral("Fibonacci Analysis") << QString()
          << QStringLiteral("Project Name: ") + NameOrNothing(v.ProjectName) << QString() << QString();
    AddHeading(lines, QStringLiteral("Input Values"));
    lines << QStringLiteral("Price1: ") + Format00(v.Price1)
          << QStringLiteral("Price2: ") + Format00(v.Price2)
          << QStringLiteral("Date1 : ") + ShortDateOrNothing(v.Date1)
          << QStringLiteral("Date2 : ") + ShortDateOrNothing(v.Date2) << QString() << QString();
    AddHeading(lines, QStringLiteral("Results"));
    lines << QString();
    AddHeading(lines, QStringLiteral("Potential Prices"));
    for (int i = 1; i <= 3; ++i)
        lines << QStringLiteral("Price%1: ").arg(i) + Format00(v.PotentialPrice[i]);
    lines << QString();
    AddHeading(lines, QStringLiteral("Potential Dates"));
    for (int i = 1; i <= 3; ++i)
        lines << QStringLiteral("Date%1: ").arg(i) + PotentialDateOrNothing(v.PotentialDate[i], haveDates);
    lines << QString();
    AddHeading(lines, QStringLiteral("Notes"));
    return JoinReport(lines, v.NotesText);
}

QString GannReportText(const GannReportValues& v)
{
    const int n = GannAngleCount(v);
    QStringList lines;
    lines << QStringLiteral("Gann Analysis") << QString()
          << QStringLiteral("Project Name: ") + NameOrNothing(TrimBlanks(v.ProjectText)) << QString()
          << QString();
    AddHeading(lines, QStringLiteral("Input Values"));
    lines << QStringLiteral("Price: ") + TrimBlanks(v.PriceText)
          << QStringLiteral("Date : ") + GannInputDate(v) << QString() << QString();
    AddHeading(lines, QStringLiteral("Results"));
    lines << QString();
    AddHeading(lines, QStringLiteral("Potential High Prices"));
    for (int k = 1; k <= n; ++k)
        lines << QStringLiteral("Price%1: ").arg(k) + CellOrNothing(v.PotentialHigh[k]);
    lines << QString();
    AddHeading(lines, QStringLiteral("Potential Low Prices"));
    for (int k = 1; k <= n; ++k)
        lines << QStringLiteral("Price%1: ").arg(k) + CellOrNothing(v.PotentialLow[k]);
    lines << QString();
    AddHeading(lines, QStringLiteral("Potential Dates"));
    for (int k = 1; k <= n; ++k)
        lines << QStringLiteral("Date%1: ").arg(k) + AngleDateOrNothing(v.AngleDate[k]);
    lines << QString();
    AddHeading(lines, QStringLiteral("Notes"));
    return JoinReport(lines, v.NotesText);
}

QString FibonacciReportBaseName(const QString& projectName)
{
    if (projectName.isEmpty() || projectName == ProjectNamePlaceholder)
        return QStringLiteral("FibonacciResults");
    return projectName;
}

QString GannReportBaseName(const QString& projectText)
{
    const QString name = TrimBlanks(projectText);
    if (name.isEmpty() || name == ProjectNamePlaceholder)
        return QStringLiteral("GannResults");
    return name;
}

TextBlock FibonacciTextBlock(const FibonacciReportValues& v)
{
    const bool haveDates = HaveFibonacciDates(v);
    TextBlock b;
    b << TextBlockLine{QStringLiteral("Project Name: ") + NameOrNothing(v.ProjectName), true, 0}
      << TextBlockLine{QStringLiteral("Input Values"), true}
      << TextBlockLine{QStringLiteral("Price1: ") + Format00(v.Price1)}
      << TextBlockLine{QStringLiteral("Price2: ") + Format00(v.Price2)}
      << TextBlockLine{QStringLiteral("Date1 : ") + ShortDateOrNothing(v.Date1)}
      << TextBlockLine{QStringLiteral("Date2 : ") + ShortDateOrNothing(v.Date2)}
      << TextBlockLine{QStringLiteral("Results"), true}
      << TextBlockLine{QStringLiteral("Potential Prices"), true};
    for (int i = 1; i <= 3; ++i)
        b << TextBlockLine{QStringLiteral("Price%1: ").arg(i) + Format00(v.PotentialPrice[i])};
    b << TextBlockLine{QStringLiteral("Potential Dates"), true};
    for (int i = 1; i <= 3; ++i)
        b << TextBlockLine{QStringLiteral("Date%1: ").arg(i) + PotentialDateOrNothing(v.PotentialDate[i], haveDates)};
    return b;
}

TextBlock GannTextBlock(const GannReportValues& v)
{
    const int n = GannAngleCount(v);
    TextBlock b;
    // The printed name keeps the blanks the trader typed; only the report trims them.
    b << TextBlockLine{QStringLiteral("Project Name: ") + NameOrNothing(v.ProjectText), true, 0}
      << TextBlockLine{QStringLiteral("Input Values"), true}
      << TextBlockLine{QStringLiteral("Price: ") + TrimBlanks(v.PriceText), false, 2}
      << TextBlockLine{QStringLiteral("Date : ") + GannInputDate(v)}
      << TextBlockLine{QStringLiteral("Results"), true}
      << TextBlockLine{QStringLiteral("Potential High Prices"), true};
    for (int k = 1; k <= n; ++k)
        b << TextBlockLine{QStringLiteral("Price%1: ").arg(k) + CellOrNothing(v.PotentialHigh[k])};
    b << TextBlockLine{QStringLiteral("Potential Low Prices"), true};
    for (int k = 1; k <= n; ++k)
        b << TextBlockLine{QStringLiteral("Price%1: ").arg(k) + CellOrNothing(v.PotentialLow[k])};
    b << TextBlockLine{QStringLiteral("Potential Dates"), true};
    for (int k = 1; k <= n; ++k)
        b << TextBlockLine{QStringLiteral("Date%1: ").arg(k) + AngleDateOrNothing(v.AngleDate[k])};
    return b;
}

TextBlockPlacement FibonacciPlacement(int timeAxisRight, int priceAxisTop)
{
    TextBlockPlacement at;
    at.extraWidth = 2500;
    at.left = timeAxisRight + 200;
    at.top = priceAxisTop + 200;
    at.gap = 150;
    return at;   // the tick-label font and black, as the chart drawing leaves them
}

TextBlockPlacement GannPlacement(Layout layout, int boxWidth)
{
    const bool compact = layout == Layout::Compact;
    TextBlockPlacement at;
    at.extraWidth = 3500;
    at.left = boxWidth + 200;
    at.top = compact ? 500 : 1000;
    at.gap = compact ? 60 : 100;
    at.ownFont = true;
    at.fontName = QStringLiteral("verdana");
    at.fontPoints = compact ? 7 : 8;
    return at;
}

void WriteTextBlock(PictureSurface& surface, const TextBlock& block, const TextBlockPlacement& at)
{
    surface.setCurrentX(at.left);
    surface.setCurrentY(at.top);
    if (at.ownFont) {
        surface.setFont(at.fontName, at.fontPoints);
        surface.setForeColor(Qt::black);
    }
    for (const TextBlockLine& line : block) {
        for (int i = 0; i < line.advancesBefore; ++i) {
            surface.setCurrentX(at.left);
            surface.setCurrentY(surface.currentY() + at.gap);
        }
        surface.setFontUnderline(line.underline);
        surface.print(line.text);
    }
}

int ComposeChartPicture(PictureSurface& surface, const TextBlock& block,
                        const TextBlockPlacement& at, const ResizeBox& resize)
{
    const int width = surface.widthTwips();
    const int height = surface.heightTwips();
    if (resize)
        resize(width + at.extraWidth, height);
    else
        surface.setSizeTwips(width + at.extraWidth, height);
    WriteTextBlock(surface, block, at);
    surface.keepPicture();
    return width;
}
