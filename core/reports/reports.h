#pragma once
#include "core/numbers/layout.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

class PictureSurface;

// The plain-text reports of both analyses and the text block printed beside a chart.
// Everything here is a function of plain values, so the windows and the command-line
// tool produce the same bytes.

// What the Fibonacci report and text block read: the inputs as the last check of the
// window stored them (not what the boxes show now), the results of the last
// calculation, and the notes box as it stands.
struct FibonacciReportValues {
    QString ProjectName;             // trimmed project name; "Project Name" counts as none
    double Price1 = 0;
    double Price2 = 0;
    QDate Date1;                     // the null date (1/1/1900) when not entered; any
                                     // other date prints, 1899 as well as 2024
    QDate Date2;
    double PotentialPrice[4] = {};   // entries 1 to 3
    QDate PotentialDate[4];          // entries 1 to 3; invalid when never computed
    QString NotesText;               // text of the notes box, unchanged
};

// What the Gann report and text block read: the input boxes as they are now, beside the
// results of the last calculation.
struct GannReportValues {
    QString ProjectText;             // text of the project box, untrimmed
    QString PriceText;               // text of the price box, untrimmed
    QDate InputDate;                 // the date picker; invalid while it means "no date"
    qint16 AngleCount = 8;
    qint16 PotentialHigh[11] = {};   // entries 1 to AngleCount; 0 = none
    qint16 PotentialLow[11] = {};
    QDate AngleDate[11];             // on or before 1/1/1900 (or never set) = none
    QString NotesText;               // text of the notes box, unchanged
};

// The whole report file, every line ended by CR LF. Line breaks inside the notes become
// CR LF as well, so the file opens alike in every editor.
QString FibonacciReportText(const FibonacciReportValues& v);
QString GannReportText(const GannReportValues& v);

// The base name offered in the export dialog: the project's name, or the analysis's
// own name while the project has none.
QString FibonacciReportBaseName(const QString& projectName);
QString GannReportBaseName(const QString& projectText);

// One line of the printed text block. advancesBefore: how many line gaps come between
// the previous line and this one (0 for the first line).
struct TextBlockLine {
    QString text;
    bool underline = false;
    int advancesBefore = 1;
};
using TextBlock = QList<TextBlockLine>;

TextBlock FibonacciTextBlock(const FibonacciReportValues& v);
TextBlock GannTextBlock(const GannReportValues& v);

// Where and how the text block goes, in twips. The box is widened by extraWidth so the
// block fits beside the chart.
struct TextBlockPlacement {
    int extraWidth = 0;
    int left = 0;                 // every line starts here
    int top = 0;                  // top of the first line
    int gap = 0;                  // added between two lines
    bool ownFont = false;         // false: the font and colour the chart drawing left
    QString fontName;
    double fontPoints = 0;
};

// The Fibonacci block starts in the chart's right margin, beside the top of the price
// axis, and runs on into the added strip.
TextBlockPlacement FibonacciPlacement(int timeAxisRight, int priceAxisTop);
// The Gann square fills its box, so its block lies wholly in the added strip.
// boxWidth: the width of the chart box before it is widened.
TextBlockPlacement GannPlacement(Layout layout, int boxWidth);

// Writes the block at its place with the surface's print(): each line leaves the current
// position below itself; an advance goes back to the left edge and adds the gap.
void WriteTextBlock(PictureSurface& surface, const TextBlock& block, const TextBlockPlacement& at);

// The chart with its text block: widens the surface by the placement's extra width
// (keeping the chart), writes the block and keeps the drawing as the surface's picture,
// which is what a bitmap or a printer receives. Returns the width before widening.
// resize, when given, widens the box on the window together with its surface.
using ResizeBox = std::function<void(int widthTwips, int heightTwips)>;
int ComposeChartPicture(PictureSurface& surface, const TextBlock& block,
                        const TextBlockPlacement& at, const ResizeBox& resize = {});
