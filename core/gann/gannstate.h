#pragma once
#include "core/numbers/layout.h"

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <array>

// The Square of Nine works with the rounded circle constants the trading tools of
// its day used: pi as 3.1415 and a full turn as 6.283. The projected highs and lows
// sit where the angular distance to a target first grows, so with the exact values a
// few of them move by one cell. Every angle and bound is built from these two.
constexpr double GannPi = 3.1415;
constexpr double GannFullTurn = 6.283;

constexpr int GannAngleCount = 8;        // multiples of 45 degrees: 45 .. 360
constexpr int GannMaxNumber = 11000;     // spiral numbers held in CellX / CellY / CellMark
constexpr int GannGridCells = 111;       // Grid columns and rows 0..110
constexpr int GannMaxPrice = 9999;
// The wheel of the small and large squares runs this far inside the chart box.
constexpr qint32 GannWheelInset = 100;

// Values of CellMark.
constexpr qint16 GannPlainCell = 0;
constexpr qint16 GannHighCell = 1;
constexpr qint16 GannLowCell = 2;

// What differs between the compact and the large Gann window.
struct GannLayoutConstants {
    qint16 smallCenter;          // square for low prices and at load: centre index
    int smallPriceLimit;         // prices up to this use the small square
    qint16 middleCenter;         // next square up
    int middlePriceLimit;        // prices up to this use the middle square
    qint32 middleRadiusExtra;    // the middle square's wheel is ChartHalf + this
    qint16 fullSquareLimit;      // the chart draws every cell while GridCenter <= this
    qint16 bandCells;            // side of the band chart's fixed square
    qint16 bandCenter;           // its centre index, (bandCells + 1) / 2
    double listingFontPoints;    // "Lucida Console" bold, for lblPrices / lblDates
};

const GannLayoutConstants& GannConstants(Layout layout);

// Dates that were never set read as before 1/1/1900 and print as nothing.
inline QDate GannUnsetDate() { return QDate(1899, 12, 30); }

// What the last Calculate read from the price box and the date picker. A price too
// large is remembered here with its date even though nothing was calculated from it.
struct GannInputs {
    qint16 GannPrice = 0;                 // rounded price; 0 = no price
    QDate GannDate = GannUnsetDate();     // the picker's date at the last calculation
    // Whether that date was analysed: false while the picker stood at today, which is
    // how the trader leaves the date out. Decided once by the calculation, so the
    // listing, the chart and the tool agree even when the day changes meanwhile.
    bool DateEntered = false;
};

// The chart box the square is drawn in, in twips: its half side, fixed when the window
// loads, and the radius of the wheel, which grows with the square for middle prices.
struct GannChartFrame {
    qint32 ChartHalf = 0;
    qint32 ChartRadius = 0;
};

// The numbers 1, 2, 3, ... laid out as a square spiral around 1. The cell tables have
// fixed sizes, enough for the square of the largest price, so a calculation never
// allocates; they are not cleared between calculations, and the stale entries past the
// last number placed may be read by the searches only at the lower-left corner of the
// square, where they cannot change a result.
struct GannSpiral {
    qint16 GridCenter = 0;                // 1-based centre index on each axis
    qint16 GridSize = 0;                  // 2 * GridCenter - 1 cells per side
    // Grid[column][row] = spiral number in that cell, 0 = empty.
    std::array<std::array<qint16, GannGridCells>, GannGridCells> Grid{};
    // 0-based column and row (rows counted downwards) of spiral number n.
    std::array<qint16, GannMaxNumber + 1> CellX{};
    std::array<qint16, GannMaxNumber + 1> CellY{};
};

// One entry per multiple of 45 degrees, 1 .. 8; entry 0 carries nothing.
template <typename T>
using GannPerAngle = std::array<T, GannAngleCount + 1>;
using GannAngleDates = GannPerAngle<QDate>;

// What a calculation finds: the highs and lows marked on the spiral, the angles they
// were sought at, and the projected dates.
struct GannResults {
    // GannPlainCell, GannHighCell or GannLowCell per spiral number.
    std::array<qint16, GannMaxNumber + 1> CellMark{};
    double PriceAngle = 0;                // radians, 0 = right, counter-clockwise
    qint16 AngleCount = GannAngleCount;
    GannPerAngle<double> HighTargetAngle{};
    GannPerAngle<double> LowTargetAngle{};
    GannPerAngle<qint16> PotentialHigh{};   // 0 = none
    GannPerAngle<qint16> PotentialLow{};    // 0 = none
    GannAngleDates AngleDate;               // unset = none

    GannResults() { AngleDate.fill(GannUnsetDate()); }
};

// One Gann window's calculation state: what it read, the chart box it draws into, the
// spiral the price is placed on and what it found. Functions take the part they need;
// the drawn geometry of the chart is not part of it (gannchartgeometry.h).
struct GannState {
    GannInputs inputs;
    GannChartFrame frame;
    GannSpiral spiral;
    GannResults results;
};
