// The real platform: message boxes and file dialogs as the user sees them (scripted
// through the dialog watchdog), the file filter form, twips and pixels.
#include "platform/picturesurface.h"
#include "platform/platform.h"
#include "platform/qtplatform.h"
#include "uitest.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

class TestQtPlatform : public UiTest {
    Q_OBJECT
private slots:
    void fileFilterInQtForm_data() {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("qt");
        QTest::newRow("no blank after bar") << "Text File|*.txt" << "Text File (*.txt)";
        QTest::newRow("two filters") << "Gann Project File| *.gann|All Files| *.*"
                                     << "Gann Project File (*.gann);;All Files (*.*)";
        QTest::newRow("several patterns") << "Pictures| *.bmp; *.dib" << "Pictures (*.bmp *.dib)";
        QTest::newRow("description only") << "Anything|" << "Anything (*)";
    }
    void fileFilterInQtForm() {
        QFETCH(QString, original);
        QFETCH(QString, qt);
        QCOMPARE(ToQtFileFilter(original), qt);
    }

    // Windows and charts both round twips to the nearest pixel, halves to even.
    // A printer that refuses jobs is reported; CUPS itself would drop the page silently.
    void printerRefusal_data() {
        QTest::addColumn<QString>("lpstat");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("accepting") << "Office accepting requests since Sun 06 Dec 2026 10:00:00\n" << "";
        QTest::newRow("refusing with a reason")
            << "Office not accepting requests since Sun 06 Dec 2026 10:00:00 -\n\tPaper jam\n"
            << "The printer Office is not accepting jobs: Paper jam";
        QTest::newRow("refusing, default reason")
            << "Office not accepting requests since Sun 06 Dec 2026 10:00:00 -\n\tRejecting Jobs\n"
            << "The printer Office is not accepting jobs";
    }
    void printerRefusal() {
        QFETCH(QString, lpstat);
        QTEST(PrinterRefusal(lpstat).value_or(QString()), "refusal");
    }

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
        QFile existing(chosen);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
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

    void cancelledOpenDialogIsNoName() {
        watchdog().expectDialog(QStringLiteral("QFileDialog"),
                                [](QWidget* w) { qobject_cast<QFileDialog*>(w)->reject(); });
        QVERIFY(!QtPlatform().openFileName(QStringLiteral("Fibonacci Project File| *.fib"),
                                           programDir() + QStringLiteral("/a.fib")));
    }
};

QTEST_MAIN(TestQtPlatform)
#include "test_qtplatform.moc"
