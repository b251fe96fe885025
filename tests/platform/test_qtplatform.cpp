// The real platform: message boxes, file dialogs and the printer as the user meets
// them (scripted through the dialog watchdog), twips and pixels; and the controls the
// windows are built from, driven through key events as the window tests drive them.
#include "core/files/programfolder.h"
#include "core/drawing/picturesurface.h"
#include "platform/platform.h"
#include "platform/qtplatform.h"
#include "platform/widgets.h"
#include "uitest.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QPrinter>

namespace {
// A window with a price box and a date picker.
struct Form {
    QWidget window;
    TextBox* price = new TextBox(&window);
    DatePicker* picker = new DatePicker(&window);
    QList<int> codes;   // what the key hook saw
    Form() { price->keyPress = [this](int& k) { codes << k; }; }
};
} // namespace

class TestQtPlatform : public UiTest {
    Q_OBJECT
private slots:
    // The chart with its text block prints at its own size, (1000, 200) twips in from
    // the printable corner: on the printer's paper upright if it fits, else turned,
    // else on the first larger common paper, else on a page made to measure. A picture
    // made at twice the pixels prints at the same size.
    void pageFitting_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("page");   // name and orientation, or the error
        QTest::newRow("upright on Letter") << QSize(700, 567) << 1.0 << "Letter portrait";
        QTest::newRow("the same at ratio 2") << QSize(1400, 1134) << 2.0 << "Letter portrait";
        QTest::newRow("Fibonacci print turned on Letter") << QSize(733, 567) << 1.0 << "Letter landscape";
        QTest::newRow("Gann print wider than turned Letter") << QSize(968, 735) << 1.0 << "A4 landscape";
        QTest::newRow("wider than turned A4") << QSize(1100, 600) << 1.0 << "Legal landscape";
        QTest::newRow("wider than any paper") << QSize(3000, 3000) << 1.0 << "Chart portrait";
        QTest::newRow("no picture") << QSize() << 1.0 << "There is no picture to print";
    }
    void pageFitting() {
        QFETCH(QSize, pixels);
        QFETCH(double, ratio);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(programDir() + "/page.pdf");
        printer.setPageSize(QPageSize(QPageSize::Letter));
        QImage image;
        if (pixels.isValid()) {
            image = QImage(pixels, QImage::Format_RGB32);
            image.fill(Qt::white);
            image.setDevicePixelRatio(ratio);
        }
        QString error;
        const bool printed = PrintImageOn(printer, image, true, 15, &error);
        const QPageLayout layout = printer.pageLayout();
        const QPageSize paper = layout.pageSize();
        QTEST(printed ? (paper.id() == QPageSize::Custom ? paper.name() : paper.key()) + (layout.orientation() == QPageLayout::Portrait ? " portrait" : " landscape")
                      : error, "page");
        QCOMPARE(QFileInfo(programDir() + "/page.pdf").size() > 0, printed);
    }

    // Windows and charts both round twips to the nearest pixel, halves to even.
    void twipsAndPixels_data() {
        QTest::addColumn<double>("tpp");
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("half rounds to even, down") << 15.0 << 37.5 << 2;
        QTest::newRow("half rounds to even, up") << 15.0 << 52.5 << 4;
        QTest::newRow("120 dpi") << 12.0 << 8500.0 << 708;
        QTest::newRow("negative offset") << 15.0 << -1000.0 << -67;
    }
    void twipsAndPixels() {
        QFETCH(double, tpp);
        QFETCH(double, twips);
        QFETCH(int, pixels);
        fake().tpp = tpp;
        QCOMPARE(TwipsToPixels(twips), pixels);
        QCOMPARE(PixelsToTwips(pixels), pixels * tpp);
        QCOMPARE(PictureSurface(tpp).toPixels(twips), pixels);
    }

    void messageBoxShowsCaptionButtonsAndIcon_data() {
        QTest::addColumn<bool>("question");   // Yes/No/Cancel, else OK only
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("expected");
        QTest::newRow("action failed") << false << int(MsgIcon::Critical) << "OK" << int(MsgResult::Ok);
        QTest::newRow("save changes, yes") << true << int(MsgIcon::None) << "Yes" << int(MsgResult::Yes);
        QTest::newRow("save changes, escape") << true << int(MsgIcon::None) << "Escape" << int(MsgResult::Cancel);
    }
    // The handlers only record what they see and always close the dialog.
    void messageBoxShowsCaptionButtonsAndIcon() {
        QFETCH(bool, question);
        QFETCH(int, icon);
        QFETCH(QString, press);
        QFETCH(int, expected);
        QStringList seen;
        QMessageBox::Icon seenIcon = QMessageBox::Question;
        watchdog().expectDialog(QStringLiteral("QMessageBox"), [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            seen << box->windowTitle() << box->text() << QString::number(box->buttons().size());
            seenIcon = box->icon();
            if (press == QLatin1String("Escape"))
                QTest::keyClick(box, Qt::Key_Escape);
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove(QLatin1Char('&')) == press) b->click();
        });
        const MsgResult r = QtPlatform().messageBox(QStringLiteral("Save Changes?"), ProgramTitle,
                                                    question ? MsgButtons::YesNoCancel : MsgButtons::Ok,
                                                    MsgIcon(icon));
        QCOMPARE(int(r), expected);
        QCOMPARE(seen, (QStringList{ProgramTitle, "Save Changes?", question ? "3" : "1"}));
        QCOMPARE(seenIcon, MsgIcon(icon) == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    }

    void saveDialogTakesNameUnchanged() {
        const QString initial = programDir() + QStringLiteral("/fibchart.bmp");
        const QString chosen = programDir() + QStringLiteral("/mychart");
        QVERIFY(QFile(chosen).open(QIODevice::WriteOnly));
        QStringList seen;
        bool confirmsOverwrite = true;
        watchdog().expectDialog(QStringLiteral("QFileDialog"), [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            seen << dialog->nameFilters() << dialog->selectedFiles();
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            // Typed into the name field as a user would, without an extension.
            if (auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                nameEdit->setText(QStringLiteral("mychart"));
            static_cast<QDialog*>(dialog)->accept();
        });
        const auto name = QtPlatform().saveFileName(QStringLiteral("BMP Image File| *.bmp"), initial);
        QCOMPARE(seen, (QStringList{"BMP Image File (*.bmp)", initial}));
        QVERIFY(!confirmsOverwrite);
        // An existing file, taken without a question or an added extension.
        QCOMPARE(name.value_or(QString()), chosen);
    }

    // File dialogs start where the user may write and that is no system folder: the
    // proposed folder, else the documents folder, else the home folder.
    void folderToPropose_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("fallbacks");
        QTest::addColumn<QString>("proposed");
        const QStringList both{"<dir>/Documents", "<dir>/home"};
        QTest::newRow("a portable copy's folder") << "<dir>" << both << "<dir>";
        QTest::newRow("an installed copy's folder") << "/usr/bin" << both << "<dir>/Documents";
        QTest::newRow("no documents folder") << "/usr/bin" << QStringList{"<dir>/none", "<dir>/home"} << "<dir>/home";
        QTest::newRow("documents is a file") << "/usr/bin" << QStringList{"<dir>/file", "<dir>/home"} << "<dir>/home";
        QTest::newRow("nowhere better") << "/usr/bin" << QStringList{"", "/usr/share"} << "/usr/bin";
    }
    void folderToPropose() {
        QFETCH(QString, folder);
        QFETCH(QStringList, fallbacks);
        QVERIFY(QDir(programDir()).mkdir("Documents") && QDir(programDir()).mkdir("home"));
        QVERIFY(QFile(programDir() + "/file").open(QIODevice::WriteOnly));
        fallbacks.replaceInStrings("<dir>", programDir());
        QTEST(FolderToPropose(folder.replace("<dir>", programDir()), fallbacks).replace(programDir(), "<dir>"), "proposed");
    }

    void controlKeysReachHookAsCodes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << 8;
        QTest::newRow("enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << 13;
        QTest::newRow("paste") << int(Qt::Key_V) << int(Qt::ControlModifier) << 22;
    }
    void controlKeysReachHookAsCodes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Form f;
        QTest::keyClick(f.price, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(f.codes.value(0), "code");
        QCOMPARE(f.codes.size(), 1);
    }

    // Set by the program, the picker shows m/d/yyyy and reports each new date once; a
    // date outside its range leaves it as it was.
    void datePickerReportsChanges() {
        Form f;
        QSignalSpy changes(f.picker, &DatePicker::Change);
        for (const QDate& d : {QDate(2004, 3, 1), QDate(1500, 1, 1), QDate(), QDate(2004, 3, 1)})
            f.picker->setValue(d);
        QCOMPARE(f.picker->text() + " " + QString::number(changes.size()), QString("3/1/2004 1"));
    }
};

QTEST_MAIN(TestQtPlatform)
#include "test_qtplatform.moc"
