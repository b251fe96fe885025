#include "app/cli/fibrun.h"

#include "app/cli/clifiles.h"
#include "app/cli/jsonout.h"
#include "forms/fibonacci/core/fibonaccichart.h"
#include "forms/fibonacci/core/fibonaccifile.h"
#include "forms/fibonacci/core/fibonaccilisting.h"
#include "forms/output/core/reportvalues.h"
#include "modules/errors.h"
#include "modules/numbers.h"
#include "platform/fonts.h"
#include "platform/picturesurface.h"

#include <QFileInfo>

std::optional<CliFailure> FibonacciRatiosFor(const CliOptions& options, const QString& programDir,
                                             FibRatios& ratios)
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
    ReadRatiosFile(SettingsPathFor(programDir), ratios);
    return std::nullopt;
}

std::optional<CliFailure> RunFibonacci(const CliOptions& o, FibonacciRun& run)
{
    // The window as it loads, or as it stands after Open has read a project.
    if (o.project) {
        if (!QFileInfo(*o.project).isFile() || !OpenFibProject(*o.project, run.state))
            return ProjectFailure(*o.project);
    }
    run.inputs = InputsShowing(run.state, run.today);

    // The options are what the trader then types over the controls.
    if (o.price1) run.inputs.Price1Text = *o.price1;
    if (o.price2) run.inputs.Price2Text = *o.price2;
    if (o.date1) run.inputs.Picker1 = *o.date1;
    if (o.date2) run.inputs.Picker2 = *o.date2;
    if (o.name) run.inputs.ProjectText = *o.name;
    if (o.notes) run.inputs.NotesText = WithCrLf(*o.notes);

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

QString FibonacciListing(const FibonacciRun& run)
{
    return JoinListings(PriceListing(run.state, run.ratios), DateListing(run.state, run.ratios));
}

QString FibonacciReport(const FibonacciRun& run)
{
    return FibonacciReportText(FibonacciValues(run));
}

// Only the null date means "not entered"; a date before it is a real one.
QByteArray DateOrNull(const QDate& d, bool computed = true)
{
    return computed && d.isValid() && !IsNullDate(d) ? JsonDate(d) : JsonNull();
}

QByteArray FibonacciJson(const FibonacciRun& run)
{
    const FibonacciState& s = run.state;
    const bool prices = s.HasPrices();
    const bool dates = s.HasDates();
    const bool months = dates && s.DateAxisMode == QLatin1String("M");
    const bool days = dates && s.DateAxisMode == QLatin1String("D");

    std::vector<QByteArray> potentialPrices, potentialDates;
    for (int i = 1; i <= 3; ++i) {
        potentialPrices.push_back(prices ? JsonNumber(s.PotentialPrice[i]) : JsonNull());
        potentialDates.push_back(DateOrNull(s.PotentialDate[i], dates && i <= s.DateLevelCount));
    }

    // A price of 0 and the null date are how the window says "not entered".
    JsonObject o;
    o.add(QStringLiteral("Price1"), s.Price1 != 0 ? JsonNumber(s.Price1) : JsonNull())
        .add(QStringLiteral("Price2"), s.Price2 != 0 ? JsonNumber(s.Price2) : JsonNull())
        .add(QStringLiteral("Date1"), DateOrNull(s.Date1))
        .add(QStringLiteral("Date2"), DateOrNull(s.Date2))
        .add(QStringLiteral("PotentialPrice"), JsonArray(potentialPrices))
        .add(QStringLiteral("PotentialDate"), JsonArray(potentialDates))
        .add(QStringLiteral("ChartMinPrice"), prices ? JsonNumber(s.ChartMinPrice) : JsonNull())
        .add(QStringLiteral("ChartMaxPrice"), prices ? JsonNumber(s.ChartMaxPrice) : JsonNull())
        .add(QStringLiteral("PriceStep"), prices ? JsonNumber(s.PriceStep) : JsonNull())
        .add(QStringLiteral("PriceSteps"), prices ? JsonInteger(s.PriceSteps) : JsonNull())
        .add(QStringLiteral("DateAxisMode"), dates ? JsonString(s.DateAxisMode) : JsonNull())
        .add(QStringLiteral("ChartStartDate"), DateOrNull(s.ChartStartDate, dates))
        .add(QStringLiteral("ChartEndDate"), DateOrNull(s.ChartEndDate, dates))
        .add(QStringLiteral("MonthStep"), months ? JsonInteger(s.MonthStep) : JsonNull())
        .add(QStringLiteral("MonthSteps"), months ? JsonInteger(s.MonthSteps) : JsonNull())
        .add(QStringLiteral("DayStep"), days ? JsonInteger(s.DayStep) : JsonNull())
        .add(QStringLiteral("DaySteps"), days ? JsonInteger(s.DaySteps) : JsonNull())
        .add(QStringLiteral("lblPrices"), JsonString(PriceListing(s, run.ratios)))
        .add(QStringLiteral("lblDates"), JsonString(DateListing(s, run.ratios)))
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
                        FibonacciPlacement(g.TimeAxisRight, g.PriceAxisTop));
    return pb.picture();
}

}  // namespace

const RunOutputs<FibonacciRun> FibonacciOutputs = {FibonacciListing, FibonacciReport, FibonacciJson,
                                                   FibonacciChartPicture};
