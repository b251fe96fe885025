// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/gannrun.h"

#include "app/cli/clifiles.h"
#include "app/cli/jsonout.h"
#include "core/gann/gannlisting.h"
#include "core/reports/reportvalues.h"
#include "core/numbers/dates.h"
#include "core/numbers/errors.h"
#include "core/numbers/modFunctions.h"
#include "core/files/textfile.h"

qint32 GannChartHalf(const QSize& screenPixels) { return ChartHalfForHeight(WindowHeightTwips(screenPixels)); }

std::optional<CliFailure> CalculateGannControls(const GannDocument& controls, const QDate& today, Layout layout,
                                                GannState& state)
{
    return FailureOf(CalculateGann(state, controls.priceText, controls.date, today, layout));
}

std::optional<CliFailure> RunGann(const CliOptions& o, GannRun& run)
{
    run.controls = FreshGannDocument(run.today);
    if (o.project) {
        // Open writes the file's values straight into the controls, in file order.
        QString problem;
        const std::optional<QString> text = ReadTextFile(*o.project, &problem);
        if (!text || !ApplyGannProjectLines(FileLines(*text), run.controls))
            return ProjectFailure(*o.project, problem);
    }
    TypeOver(run.controls.projectName, o.name);
    TypeOver(run.controls.priceText, o.price);
    TypeOver(run.controls.date, o.date);
    if (o.notes)
        run.controls.notes = WithCrLf(*o.notes);

    run.state = std::make_unique<GannState>();
    LoadGannState(*run.state, run.layout, run.today, GannChartHalf(run.screen));
    if (auto failure = CalculateGannControls(run.controls, run.today, run.layout, *run.state))
        return failure;
    if (run.state->inputs.GannPrice <= 0 && !run.state->inputs.DateEntered)
        return CliFailure{ExitRejected, NothingProjectedMessage(run.controls.priceText)};
    return std::nullopt;
}

QString NothingProjectedMessage(const QString& priceText)
{
    return QStringLiteral("Nothing was projected: the price %1 is no price on the square, which takes "
                          "whole prices from 1 to 9999, and no date was given")
        .arg(QuotedValue(TrimBlanks(priceText)));
}

GannReportValues GannValues(const GannRun& run)
{
    const GannDocument& c = run.controls;
    return GannReportValuesOf(run.state->results, c.projectName, c.priceText, c.date, run.today, c.notes);
}

namespace {

QString GannListing(const GannRun& run)
{
    return JoinListings(GannPriceListing(run.state->inputs, run.state->results),
                        GannDateListing(run.state->inputs, run.state->results));
}

QString GannReport(const GannRun& run) { return GannReportText(GannValues(run)); }

QByteArray NumberOrNull(qint16 n) { return n == 0 ? JsonNull() : JsonInteger(n); }

QByteArray GannJson(const GannRun& run)
{
    const GannState& s = *run.state;
    const bool hasPrice = s.inputs.GannPrice > 0;
    const bool hasDate = s.inputs.DateEntered;

    std::vector<QByteArray> highTargets, lowTargets, highs, lows, dates;
    for (int k = 1; k <= s.results.AngleCount; ++k) {
        highTargets.push_back(hasPrice ? JsonNumber(s.results.HighTargetAngle[k]) : JsonNull());
        lowTargets.push_back(hasPrice ? JsonNumber(s.results.LowTargetAngle[k]) : JsonNull());
        highs.push_back(NumberOrNull(s.results.PotentialHigh[k]));
        lows.push_back(NumberOrNull(s.results.PotentialLow[k]));
        dates.push_back(hasDate ? JsonDate(s.results.AngleDate[k]) : JsonNull());
    }

    JsonObject o;
    o.add(QStringLiteral("GannPrice"), NumberOrNull(s.inputs.GannPrice))
        .add(QStringLiteral("GannDate"), hasDate ? JsonDate(s.inputs.GannDate) : JsonNull())
        .add(QStringLiteral("GridCenter"), JsonInteger(s.spiral.GridCenter))
        .add(QStringLiteral("GridSize"), JsonInteger(s.spiral.GridSize))
        .add(QStringLiteral("ChartRadius"), JsonInteger(s.frame.ChartRadius))
        .add(QStringLiteral("PriceAngle"), JsonNumber(s.results.PriceAngle))
        .add(QStringLiteral("HighTargetAngle"), JsonArray(highTargets))
        .add(QStringLiteral("LowTargetAngle"), JsonArray(lowTargets))
        .add(QStringLiteral("PotentialHigh"), JsonArray(highs))
        .add(QStringLiteral("PotentialLow"), JsonArray(lows))
        .add(QStringLiteral("AngleDate"), JsonArray(dates))
        .add(QStringLiteral("ChartKind"), JsonString(GannChartKindText(run)))
        .add(QStringLiteral("BandCells"), GannBandCellsJson(run))
        .add(QStringLiteral("lblPrices"), JsonString(GannPriceListing(s.inputs, s.results)))
        .add(QStringLiteral("lblDates"), JsonString(GannDateListing(s.inputs, s.results)))
        .add(QStringLiteral("report"), JsonString(GannReport(run)));
    return o.text() + '\n';
}

}  // namespace

const RunOutputs<GannRun> GannOutputs = {GannListing, GannReport, GannJson, GannChartPicture};
