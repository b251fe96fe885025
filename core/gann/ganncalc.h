#pragma once
#include "core/gann/gannproject.h"
#include "core/gann/gannstate.h"
#include "core/numbers/errors.h"

// The Square of Nine projection. The numbers 1, 2, 3, ... are laid out as a square
// spiral around 1; the numbers 45, 90, ... 360 degrees further round the spiral from
// the price are its potential highs, those as far back its potential lows. The date
// is placed in the seasonal year (21 March, 21 June, 23 September, 21 December, each
// quarter 90 degrees spread evenly over its days) and the first day past every
// further 45 degrees is a potential date.
//
// CalculateGann is the whole Calculate button and the only entry the window, the
// command-line tool and printing need; it works on a GannState in place.

// ---- Whole calculation ------------------------------------------------------

// The Calculate button. priceText is the price box as typed or pasted (empty = no
// price); pickerDate the date picker, where today's date means "no date"
// (PickerMeansNoDate, stored as DateEntered). Runs: the input checks, the square size,
// the spiral, the highs and lows (with a price), the dates (with a date).
// Rejected with GannNoInputMessage when nothing was entered (state untouched) and
// with GannPriceTooLargeMessage for a price above 9999 (GannPrice and GannDate then
// hold the rejected inputs, every result stays). Failed
// when a date would pass 12/31/9999; the state is then exactly as before the call.
CalcOutcome CalculateGann(GannState& state, const QString& priceText, const QDate& pickerDate,
                          const QDate& today, Layout layout);

// What the Calculate button says to inputs it refuses.
inline const QString GannNoInputMessage = QStringLiteral("Please enter price and/or date");
inline const QString GannPriceTooLargeMessage = QStringLiteral("Please enter a price smaller than 10000");

// A date picker cannot be empty, so one left at today's date is how the trader leaves
// the date out.
inline bool PickerMeansNoDate(const QDate& picker, const QDate& today) { return picker == today; }

// The price box read the way the window reads it: the lenient leading number,
// rounded half to even. A negative number of any size is no price (0). tooLarge is
// set above 9999, also for a number beyond 16 bits or beyond a double; price then
// holds the rounded value when it fits in 16 bits, else 0.
struct GannPriceReading {
    qint16 price = 0;
    bool tooLarge = false;
};
GannPriceReading ReadGannPrice(const QString& text);

// ---- Window load and New ----------------------------------------------------

// Half the chart's side from the window's height in twips: the chart box is a square
// at the window's right, ChartBoxMargin twips short of half the height on each side.
qint32 ChartHalfForHeight(double windowHeightTwips);

// What loading the window sets: the chart radius and the layout's first square,
// no price, today's date, a fresh spiral. Results of an earlier calculation are left
// alone (New clears them first with ClearGannResults).
void LoadGannState(GannState& state, Layout layout, const QDate& today, qint32 chartHalf);

// A freshly loaded window's state, for callers without a window.
GannState InitialGannState(Layout layout, const QDate& today, qint32 chartHalf);

// What a freshly loaded window's controls show: the placeholder name, an empty price
// box, the picker at today and the notes box as designed, its placeholder and a line
// break.
GannDocument FreshGannDocument(const QDate& today);

// New: unmarks and forgets the highs and lows and the price. AngleDate stays until
// the next calculation.
void ClearGannResults(GannState& state);

// ---- The spiral and its angles ----------------------------------------------

// Lays out 1 .. size*size, size = 2 * center - 1: 1 in the centre, 2 to its left, then
// clockwise ring by ring; each odd square closes its ring in the lower-left corner.
// Fills GridCenter, GridSize, Grid, CellX, CellY.
void BuildSpiral(GannSpiral& spiral, qint16 center);

// Angle of number n seen from the centre: 0 to the right, counter-clockwise, up
// positive; between -pi/2 and 3 pi/2 (pi = 3.1415).
double CellAngle(const GannSpiral& spiral, int n);
// The same for a cell dx columns right of and dy rows below the centre.
double GridAngle(double dx, double dy);
// The angular distance between two angles, folded to at most half a turn.
double AngleDistance(double angle, double target);
// Any angle brought into the range of CellAngle.
double NormalizeAngle(double angle);
