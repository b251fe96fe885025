#include "forms/history/frmPriceHistory.h"

#include "core/gann/ganncalc.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"
#include "platform/platform.h"

#include <QMetaMethod>
#include <algorithm>
#include <memory>
#include <utility>

// What a click on the chart's swings projects: the Square of Nine from one swing,
// Fibonacci from two, the 3-point extension from three, drawn as named lines over the
// prices and handed to the analysis windows.

namespace {

QString Degrees(int angle) { return QString::number(angle) + QChar(0x00B0); }

}  // namespace

std::vector<double> frmPriceHistory::projectedPrices() const
{
    std::vector<double> prices;
    for (const ChartLevel& level : m_levelPrices)
        prices.push_back(level.price);
    return prices;
}

std::vector<QDate> frmPriceHistory::projectedDates() const
{
    std::vector<QDate> dates;
    for (const ChartLevel& level : m_levelDates)
        dates.push_back(level.date);
    return dates;
}

void frmPriceHistory::SelectSwing(int index)
{
    if (index < 0 || index >= int(swings().size()))
        return;
    const std::vector<int> before = m_selection;
    // A fourth click starts a new choice; clicking a chosen swing again keeps it alone.
    if (m_selection.size() == 3 || std::find(m_selection.begin(), m_selection.end(), index) != m_selection.end())
        m_selection.clear();
    m_selection.push_back(index);
    std::sort(m_selection.begin(), m_selection.end());
    if (!ProjectSelection(true)) {
        // The analysis window kept the trader's document, so the click did not happen:
        // the chart and the lines below it still show the choice before it.
        m_selection = before;
        ProjectSelection(false);
    }
    ShowStatus();
}

// The projection of the chosen swings, drawn: the Square of Nine from one, Fibonacci
// from two, the 3-point extension from three. `announce` hands the first two to the
// analysis windows too, as a click does; false when the window declined them, and
// then nothing is drawn.
bool frmPriceHistory::ProjectSelection(bool announce)
{
    m_levelPrices.clear();
    m_levelDates.clear();
    const auto chosen = [this](size_t k) -> const Swing& { return swings()[size_t(m_selection[k])]; };
    bool taken = true;
    if (m_selection.size() == 1)
        taken = ProjectGannFrom(chosen(0), announce);
    else if (m_selection.size() == 2)
        taken = ProjectFibonacciFrom(chosen(0), chosen(1), announce);
    else if (m_selection.size() == 3)
        ProjectExtensionFrom(chosen(0), chosen(1), chosen(2));
    if (!taken)
        return false;
    pbPrices->setSelection(m_selection);
    pbPrices->setLevels(m_levelPrices, m_levelDates);
    return true;
}

// Emits a hand-over and returns whether it was taken. Nobody listening cannot decline.
template <typename Signal, typename... Args>
bool frmPriceHistory::HandOver(Signal signal, Args&&... args)
{
    if (!isSignalConnected(QMetaMethod::fromSignal(signal)))
        return true;
    return (this->*signal)(std::forward<Args>(args)...);
}

bool frmPriceHistory::ProjectGannFrom(const Swing& swing, bool announce)
{
    const PriceScale scale = ScaleForPrice(ScaleChoice(), swing.price);
    auto state = std::make_unique<GannState>();
    LoadGannState(*state, Layout::Large, platform().today(), 0);
    GannProjection g;
    if (const std::optional<QString> m = ProjectGann(swing, scale, platform().today(), Layout::Large, *state, g)) {
        m_projection = *m;
        return true;
    }
    // Named by angle: the square's levels lie close together, and the name tells which is which.
    for (int k = 1; k <= state->results.AngleCount; ++k) {
        if (state->results.PotentialHigh[size_t(k)] != 0)
            m_levelPrices.push_back({scale.fromSquare(state->results.PotentialHigh[size_t(k)]), {},
                                     Degrees(45 * k) + QStringLiteral(" high")});
        if (state->results.PotentialLow[size_t(k)] != 0)
            m_levelPrices.push_back({scale.fromSquare(state->results.PotentialLow[size_t(k)]), {},
                                     Degrees(45 * k) + QStringLiteral(" low")});
        if (state->inputs.DateEntered)
            m_levelDates.push_back({0, state->results.AngleDate[size_t(k)], Degrees(45 * k)});
    }
    const QString onSquare = PriceBoxText(g.squarePrice);
    if (announce && !HandOver(&frmPriceHistory::GannRequested, onSquare, swing.date))
        return false;
    m_projection = QStringLiteral("Square of Nine from %1 %2: on the square as %3 (x %4); levels mapped back.")
                       .arg(FormatShortDate(swing.date), GeneralNumber(swing.price), onSquare, scale.text());
    return true;
}

// Levels named by their ratios, one price and one date each.
void frmPriceHistory::AddRatioLevels(const HistoryRatios& ratios, const ProjectedLevels& levels)
{
    for (size_t k = 0; k < levels.prices.size(); ++k)
        m_levelPrices.push_back({levels.prices[k], {}, GeneralNumber(ratios.values()[k])});
    for (size_t k = 0; k < levels.dates.size(); ++k)
        m_levelDates.push_back({0, levels.dates[k], GeneralNumber(ratios.values()[k])});
}

// The chart draws the history's ratios, however many; the Fibonacci window receives
// the two swings and works with its own three.
bool frmPriceHistory::ProjectFibonacciFrom(const Swing& older, const Swing& newer, bool announce)
{
    QString problem;
    const std::optional<HistoryRatios> ratios = ratiosInForce(&problem);
    ProjectedLevels levels;
    if (ratios)
        problem = FibonacciLevels(older, newer, *ratios, levels).value_or(QString());
    if (!problem.isEmpty()) {
        m_projection = problem;
        return true;
    }
    if (announce && !HandOver(&frmPriceHistory::FibonacciRequested, older.price, older.date, newer.price, newer.date))
        return false;
    AddRatioLevels(*ratios, levels);
    m_projection = QStringLiteral("Fibonacci from %1 %2 to %3 %4.")
                       .arg(FormatShortDate(older.date), GeneralNumber(older.price),
                            FormatShortDate(newer.date), GeneralNumber(newer.price));
    return true;
}

void frmPriceHistory::ProjectExtensionFrom(const Swing& a, const Swing& b, const Swing& c)
{
    QString problem;
    const std::optional<HistoryRatios> ratios = ratiosInForce(&problem);
    ProjectedLevels levels;
    if (ratios)
        problem = ExtensionLevels(a, b, c, *ratios, levels).value_or(QString());
    if (!problem.isEmpty()) {
        m_projection = problem;
        return;
    }
    AddRatioLevels(*ratios, levels);
    m_projection = QStringLiteral("3-point extension of %1 %2 to %3 %4 from %5 %6.")
                       .arg(FormatShortDate(a.date), GeneralNumber(a.price), FormatShortDate(b.date),
                            GeneralNumber(b.price), FormatShortDate(c.date), GeneralNumber(c.price));
}
