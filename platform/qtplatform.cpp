#include "platform/qtplatform.h"

#include "core/files/programfolder.h"
#include "platform/printservice.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <QScreen>
#include <QWindow>

namespace {
// Dialogs open over the window that asks, else over the one in front.
QWidget* DialogParent() {
    return DialogOwner::current() ? DialogOwner::current() : QApplication::activeWindow();
}
} // namespace

MsgResult QtPlatform::messageBox(const QString& text, const QString& caption, MsgButtons buttons,
                                 MsgIcon icon) {
    QMessageBox box(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    caption, text, QMessageBox::NoButton, DialogParent());
    if (buttons == MsgButtons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default: return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    }
}

QString ToQtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return filter;
    QStringList filters;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = QStringLiteral("*");
        if (i + 1 < parts.size()) {
            // Windows separates several patterns with ";", Qt with blanks.
            QStringList list = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
            for (QString& p : list) p = p.trimmed();
            list.removeAll(QString());
            if (!list.isEmpty()) patterns = list.join(QLatin1Char(' '));
        }
        if (description.isEmpty() && patterns == QLatin1String("*")) continue;
        filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

// The windows propose their default file names in the program's folder. An installed
// copy lives under /usr, which is no place for a user's files (even root's), and a
// folder the user cannot write would only fail the save: there the dialogs start in
// the documents folder, or the home folder when there is none, with the same name.
namespace {
QString DialogStartName(const QString& initialName) {
    if (initialName.isEmpty()) return initialName;
    const QFileInfo proposed(initialName);
    const QString folder = FolderToPropose(
        proposed.absolutePath(),
        {QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()});
    if (QDir(folder) == QDir(proposed.absolutePath())) return initialName;
    return QDir(folder).filePath(proposed.fileName());
}
} // namespace

std::optional<QString> QtPlatform::openFileName(const QString& filter, const QString& initialName) {
    const QString name = QFileDialog::getOpenFileName(DialogParent(), QString(),
                                                      DialogStartName(initialName),
                                                      ToQtFileFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

QStringList QtPlatform::openFileNames(const QString& filter, const QString& initialName) {
    return QFileDialog::getOpenFileNames(DialogParent(), QString(), DialogStartName(initialName),
                                         ToQtFileFilter(filter));
}

std::optional<QString> QtPlatform::saveFileName(const QString& filter, const QString& initialName) {
    // The name is taken as typed: no extension is added, and replacing a file
    // asks nothing (the program's own prompts decide what may be overwritten).
    const QString name = QFileDialog::getSaveFileName(DialogParent(), QString(),
                                                      DialogStartName(initialName),
                                                      ToQtFileFilter(filter), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return std::nullopt;
    return name;
}

QDate QtPlatform::today() {
    return QDate::currentDate();
}

QString QtPlatform::programDir() {
    return QCoreApplication::applicationDirPath();
}

// In logical pixels: a 3840 x 2160 screen at 200% is a 1920 x 1080 desktop, and the
// layout is chosen for what fits on that desktop.
QSize QtPlatform::screenSize() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) return screen->size();
    return QSize(1024, 768);
}

double QtPlatform::twipsPerPixel() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const double dpi = screen->logicalDotsPerInch();
        if (dpi > 0) return 1440.0 / dpi;
    }
    return 15.0;
}

QRect QtPlatform::availableArea() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) return screen->availableGeometry();
    return Platform::availableArea();
}

// Known once a framed window is on screen; the main menu always is before an
// analysis window opens.
QMargins QtPlatform::frameMargins() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !w->windowHandle()) continue;
        const QMargins m = w->windowHandle()->frameMargins();
        if (!m.isNull()) return m;
    }
    return QMargins();
}

double QtPlatform::devicePixelRatio() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) return screen->devicePixelRatio();
    return 1.0;
}

// The system's print dialog, preset to the default printer, its paper and the colour
// the trader chose: OK as it comes prints the chart as it always did, and another
// printer or a PDF file is one choice away. Without a print service or a printer the
// dialog would offer only a PDF file, and Enter would quietly write one into the home
// folder: the trader asked for paper, so he is told why there is none.
PrintResult QtPlatform::printImage(const QImage& image, bool monochrome) {
    if (const std::optional<QString> why = PrintServiceUnavailable())
        return {PrintStatus::Failed, QString(), *why};
    QPrinter printer(QPrinter::HighResolution);
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) printer.setPrinterName(info.printerName());
    printer.setColorMode(monochrome ? QPrinter::GrayScale : QPrinter::Color);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted)
        return {PrintStatus::Cancelled, QString(), QString()};
    if (printer.outputFormat() == QPrinter::NativeFormat)
        return PrintThroughService(printer, image, monochrome, twipsPerPixel());
    // "Print to File (PDF)": the trader chose the file himself.
    QString error;
    if (!PrintImageOn(printer, image, monochrome, twipsPerPixel(), &error))
        return {PrintStatus::Failed, printer.outputFileName(), error};
    return {PrintStatus::Printed, printer.outputFileName(), QString()};
}

