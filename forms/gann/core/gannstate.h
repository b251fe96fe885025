#pragma once
#include "modules/layout.h"

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
constexpr int GannAngleSlots = 10;       // per-angle arrays hold entries 0..10; 0 unused
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

// A dx/dy pair on the grid; dy grows downwards as on the screen.
struct GannDirection {
    qint16 dx = 0;
    qint16 dy = 0;
    bool operator==(const GannDirection& o) const { return dx == o.dx && dy == o.dy; }
};

// The calculation state of one Gann window. Plain fields under the names the
// window, the chart, the export and the command-line tool share. Arrays keep the
// original's fixed sizes: entry 0 of the per-angle arrays carries nothing, and the
// cell tables keep stale entries past the last number placed, which the searches may
// read at the lower-left corner of the square (where it cannot change a result).
struct GannState {
    // Dates that were never set read as before 1/1/1900 and print as nothing.
    static QDate UnsetDate() { return QDate(1899, 12, 30); }

    qint16 GannPrice = 0;                 // rounded price; 0 = no price
    QDate GannDate = UnsetDate();         // the picker's date at the last calculation
    // Whether that date was analysed: false while the picker stood at today, which is
    // how the trader leaves the date out. Decided once by the calculation, so the
    // listing, the chart and the tool agree even when the day changes meanwhile.
    bool DateEntered = false;
    qint16 GridCenter = 0;                // 1-based centre index on each axis
    qint16 GridSize = 0;                  // 2 * GridCenter - 1 cells per side
    qint32 ChartHalf = 0;                 // half the chart's side, twips (set at load)
    qint32 ChartRadius = 0;               // the wheel's radius, twips

    // Grid[column][row] = spiral number in that cell, 0 = empty.
    std::array<std::array<qint16, GannGridCells>, GannGridCells> Grid{};
    // 0-based column and row (rows counted downwards) of spiral number n.
    std::array<qint16, GannMaxNumber + 1> CellX{};
    std::array<qint16, GannMaxNumber + 1> CellY{};
    // GannPlainCell, GannHighCell or GannLowCell per spiral number.
    std::array<qint16, GannMaxNumber + 1> CellMark{};
    GannDirection SpiralStep;             // the spiral builder's walking direction
    GannDirection SpiralTurn;             // and the side it probes for a free cell

    double PriceAngle = 0;                // radians, 0 = right, counter-clockwise
    qint16 AngleCount = GannAngleCount;
    std::array<double, GannAngleSlots + 1> HighTargetAngle{};
    std::array<double, GannAngleSlots + 1> LowTargetAngle{};
    std::array<qint16, GannAngleSlots + 1> PotentialHigh{};   // 0 = none
    std::array<qint16, GannAngleSlots + 1> PotentialLow{};    // 0 = none
    std::array<QDate, GannAngleSlots + 1> AngleDate;          // null date = none

    // The seasonal walk of the date projection.
    qint16 SeasonYear = 0;
    QDate SeasonStart = UnsetDate();
    QDate SeasonEnd = UnsetDate();
    QDate DayCursor = UnsetDate();
    double DayDegrees = 0;
    double SeasonBaseDegrees = 0;

    // Geometry of the drawn square in twips, written by the chart drawing before it
    // places boxes, numbers and the wheel.
    qint32 SquareLeft = 0;
    qint32 SquareTop = 0;
    qint32 SquareRight = 0;
    qint32 SquareBottom = 0;
    qint32 CellSize = 0;

    GannState() { AngleDate.fill(UnsetDate()); }
};
