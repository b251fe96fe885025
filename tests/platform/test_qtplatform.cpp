// The real platform: message boxes and file dialogs as the user sees them (scripted
// through the dialog watchdog), the file filter form, twips and pixels, printing.
#include "platform/platform.h"
#include "platform/qtplatform.h"
#include "uitest.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

class TestQtPlatform : public UiTest {
    Q_OBJECT
private slots:
    void fileFilterInQtForm_data();
    void fileFilterInQtForm();
    void twipsAndPixels_data();
    void twipsAndPixels();
    void shorthandMessages();
    void messageBoxShowsCaptionButtonsAndIcon_data();
    void messageBoxShowsCaptionButtonsAndIcon();
    void saveDialogTakesNameUnchanged();
    void cancelledOpenDialogIsNoName();
    void screenScaleIsLogicalDpi();
    void printsOnePageToPdf_data();
    void printsOnePageToPdf();
    void printWithoutPrinterFails();
};

void TestQtPlatform::fileFilterInQtForm_data() {
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("qt");
    QTest::newRow("project file") << "Fibonacci Project File| *.fib"
                                  << "Fibonacci Project File (*.fib)";
    QTest::newRow("bitmap") << "BMP Image File| *.bmp" << "BMP Image File (*.bmp)";
    QTest::newRow("no blank after bar") << "Text File|*.txt" << "Text File (*.txt)";
    QTest::newRow("two filters") << "Gann Project File| *.gann|All Files| *.*"
                                 << "Gann Project File (*.gann);;All Files (*.*)";
    QTest::newRow("several patterns") << "Pictures| *.bmp; *.dib" << "Pictures (*.bmp *.dib)";
    QTest::newRow("description only") << "Anything|" << "Anything (*)";
    QTest::newRow("already in Qt form") << "Text (*.txt)" << "Text (*.txt)";
}

void TestQtPlatform::fileFilterInQtForm() {
    QFETCH(QString, original);
    QFETCH(QString, qt);
    QCOMPARE(ToQtFileFilter(original), qt);
}

void TestQtPlatform::twipsAndPixels_data() {
    QTest::addColumn<double>("tpp");
    QTest::addColumn<double>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("96 dpi") << 15.0 << 8500.0 << 567;
    QTest::newRow("half rounds to even, down") << 15.0 << 37.5 << 2;
    QTest::newRow("half rounds to even, up") << 15.0 << 52.5 << 4;
    QTest::newRow("120 dpi") << 12.0 << 1440.0 << 120;
    QTest::newRow("negative offset") << 15.0 << -1000.0 << -67;
}

void TestQtPlatform::twipsAndPixels() {
    QFETCH(double, tpp);
    QFETCH(double, twips);
    QFETCH(int, pixels);
    fake().tpp = tpp;
    QCOMPARE(TwipsToPixels(twips), pixels);
    QCOMPARE(PixelsToTwips(pixels), pixels * tpp);
}

void TestQtPlatform::shorthandMessages() {
    QCOMPARE(ShowMessage(QStringLiteral("Please enter a price")), MsgResult::Ok);
    fake().answers << MsgResult::No;
    QCOMPARE(ShowMessage(QStringLiteral("Save Changes?"), MsgButtons::YesNoCancel), MsgResult::No);
    ShowActionFailed(QStringLiteral("Could not open the file."));
    QCOMPARE(fake().messages.size(), 3);
    const auto& input = fake().messages[0];
    QCOMPARE(input.caption, ProgramTitle);
    QCOMPARE(input.icon, MsgIcon::None);
    QCOMPARE(input.buttons, MsgButtons::Ok);
    const auto& failed = fake().messages[2];
    QCOMPARE(failed.text, QStringLiteral("Action failed:\nCould not open the file."));
    QCOMPARE(failed.caption, QStringLiteral("Action failed"));
    QCOMPARE(failed.icon, MsgIcon::Critical);
    QCOMPARE(failed.buttons, MsgButtons::Ok);
}

void TestQtPlatform::messageBoxShowsCaptionButtonsAndIcon_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("expected");
    QTest::newRow("input message") << int(MsgButtons::Ok) << int(MsgIcon::None) << "OK"
                                   << int(MsgResult::Ok);
    QTest::newRow("action failed") << int(MsgButtons::Ok) << int(MsgIcon::Critical) << "OK"
                                   << int(MsgResult::Ok);
    QTest::newRow("save changes, yes") << int(MsgButtons::YesNoCancel) << int(MsgIcon::None)
                                       << "Yes" << int(MsgResult::Yes);
    QTest::newRow("save changes, no") << int(MsgButtons::YesNoCancel) << int(MsgIcon::None) << "No"
                                      << int(MsgResult::No);
    QTest::newRow("save changes, escape") << int(MsgButtons::YesNoCancel) << int(MsgIcon::None)
                                          << "Escape" << int(MsgResult::Cancel);
}

