#include "forms/output/exportprint.h"

#include "forms/output/frmPrintOption.h"
#include "core/files/textfile.h"
#include "platform/picturebox.h"
#include "platform/platform.h"

#include <QDir>

namespace {

QString InProgramDir(const QString& fileName)
{
    return platform().programDir() + QLatin1Char('/') + fileName;
}

// The chosen path is used as the trader typed it: no extension is added, and an
// existing file is replaced without a question (the dialog asks none either).
void ExportReport(const QString& baseName, const QString& text, const QString& failure)
{
    const std::optional<QString> path =
        platform().saveFileName(QStringLiteral("Text File| *.txt"), InProgramDir(baseName + ".txt"));
    if (!path)
        return;   // cancelled: nothing touched, nothing said
    if (!WriteTextFile(*path, text)) {
        ShowActionFailed(failure);
        return;
    }
    ShowMessage(QStringLiteral("Results exported to file ") + QDir::toNativeSeparators(*path));
}

void SavePicture(PictureBox& box, const QString& defaultFileName)
{
    const std::optional<QString> path = platform().saveFileName(
        QStringLiteral("BMP Image File| *.bmp"), InProgramDir(defaultFileName));
    if (!path)
        return;   // cancelled: nothing written, nothing said
    QString error;
    if (!box.surface().savePicture(*path, &error))
        ShowMessage(QStringLiteral("Error in Printing: ") + error);
}

// A cancelled print dialog is no error. A paused printer takes the page into its
// queue: the trader hears where it waits, so he does not print it a second time.
void PrintPicture(PictureBox& box, bool monochrome)
{
    const PrintResult result = platform().printImage(box.surface().picture(), monochrome);
    switch (result.status) {
    case PrintStatus::Printed:
    case PrintStatus::Cancelled:
        break;
    case PrintStatus::HeldInQueue:
        ShowMessage(QStringLiteral("The printer %1 is paused. The picture waits in its queue and "
                                   "prints when the printer is resumed.")
                        .arg(result.printer));
        break;
    case PrintStatus::Failed:
        ShowMessage(QStringLiteral("Error in Printing: ") + result.reason);
        break;
    }
}

} // namespace

void ExportFibonacciResults(const FibonacciReportValues& values)
{
    ExportReport(FibonacciReportBaseName(values.ProjectName), FibonacciReportText(values),
                 QStringLiteral("Can't export to result file."));
}

void ExportGannResults(const GannReportValues& values)
{
    ExportReport(GannReportBaseName(values.ProjectText), GannReportText(values),
                 QStringLiteral("Could not export results"));
}

void PrintChartImage(PictureBox& box, const TextBlock& block, const TextBlockPlacement& at,
                     const QString& defaultFileName, const std::function<void()>& calculate)
{
    qint16 option = 0;
    frmPrintOption::GetOption(option);
    if (option < 1 || option > 3)
        return;   // cancelled: the window stays exactly as it was

    const int width = box.widthTwips();
    const int height = box.heightTwips();
    ComposeChartPicture(box.surface(), block, at,
                        [&box](int w, int h) { box.setSizeTwips(w, h); });

    if (option == 1)
        SavePicture(box, defaultFileName);
    else
        PrintPicture(box, option == 2);

    // The text block was only for the picture: the chart gets its own width back and is
    // drawn afresh from the last results.
    box.setSizeTwips(width, height);
    if (calculate)
        calculate();
}

void PrintFibonacciImage(PictureBox& box, const FibonacciReportValues& values, int timeAxisRight,
                         int priceAxisTop, const std::function<void()>& calculate)
{
    PrintChartImage(box, FibonacciTextBlock(values), FibonacciPlacement(timeAxisRight, priceAxisTop),
                    QStringLiteral("fibchart.bmp"), calculate);
}

void PrintGannImage(PictureBox& box, Layout layout, const GannReportValues& values,
                    const std::function<void()>& calculate)
{
    PrintChartImage(box, GannTextBlock(values), GannPlacement(layout, box.widthTwips()),
                    QStringLiteral("gannchart.bmp"), calculate);
}
