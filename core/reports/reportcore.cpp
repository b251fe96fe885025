#include "core/reports/reports.h"

#include "core/numbers/dates.h"
#include "core/numbers/modFunctions.h"
#include "core/numbers/numbers.h"
#include "core/drawing/picturesurface.h"

#include <QPair>
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

// What the exported report and the text block printed beside the chart both show, in
// their order: the project's name, the inputs, then each list of results under its
// heading. Each analysis says once what it shows; the two layouts below say how.
struct ReportContent {
    QString reportName;    // the project name as the report shows it
    QString printedName;   // ... and as the printed block shows it
    QStringList inputs;    // "Price1: 100.00", "Date1 : 1/5/2004", ...
    int printedInputsAdvance = 1;   // lines the printed block moves down before the first input
    QList<QPair<QString, QStringList>> results;   // "Potential Prices" over "Price1: 130.90", ...
};

// "Price1: 130.90" to "PriceN: ...": the label numbered from 1 beside each value.
template <class Value>
QStringList NumberedLines(const char* label, int count, Value valueText)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines << QStringLiteral("%1%2: ").arg(QLatin1String(label)).arg(k) + valueText(k);
    return lines;
}

ReportContent FibonacciContent(const FibonacciReportValues& v)
{
    const bool haveDates = HaveFibonacciDates(v);
    ReportContent c;
    c.reportName = c.printedName = NameOrNothing(v.ProjectName);
    c.inputs << QStringLiteral("Price1: ") + Format00(v.Price1) << QStringLiteral("Price2: ") + Format00(v.Price2)
             << QStringLiteral("Date1 : ") + ShortDateOrNothing(v.Date1)
             << QStringLiteral("Date2 : ") + ShortDateOrNothing(v.Date2);
    c.results << qMakePair(QStringLiteral("Potential Prices"),
                           NumberedLines("Price", 3, [&](int i) { return Format00(v.PotentialPrice[i]); }))
              << qMakePair(QStringLiteral("Potential Dates"), NumberedLines("Date", 3, [&](int i) {
                               return PotentialDateOrNothing(v.PotentialDate[i], haveDates);
                           }));
    return c;
}

ReportContent GannContent(const GannReportValues& v)
{
    const int n = GannAngleCount(v);
    ReportContent c;
    // The printed name keeps the blanks the trader typed; only the report trims them.
    c.reportName = NameOrNothing(TrimBlanks(v.ProjectText));
    c.printedName = NameOrNothing(v.ProjectText);
    c.inputs << QStringLiteral("Price: ") + TrimBlanks(v.PriceText) << QStringLiteral("Date : ") + GannInputDate(v);
    c.printedInputsAdvance = 2;
    c.results << qMakePair(QStringLiteral("Potential High Prices"),
                           NumberedLines("Price", n, [&](int k) { return CellOrNothing(v.PotentialHigh[k]); }))
              << qMakePair(QStringLiteral("Potential Low Prices"),
                           NumberedLines("Price", n, [&](int k) { return CellOrNothing(v.PotentialLow[k]); }))
              << qMakePair(QStringLiteral("Potential Dates"),
                           NumberedLines("Date", n, [&](int k) { return AngleDateOrNothing(v.AngleDate[k]); }));
    return c;
}

// The exported report: the title, each part under a ruled heading with blank lines
// between, and the notes last.
QString ReportText(const QString& title, const ReportContent& c, const QString& notes)
{
    QStringList lines;
    lines << title << QString() << QStringLiteral("Project Name: ") + c.reportName << QString() << QString();
    AddHeading(lines, QStringLiteral("Input Values"));
    lines << c.inputs << QString() << QString();
    AddHeading(lines, QStringLiteral("Results"));
    lines << QString();
    for (const auto& [heading, values] : c.results) {
        AddHeading(lines, heading);
        lines << values << QString();
    }
    AddHeading(lines, QStringLiteral("Notes"));
    return JoinReport(lines, notes);
}

// The block printed beside the chart: headings underlined, no rules, no notes.
TextBlock PrintedBlock(const ReportContent& c)
{
    TextBlock b;
    b << TextBlockLine{QStringLiteral("Project Name: ") + c.printedName, true, 0}
      << TextBlockLine{QStringLiteral("Input Values"), true};
    for (int i = 0; i < c.inputs.size(); ++i)
        b << TextBlockLine{c.inputs[i], false, i == 0 ? c.printedInputsAdvance : 1};
    b << TextBlockLine{QStringLiteral("Results"), true};
    for (const auto& [heading, values] : c.results) {
        b << TextBlockLine{heading, true};
        for (const QString& line : values)
            b << TextBlockLine{line};
    }
    return b;
}

} // namespace

QString FibonacciReportText(const FibonacciReportValues& v)
{
    return ReportText(QStringLiteral("Fibonacci Analysis"), FibonacciContent(v), v.NotesText);
}

QString GannReportText(const GannReportValues& v)
{
    return ReportText(QStringLiteral("Gann Analysis"), GannContent(v), v.NotesText);
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

TextBlock FibonacciTextBlock(const FibonacciReportValues& v) { return PrintedBlock(FibonacciContent(v)); }

TextBlock GannTextBlock(const GannReportValues& v) { return PrintedBlock(GannContent(v)); }

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
