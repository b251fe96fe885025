// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/fibrun.h"

#include "app/cli/clifiles.h"
#include "app/cli/jsonout.h"
#include "core/fibonacci/fibonaccichart.h"
#include "core/fibonacci/fibonaccifile.h"
#include "core/fibonacci/fibonaccilisting.h"
#include "core/reports/reportvalues.h"
#include "core/numbers/errors.h"
#include "core/numbers/numbers.h"
#include "core/drawing/fonts.h"
#include "core/drawing/picturesurface.h"

std::optional<CliFailure> FibonacciRatiosFor(const CliOptions& options, const QString& programDir,
                                             FibRatios& ratios, QStringList* warnings)
{
    if (options.ratios) {
        if (const std::optional<QString> problem = RatiosProblem(*options.ratios))
            return CliFailure{ExitRejected, *problem};
        ratios = *options.ratios;
        return std::nullopt;
    }
    // As at start-up: the ratios are 0 until the file sets them, and a file that is
    // missing or holds a bad value gives the classic three.
    ratios = FibRatios{0, 0, 0};
    const QString path = SettingsPathFor(programDir);
    QStringList found;
    ReadRatiosFile(path, ratios, &found);
    if (warnings) {
        for (const QString& w : found)
            *warnings << EscapeControls(path) + QStringLiteral(": ") + w;
    }
    return std::nullopt;
}

std::optional<CliFailure> RunFibonacci(const CliOptions& o, FibonacciRun& run)
{
    // The window as it loads, or as it stands after Open has read a project.
    if (o.project) {
        QString problem;
        const std::optional<QString> text = ReadTextFile(*o.project, &problem);
        if (!text || !ApplyFibProjectLines(FileLines(*text), run.state.document))
            return ProjectFailure(*o.project, problem);
    }
    run.inputs = InputsShowing(run.state.document, run.today);

    // The options are what the trader then types over the controls.
    TypeOver(run.inputs.Price1Text, o.price1);
    TypeOver(run.inputs.Price2Text, o.price2);
    TypeOver(run.inputs.Picker1, o.date1);
    TypeOver(run.inputs.Picker2, o.date2);
    TypeOver(run.inputs.ProjectText, o.name);
    if (o.notes)
        run.inputs.NotesText = WithCrLf(*o.notes);

    return FailureOf(CalculateFibonacci(run.inputs, run.today, run.ratios, run.state));
}

qint32 FibonacciChartHalfSize(const QSize& screenPixels)
{
    return FibonacciChartHalf(WindowHeightTwips(screenPixels));
}

FibonacciReportValues FibonacciValues(const FibonacciRun& run)
{
    return FibonacciReportValuesOf(run.state, run.inputs.NotesText);
}