void TestQtPlatform::messageBoxShowsCaptionButtonsAndIcon() {
    QFETCH(int, buttons);
    QFETCH(int, icon);
    QFETCH(QString, press);
    QFETCH(int, expected);
    QString seenTitle, seenText;
    QMessageBox::Icon seenIcon = QMessageBox::Question;
    int buttonCount = -1;
    watchdog().expectDialog(QStringLiteral("QMessageBox"), [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenIcon = box->icon();
        buttonCount = box->buttons().size();
        if (press == QLatin1String("Escape")) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text().remove(QLatin1Char('&')) == press) b->click();
    });
    QtPlatform real;
    const MsgResult r = real.messageBox(QStringLiteral("Save Changes?"), ProgramTitle,
                                        MsgButtons(buttons), MsgIcon(icon));
    QCOMPARE(int(r), expected);
    QCOMPARE(seenTitle, ProgramTitle);
    QCOMPARE(seenText, QStringLiteral("Save Changes?"));
    QCOMPARE(seenIcon, MsgIcon(icon) == MsgIcon::Critical ? QMessageBox::Critical
                                                          : QMessageBox::NoIcon);
    QCOMPARE(buttonCount, MsgButtons(buttons) == MsgButtons::Ok ? 1 : 3);
}

void TestQtPlatform::saveDialogTakesNameUnchanged() {
    const QString initial = programDir() + QStringLiteral("/fibchart.bmp");
    const QString chosen = programDir() + QStringLiteral("/mychart");
    QFile existing(chosen);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QStringList filters;
    QStringList selectedAtStart;
    bool confirmsOverwrite = true;
    watchdog().expectDialog(QStringLiteral("QFileDialog"), [&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        filters = dialog->nameFilters();
        selectedAtStart = dialog->selectedFiles();
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        // Typed into the name field as a user would, without an extension.
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameEdit);
        nameEdit->setText(QStringLiteral("mychart"));
        static_cast<QDialog*>(dialog)->accept();
    });
    QtPlatform real;
    const auto name = real.saveFileName(QStringLiteral("BMP Image File| *.bmp"), initial);
    QCOMPARE(filters, QStringList{QStringLiteral("BMP Image File (*.bmp)")});
    QCOMPARE(selectedAtStart.value(0), initial);
    QVERIFY(!confirmsOverwrite);
    QVERIFY(name.has_value());
    QCOMPARE(*name, chosen);   // an existing file, taken without a question or extension
}

void TestQtPlatform::cancelledOpenDialogIsNoName() {
    watchdog().expectDialog(QStringLiteral("QFileDialog"),
                            [](QWidget* w) { qobject_cast<QFileDialog*>(w)->reject(); });
    QtPlatform real;
    QVERIFY(!real.openFileName(QStringLiteral("Fibonacci Project File| *.fib"),
                               programDir() + QStringLiteral("/a.fib"))
                 .has_value());
}

void TestQtPlatform::screenScaleIsLogicalDpi() {
    QtPlatform real;
    QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QCOMPARE(real.twipsPerPixel(), 1440.0 / screen->logicalDotsPerInch());
    QCOMPARE(real.screenSize(), screen->size());
    QCOMPARE(real.today(), QDate::currentDate());
    QVERIFY(!real.programDir().endsWith(QLatin1Char('/')));
}

void TestQtPlatform::printsOnePageToPdf_data() {
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<bool>("monochrome");
    QTest::newRow("widened chart, colour") << QSize(733, 567) << false;
    QTest::newRow("widened chart, monochrome") << QSize(733, 567) << true;
    QTest::newRow("wider than any paper") << QSize(4000, 500) << false;
}

void TestQtPlatform::printsOnePageToPdf() {
    QFETCH(QSize, imageSize);
    QFETCH(bool, monochrome);
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixelColor(10, 10, QColor(0, 0, 255));
    const QString pdf = programDir() + QStringLiteral("/page.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QString error;
    QVERIFY2(PrintImageOn(printer, image, monochrome, 15.0, &error), qPrintable(error));
    QCOMPARE(printer.colorMode(), monochrome ? QPrinter::GrayScale : QPrinter::Color);

    // The whole picture fits at its own size beside the offset.
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
    QVERIFY(area.width() * 20 >= imageSize.width() * 15.0 + 1000);
    QVERIFY(area.height() * 20 >= imageSize.height() * 15.0 + 200);

    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray content = f.readAll();
    QVERIFY(content.startsWith("%PDF"));
    QCOMPARE(content.count("/Type /Page\n") + content.count("/Type /Page "), qsizetype(1));
}

void TestQtPlatform::printWithoutPrinterFails() {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("This machine has a printer; printing to it is not tried");
    QtPlatform real;
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QString error;
    QVERIFY(!real.printImage(image, false, &error));
    QCOMPARE(error, QStringLiteral("No printer is installed"));
}

QTEST_MAIN(TestQtPlatform)
#include "test_qtplatform.moc"