namespace {
// Qt's CUPS print engine keeps the job options of the print dialog's Properties
// (pages per sheet, banners, the driver's own settings) under this key.
constexpr auto DialogJobOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QString Sides(const QPrinter& printer) {
    switch (printer.duplex()) {
    case QPrinter::DuplexNone: return QStringLiteral("one-sided");
    case QPrinter::DuplexLongSide: return QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexShortSide: return QStringLiteral("two-sided-short-edge");
    case QPrinter::DuplexAuto: break;
    }
    // Automatic: bound along the long edge of the page as the reader holds it.
    return printer.pageLayout().orientation() == QPageLayout::Landscape
               ? QStringLiteral("two-sided-short-edge")
               : QStringLiteral("two-sided-long-edge");
}
} // namespace

// The page is made exactly as Qt's print engine would make it for the chosen printer
// (a PDF of the printer's paper and margins) and handed to the print service by the
// program itself, which hears whether the service took it.
PrintResult PrintThroughService(const QPrinter& chosen, const QImage& image, bool monochrome,
                                double twipsPerPixel) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tessaray-print-XXXXXX.pdf"));
    if (!file.open())
        return {PrintStatus::Failed, chosen.printerName(),
                QStringLiteral("The page could not be prepared: %1").arg(file.errorString())};
    QPrinter page(QPrinter::HighResolution);
    page.setOutputFormat(QPrinter::PdfFormat);
    page.setOutputFileName(file.fileName());
    page.setPageLayout(chosen.pageLayout());
    page.setColorMode(chosen.colorMode());
    page.setDocName(ProgramTitle);
    QString error;
    if (!PrintImageOn(page, image, monochrome, twipsPerPixel, &error))
        return {PrintStatus::Failed, chosen.printerName(), error};

    PrintJob job;
    job.printer = chosen.printerName();
    job.title = ProgramTitle;
    job.media = page.pageLayout().pageSize().key();
    job.landscape = page.pageLayout().orientation() == QPageLayout::Landscape;
    job.monochrome = page.colorMode() == QPrinter::GrayScale;
    job.copies = chosen.copyCount();
    job.collate = chosen.collateCopies();
    job.sides = Sides(chosen);
    if (QPrintEngine* engine = chosen.printEngine())
        job.options = engine->property(DialogJobOptionsKey).toStringList();
    return SubmitToPrintService(file.fileName(), job);
}

namespace {
// A page layout of the given paper on which a block of needed points fits inside
// the printable area, trying portrait first.
std::optional<QPageLayout> FittingLayout(QPageLayout layout, const QPageSize& size,
                                         const QSizeF& needed) {
    layout.setPageSize(size, layout.margins());
    for (auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        layout.setOrientation(orientation);
        const QRectF area = layout.paintRect(QPageLayout::Point);
        if (area.width() >= needed.width() && area.height() >= needed.height()) return layout;
    }
    return std::nullopt;
}
} // namespace

bool PrintImageOn(QPrinter& printer, const QImage& image, bool monochrome, double twipsPerPixel,
                  QString* error) {
    auto fail = [error](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (image.isNull()) return fail(QStringLiteral("There is no picture to print"));
    if (!printer.isValid()) return fail(QStringLiteral("The printer cannot be used"));

    // A monochrome print asks the printer for grey; a colour print keeps the
    // printer's own colour setting.
    if (monochrome) printer.setColorMode(QPrinter::GrayScale);

    // The picture is drawn at its own size: logical pixels x twips per pixel gives
    // twips, and 20 twips make a point. The offset of (1000, 200) twips must fit too.
    // A picture made at a higher device resolution prints that much finer.
    constexpr double OffsetX = 1000, OffsetY = 200;
    const double widthTwips = image.width() / image.devicePixelRatio() * twipsPerPixel;
    const double heightTwips = image.height() / image.devicePixelRatio() * twipsPerPixel;
    const QSizeF needed((widthTwips + OffsetX) / 20.0, (heightTwips + OffsetY) / 20.0);

    const QPageLayout current = printer.pageLayout();
    std::optional<QPageLayout> layout = FittingLayout(current, current.pageSize(), needed);
    for (auto id : {QPageSize::Letter, QPageSize::A4, QPageSize::Legal, QPageSize::A3,
                    QPageSize::Tabloid}) {
        if (layout) break;
        layout = FittingLayout(current, QPageSize(id), needed);
    }
    if (!layout) {
        // Wider than any common paper: a page made to measure.
        const QMarginsF m = current.margins(QPageLayout::Point);
        const QSizeF paper(needed.width() + m.left() + m.right() + 1,
                           needed.height() + m.top() + m.bottom() + 1);
        layout = FittingLayout(current, QPageSize(paper, QPageSize::Point, QStringLiteral("Chart"),
                                                  QPageSize::ExactMatch),
                               needed);
    }
    if (!layout || !printer.setPageLayout(*layout))
        return fail(QStringLiteral("The printer has no paper large enough for the picture"));

    QPainter painter;
    if (!painter.begin(&printer))
        return fail(QStringLiteral("The printer could not start a page"));
    // The chart is a few flat colours with thin lines and small text: JPEG would
    // speckle every edge with hundreds of in-between shades.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    // Device units per twip; the painter's origin is the printable area's corner.
    const double sx = painter.device()->logicalDpiX() / 1440.0;
    const double sy = painter.device()->logicalDpiY() / 1440.0;
    painter.drawImage(QRectF(OffsetX * sx, OffsetY * sy, widthTwips * sx, heightTwips * sy), image);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return fail(QStringLiteral("The page could not be sent to the printer"));
    return true;
}
