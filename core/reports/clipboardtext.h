#pragma once
#include <QString>

// The results tables as a spreadsheet takes them from the clipboard. The windows show
// each table in fixed-width columns; here every line is cut where the heading's
// columns begin (a heading word that follows two or more blanks), each cell trimmed
// and the cells joined by tabs. The rule line under the heading is left out.
QString TabSeparatedTable(const QString& listing);

// Both tables of a window, each under its title, a blank line between them; a table
// with nothing under its heading is left out. Lines end in "\n", as the clipboard's text does.
QString ResultsForClipboard(const QString& pricesTitle, const QString& prices,
                            const QString& datesTitle, const QString& dates);
