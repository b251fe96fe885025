#pragma once
#include "core/numbers/dates.h"

#include <QDate>
#include <QString>

// A Fibonacci project: the two turning points the projection starts from, each a price
// and a date, with the project's name and notes. It is what a ".fib" file holds
// (fibonaccifile.h); the results are never stored, opening a project calculates them
// again.
struct FibonacciDocument {
    // A price of 0 and the null date mean "not entered".
    double Price1 = 0;
    double Price2 = 0;
    QDate Date1 = NullDate();
    QDate Date2 = NullDate();
    QString ProjectName;   // trimmed text of the project name box ("" or a real name)
    QString Notes;         // trimmed notes, lines joined by CR LF

    bool HasPrices() const { return Price1 != 0 && Price2 != 0; }
    bool HasDates() const { return !IsNullDate(Date1) && !IsNullDate(Date2); }
};

// What the input controls hold, as plain values.
struct FibonacciInputs {
    QString Price1Text;
    QString Price2Text;
    QDate Picker1;
    QDate Picker2;
    QString ProjectText;
    QString NotesText;
};

// What the controls show for a document, as the window fills them after New and Open:
// a price of 0 as an empty box, the null date as a picker at today (a picker cannot be
// empty, and both at today read back as no dates), no name and no notes as their
// placeholders.
FibonacciInputs InputsShowing(const FibonacciDocument& document, const QDate& today);
