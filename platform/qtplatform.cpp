#include "platform/qtplatform.h"

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
#include <QPrinterInfo>
#include <QScreen>
#include <QWindow>

MsgResult QtPlatform::messageBox(const QString& text, const QString& caption, MsgButtons buttons,
                                 MsgIcon icon) {
    QMessageBox box(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    caption, text, QMessageBox::NoButton, QApplication::activeWindow());
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
// copy lives under /usr where the user cannot write, so there the dialogs start in the
// user's documents folder with the same file name instead.
namespace {
QString DialogStartName(const QString& initialName) {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QFileInfo proposed(initialName);
    const QFileInfo folder(programDir);
    if (QDir(proposed.absolutePath()) != QDir(programDir) || !folder.isDir() || folder.isWritable())
        return initialName;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) return initialName;
    return QDir(documents).filePath(proposed.fileName());
}
} // namespace

std::optional<QString> QtPlatform::openFileName(const QString& filter, const QString& initialName) {
    const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                      DialogStartName(initialName),
                                                      ToQtFileFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

std::optional<QString> QtPlatform::saveFileName(const QString& filter, const QString& initialName) {
    // The name is taken as typed: no extension is added, and replacing a file
    // asks nothing (the program's own prompts decide what may be overwritten).
    const QString name = QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(),
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
// printer or a PDF file is one choice away.
bool QtPlatform::printImage(const QImage& image, bool monochrome, QString* error) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    QPrinter printer(QPrinter::HighResolution);
    if (!info.isNull()) printer.setPrinterName(info.printerName());
    printer.setColorMode(monochrome ? QPrinter::GrayScale : QPrinter::Color);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) {
        if (error) error->clear();
        return false;
    }
    return PrintImageOn(printer, image, monochrome, twipsPerPixel(), error);
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
    // Device units per twip; the painter's origin is the printable area's corner.
    const double sx = painter.device()->logicalDpiX() / 1440.0;
    const double sy = painter.device()->logicalDpiY() / 1440.0;
    painter.drawImage(QRectF(OffsetX * sx, OffsetY * sy, widthTwips * sx, heightTwips * sy), image);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return fail(QStringLiteral("The page could not be sent to the printer"));
    return true;
}
