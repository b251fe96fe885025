#pragma once
#include "platform/platform.h"

class QPrinter;

// The real outside world: Qt's message boxes and file dialogs, the system clock,
// the primary screen and the default printer.
class QtPlatform : public Platform {
public:
    MsgResult messageBox(const QString& text, const QString& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<QString> openFileName(const QString& filter, const QString& initialName) override;
    QStringList openFileNames(const QString& filter, const QString& initialName) override;
    std::optional<QString> saveFileName(const QString& filter, const QString& initialName) override;
    QDate today() override;
    QString programDir() override;
    QSize screenSize() override;
    double twipsPerPixel() override;
    QRect availableArea() override;
    QMargins frameMargins() override;
    double devicePixelRatio() override;
    PrintResult printImage(const QImage& image, bool monochrome) override;
};

// "Fibonacci Project File| *.fib" (description, bar, patterns; pairs may repeat)
// becomes Qt's "Fibonacci Project File (*.fib)", one filter per line.
QString ToQtFileFilter(const QString& filter);

// Prints image as one page on an already configured printer (a real one or a PDF
// file): colour mode, then a page size and orientation on which the image fits at
// its own size (pixels x twipsPerPixel = twips), drawn with its top-left corner at
// (1000, 200) twips from the printable area's corner. Ending the document sends
// the page. false with *error when the printer cannot be used.
bool PrintImageOn(QPrinter& printer, const QImage& image, bool monochrome, double twipsPerPixel,
                  QString* error);

// Prints image on the printer the print dialog left in `chosen` (paper, margins,
// colour, copies, two-sided, job options): the page is made into a PDF and handed to
// the print service, and the result says whether the service took it.
PrintResult PrintThroughService(const QPrinter& chosen, const QImage& image, bool monochrome,
                                double twipsPerPixel);