namespace {

// The window's ratio column is 12 characters wide and cuts a longer ratio, so that
// 1e-320 would read 9.9998886718 and 0.123456789012345 would run into its price. A
// script gets such a ratio whole and a blank before its result; a ratio that fits
// leaves the caption as the window shows it.
QString WithWholeRatios(const QString& caption, const FibRatios& ratios)
{
    constexpr int Column = 12;
    QStringList lines = caption.split(QStringLiteral("\r\n"));
    const double r[3] = {ratios.r1, ratios.r2, ratios.r3};
    for (int i = 0; i < 3 && i + 2 < lines.size(); ++i) {
        const QString ratio = GeneralNumber(r[i]);
        if (ratio.size() >= Column)
            lines[i + 2] = ratio + QLatin1Char(' ') + lines[i + 2].mid(Column);
    }
    return lines.join(QStringLiteral("\r\n"));
}

QString FibonacciPriceListing(const FibonacciRun& run)
{
    return WithWholeRatios(PriceListing(run.state, run.ratios), run.ratios);
}

QString FibonacciDateListing(const FibonacciRun& run)
{
    return WithWholeRatios(DateListing(run.state, run.ratios), run.ratios);
}

QString FibonacciListing(const FibonacciRun& run)
{
    return JoinListings(FibonacciPriceListing(run), FibonacciDateListing(run));
}

QString FibonacciReport(const FibonacciRun& run) { return FibonacciReportText(FibonacciValues(run)); }

// Only the null date means "not entered"; a date before it is a real one.
QByteArray DateOrNull(const QDate& d, bool computed = true)
{
    return computed && d.isValid() && !IsNullDate(d) ? JsonDate(d) : JsonNull();
}

QByteArray FibonacciJson(const FibonacciRun& run)
{
    const FibonacciState& s = run.state;
    const bool prices = s.document.HasPrices();
    const bool dates = s.document.HasDates();
    const bool months = dates && s.scale.DateAxisMode == DateTickUnit::Months;
    const bool days = dates && s.scale.DateAxisMode == DateTickUnit::Days;

    std::vector<QByteArray> potentialPrices, potentialDates;
    for (int i = 1; i <= 3; ++i) {
        potentialPrices.push_back(prices ? JsonNumber(s.results.PotentialPrice[i]) : JsonNull());
        potentialDates.push_back(DateOrNull(s.results.PotentialDate[i], dates && i <= s.results.DateLevelCount));
    }

    // A price of 0 and the null date are how the window says "not entered".
    JsonObject o;
    o.add(QStringLiteral("Price1"), s.document.Price1 != 0 ? JsonNumber(s.document.Price1) : JsonNull())
        .add(QStringLiteral("Price2"), s.document.Price2 != 0 ? JsonNumber(s.document.Price2) : JsonNull())
        .add(QStringLiteral("Date1"), DateOrNull(s.document.Date1))
        .add(QStringLiteral("Date2"), DateOrNull(s.document.Date2))
        .add(QStringLiteral("PotentialPrice"), JsonArray(potentialPrices))
        .add(QStringLiteral("PotentialDate"), JsonArray(potentialDates))
        .add(QStringLiteral("ChartMinPrice"), prices ? JsonNumber(s.scale.ChartMinPrice) : JsonNull())
        .add(QStringLiteral("ChartMaxPrice"), prices ? JsonNumber(s.scale.ChartMaxPrice) : JsonNull())
        .add(QStringLiteral("PriceStep"), prices ? JsonNumber(s.scale.PriceStep) : JsonNull())
        .add(QStringLiteral("PriceSteps"), prices ? JsonInteger(s.scale.PriceSteps) : JsonNull())
        .add(QStringLiteral("DateAxisMode"),
             dates ? JsonString(DateTickUnitCode(s.scale.DateAxisMode)) : JsonNull())
        .add(QStringLiteral("ChartStartDate"), DateOrNull(s.scale.ChartStartDate, dates))
        .add(QStringLiteral("ChartEndDate"), DateOrNull(s.scale.ChartEndDate, dates))
        .add(QStringLiteral("MonthStep"), months ? JsonInteger(s.scale.MonthStep) : JsonNull())
        .add(QStringLiteral("MonthSteps"), months ? JsonInteger(s.scale.MonthSteps) : JsonNull())
        .add(QStringLiteral("DayStep"), days ? JsonInteger(s.scale.DayStep) : JsonNull())
        .add(QStringLiteral("DaySteps"), days ? JsonInteger(s.scale.DaySteps) : JsonNull())
        .add(QStringLiteral("lblPrices"), JsonString(FibonacciPriceListing(run)))
        .add(QStringLiteral("lblDates"), JsonString(FibonacciDateListing(run)))
        .add(QStringLiteral("report"), JsonString(FibonacciReport(run)));
    return o.text() + '\n';
}

QImage FibonacciChartPicture(const FibonacciRun& run)
{
    InstallFontSubstitutes();
    const qint32 half = FibonacciChartHalfSize(run.screen);
    PictureSurface pb(CliTwipsPerPixel);
    pb.setSizeTwips(2 * half, 2 * half);

    // The window draws its empty chart when it loads; Calculate erases the box and
    // draws the results. The same two steps leave the surface in the same font and
    // colours, which the text block then writes in.
    ::DrawChart(pb, FibonacciState(), run.layout);
    pb.setPictureNone();
    pb.cls();
    const FibChartGeometry g = ::DrawChart(pb, run.state, run.layout);

    ComposeChartPicture(pb, FibonacciTextBlock(FibonacciValues(run)),
                        FibonacciPlacement(g.axes.TimeAxisRight, g.axes.PriceAxisTop));
    return pb.picture();
}

}  // namespace

const RunOutputs<FibonacciRun> FibonacciOutputs = {FibonacciListing, FibonacciReport, FibonacciJson,
                                                   FibonacciChartPicture};
