#include "core/reports/reportvalues.h"

#include "core/gann/ganncalc.h"

FibonacciReportValues FibonacciReportValuesOf(const FibonacciState& state, const QString& notesText)
{
    FibonacciReportValues v;
    v.ProjectName = state.document.ProjectName;
    v.Price1 = state.document.Price1;
    v.Price2 = state.document.Price2;
    v.Date1 = state.document.Date1;
    v.Date2 = state.document.Date2;
    for (int i = 1; i <= 3; ++i) {
        v.PotentialPrice[i] = state.results.PotentialPrice[i];
        v.PotentialDate[i] = state.results.PotentialDate[i];
    }
    v.NotesText = notesText;
    return v;
}

GannReportValues GannReportValuesOf(const GannResults& results, const QString& projectText,
                                    const QString& priceText, const QDate& pickerDate,
                                    const QDate& today, const QString& notesText)
{
    GannReportValues v;
    v.ProjectText = projectText;
    v.PriceText = priceText;
    if (!PickerMeansNoDate(pickerDate, today))
        v.InputDate = pickerDate;
    v.AngleCount = qint16(qBound(0, int(results.AngleCount), GannAngleCount));
    for (int k = 1; k <= GannAngleCount; ++k) {
        v.PotentialHigh[k] = results.PotentialHigh[k];
        v.PotentialLow[k] = results.PotentialLow[k];
        v.AngleDate[k] = results.AngleDate[k];
    }
    v.NotesText = notesText;
    return v;
}
