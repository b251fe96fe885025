#pragma once
#include "core/gann/gannstate.h"

// The two result tables of the Gann window, as the captions of lblPrices and
// lblDates show them: fixed 7-character columns for a fixed-width font, every line
// ended by CR LF. Built from the last calculation: what it read and what it found.

// "Angle  High   Low", its rule, and with a price one line per angle.
QString GannPriceListing(const GannInputs& inputs, const GannResults& results);
// "Angle  Date", its rule, and when a date was entered one line per angle.
QString GannDateListing(const GannInputs& inputs, const GannResults& results);

// Font of both tables.
inline const QString GannListingFontName = QStringLiteral("Lucida Console");
