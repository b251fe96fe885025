#pragma once
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where a price file keeps its columns and what separates them, found from its header
// row: names in English or German, in any case, with or without blanks or the angle
// brackets of MetaTrader 5 and stooq ("<CLOSE>").
struct PriceLayout {
    char separator = ',';
    int date = -1, time = -1, open = -1, high = -1, low = -1, close = -1;   // -1: no such column
    bool headerless = false;   // MetaTrader 4's export, which has no header row

    // How many cells a row needs to reach every column that is read.
    int width() const;
};

// Comma, semicolon or tab: whichever separates most cells of the header (outside
// quotes); a comma when none does.
char DetectSeparator(std::string_view line);

// Splits a line into at most `maxCells` cells; what lies beyond is not looked at. A
// cell in double quotes may hold the separator and doubled quotes; the text of such a
// cell lives in `scratch`, which must outlive the views. False for a quote that is not
// closed on the line.
bool SplitCells(std::string_view line, char separator, int maxCells, std::vector<std::string_view>& cells,
                std::string& scratch);

// The columns the header's names give. `date` or `close` stays -1 when the header
// names no such column.
PriceLayout LayoutFromNames(const QStringList& names, char separator);

// MetaTrader 4 writes its history without a header: date, time, open, high, low, close,
// volume. The first row's cells tell whether it is that layout.
std::optional<PriceLayout> HeaderlessLayout(const std::vector<std::string_view>& cells, char separator);
