#include "forms/output/frmPrintOption.h"
#include "fakeplatform.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(QList<qint16>)

// The destination question as a trader answers it: clicks on the real dialog, scripted
// through the modal runner instead of a person.
class PrintOptionTest : public QObject {
    Q_OBJECT

    FakePlatform fake;

    // Clicks the named controls in order; "close" is the title-bar close box.
    static frmPrintOption::ModalRunner Script(const QStringList& clicks)
    {
        return [clicks](frmPrintOption& d) {
            d.show();
            for (const QString& name : clicks) {
                if (name == QLatin1String("close")) {
                    d.close();
                    continue;
                }
                auto* button = d.findChild<QAbstractButton*>(name);
                QVERIFY2(button, qPrintable("no control " + name));
                button->click();
                if (!d.isVisible())
                    return;
            }
        };
    }

    static qint16 Ask(const QStringList& clicks)
    {
        frmPrintOption::setModalRunner(Script(clicks));
        qint16 option = -1;
        frmPrintOption::GetOption(option);
        return option;
    }

private slots:
    void initTestCase() { setPlatform(&fake); }
    void cleanupTestCase()
    {
        frmPrintOption::setModalRunner({});
        setPlatform(nullptr);
    }

    void answers_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("expected");
        QTest::newRow("OK untouched is the file") << QStringList{"cmdOk"} << 1;
        QTest::newRow("Printer preselects monochrome") << QStringList{"optPrinter", "cmdOk"} << 2;
        QTest::newRow("Printer, Color") << QStringList{"optPrinter", "optColor", "cmdOk"} << 3;
        QTest::newRow("File wins over a colour choice")
            << QStringList{"optPrinter", "optColor", "optFile", "cmdOk"} << 1;
        QTest::newRow("Printer again reselects monochrome")
            << QStringList{"optPrinter", "optColor", "optFile", "optPrinter", "cmdOk"} << 2;
        QTest::newRow("Color is greyed out while File is chosen")
            << QStringList{"optColor", "cmdOk"} << 1;
        QTest::newRow("Printer, Color, Monochrome")
            << QStringList{"optPrinter", "optColor", "OptMonochrome", "cmdOk"} << 2;
        QTest::newRow("Cancel") << QStringList{"cmdCancel"} << 0;
        QTest::newRow("Cancel after choosing colour")
            << QStringList{"optPrinter", "optColor", "cmdCancel"} << 0;
    }
    void answers()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, expected);
        QCOMPARE(int(Ask(clicks)), expected);
    }

    // The close box sets nothing: each question answers what the one before it did.
    void closeBoxRepeatsThePreviousAnswer_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("expected");
        QTest::newRow("after colour") << QStringList{"optPrinter", "optColor", "cmdOk"} << 3;
        QTest::newRow("after cancel") << QStringList{"cmdCancel"} << 0;
        QTest::newRow("after file") << QStringList{"cmdOk"} << 1;
        QTest::newRow("after a choice made and then closed")
            << QStringList{"optPrinter", "cmdOk"} << 2;
    }
    void closeBoxRepeatsThePreviousAnswer()
    {
        QFETCH(QStringList, before);
        QFETCH(int, expected);
        Ask(before);
        QCOMPARE(int(Ask({"optPrinter", "optColor", "close"})), expected);
        QCOMPARE(int(Ask({"close"})), expected);
    }

    void escapeIsCancel()
    {
        Ask({"optPrinter", "cmdOk"});
        frmPrintOption::setModalRunner([](frmPrintOption& d) {
            d.show();
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        qint16 option = -1;
        frmPrintOption::GetOption(option);
        QCOMPARE(int(option), 0);
    }

    // Every question starts afresh, whatever the last dialog showed.
    void freshDialogEachTime()
    {
        Ask({"optPrinter", "optColor", "cmdOk"});
        bool checked = false;
        frmPrintOption::setModalRunner([&checked](frmPrintOption& d) {
            QVERIFY(d.optFile->isChecked());
            QVERIFY(!d.optPrinter->isChecked());
            QVERIFY(!d.fraPrinter->isEnabled());
            QVERIFY(!d.OptMonochrome->isEnabled());
            QVERIFY(!d.optColor->isEnabled());
            QVERIFY(!d.OptMonochrome->isChecked());
            QVERIFY(!d.optColor->isChecked());
            checked = true;
            d.cmdCancel_Click();
        });
        qint16 option = -1;
        frmPrintOption::GetOption(option);
        QVERIFY(checked);
    }

    void fileGreysOutButKeepsTheColour()
    {
        frmPrintOption d;
        d.optPrinter->click();
        QVERIFY(d.fraPrinter->isEnabled() && d.optColor->isEnabled());
        QVERIFY(d.OptMonochrome->isChecked());
        d.optColor->click();
        d.optFile->click();
        QVERIFY(!d.fraPrinter->isEnabled() && !d.optColor->isEnabled() && !d.OptMonochrome->isEnabled());
        QVERIFY(d.optColor->isChecked());
    }

    void looksAsDesigned()
    {
        frmPrintOption d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Print Destination"));
        QCOMPARE(d.size(), QSize(249, 229));   // 3735 x 3435 twips at 15 twips a pixel
        QVERIFY(d.cmdOk->isDefault());
        QVERIFY(!d.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!d.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(d.Label1->text(), QStringLiteral("Print Destination"));
        QCOMPARE(d.cmdOk->text(), QStringLiteral("&OK"));
        QCOMPARE(d.cmdCancel->text(), QStringLiteral("&Cancel"));
        QCOMPARE(d.fraPrinter->title(), QStringLiteral("Printer"));
        QCOMPARE(d.optFile->text(), QStringLiteral("File"));
        QCOMPARE(d.optPrinter->text(), QStringLiteral("Printer"));
        QCOMPARE(d.OptMonochrome->text(), QStringLiteral("Monochrome"));
        QCOMPARE(d.optColor->text(), QStringLiteral("Color"));
        // The colour options sit inside the printer frame, the other two on the dialog.
        QCOMPARE(d.OptMonochrome->parentWidget(), d.fraPrinter);
        QCOMPARE(d.optColor->parentWidget(), d.fraPrinter);
        QCOMPARE(d.optFile->parentWidget(), &d);
        QCOMPARE(d.optPrinter->parentWidget(), &d);
        QCOMPARE(d.fraPrinter->geometry(), QRect(32, 96, 177, 81));
        QCOMPARE(d.cmdOk->geometry(), QRect(32, 184, 73, 25));
        QCOMPARE(d.cmdCancel->geometry(), QRect(136, 184, 73, 25));
        // Options may grow to the right for a wider font, never smaller than designed.
        const QList<QPair<QWidget*, QRect>> options{{d.OptMonochrome, QRect(48, 24, 89, 25)},
                                                    {d.optColor, QRect(48, 48, 49, 25)},
                                                    {d.optFile, QRect(32, 32, 41, 25)},
                                                    {d.optPrinter, QRect(32, 64, 57, 25)}};
        for (const auto& [w, designed] : options) {
            QCOMPARE(w->pos(), designed.topLeft());
            QCOMPARE(w->height(), designed.height());
            QVERIFY(w->width() >= designed.width());
            QVERIFY(w->width() >= w->sizeHint().width());
            QVERIFY(w->geometry().right() < w->parentWidget()->width());
        }
        // Centred on the screen.
        QCOMPARE(d.pos(), QPoint((1024 - 249) / 2, (768 - 229) / 2));
    }

    // The real modal loop returns as soon as a button is pressed: nothing can hang.
    void realModalLoop()
    {
        frmPrintOption::setModalRunner({});
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmPrintOption*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->optPrinter->click();
            d->optColor->click();
            d->cmdOk->click();
        });
        qint16 option = -1;
        frmPrintOption::GetOption(option);
        QCOMPARE(int(option), 3);
    }
};

QTEST_MAIN(PrintOptionTest)
#include "test_printoption.moc"
