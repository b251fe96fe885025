#include "core/fibonacci/fibonaccidocument.h"

#include "core/numbers/modFunctions.h"
#include "core/numbers/numbers.h"

FibonacciInputs InputsShowing(const FibonacciDocument& s, const QDate& today)
{
    FibonacciInputs in;
    in.Price1Text = s.Price1 == 0 ? QString() : GeneralNumber(s.Price1);
    in.Price2Text = s.Price2 == 0 ? QString() : GeneralNumber(s.Price2);
    in.Picker1 = IsNullDate(s.Date1) ? today : s.Date1;
    in.Picker2 = IsNullDate(s.Date2) ? today : s.Date2;
    in.ProjectText = s.ProjectName.isEmpty() ? ProjectNamePlaceholder : s.ProjectName;
    in.NotesText = s.Notes.isEmpty() ? NotesPlaceholder : s.Notes;
    return in;
}
