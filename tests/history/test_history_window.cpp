// The Price History window beside tessaray-cli history on the same file: the same
// swings, the same evidence, and the swings it hands to the Fibonacci and Gann windows
// give what the tool's "fibonacci" and "gann" objects hold. Then the ways in: the
// shortcut and context menus of the main menu and the analysis windows; and the tool's
// exit statuses.
#include "clirunner.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/history/frmPriceHistory.h"
#include "forms/shell/frmMain.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "testfiles.h"
#include "uitest.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <cmath>

namespace {

const FibRatios Ratios{0.236, 0.5, 0.786};

// Nine hundred days of an index near 12,000 with candles.
QString WriteIndexWithCandles(const QString& dir) {
    QByteArray text = "Date,Open,High,Low,Close\n";
    for (int i = 0; i < 900; ++i) {
        const double close = 12000 + 1100 * std::sin(i / 29.0) + 300 * std::sin(i / 7.0);
        text += QDate(2016, 3, 1).addDays(i).toString(Qt::ISODate).toLatin1() + ','
                + QByteArray::number(close - 20, 'f', 2) + ',' + QByteArray::number(close + 60, 'f', 2) + ','
                + QByteArray::number(close - 70, 'f', 2) + ',' + QByteArray::number(close, 'f', 2) + '\n';
    }
    const QString path = dir + QStringLiteral("/index.csv");
    return WriteBytes(path, text) ? path : QString();
}

}  // namespace

class TestHistoryWindow : public UiTest {
    Q_OBJECT
    QPointer<frmPriceHistory> m_window;
    QPointer<frmFibonacci> m_fib;
    QPointer<frmGann> m_gann;

private slots:
    void init() {
        UiTest::init();
        SetCurrentRatios(Ratios);
        m_window = new frmPriceHistory;
        m_fib = new frmFibonacci;
        m_gann = new frmGann;
        connect(m_window, &frmPriceHistory::FibonacciRequested, m_fib, &FibonacciWindow::LoadInputsAndCalculate);
        connect(m_window, &frmPriceHistory::GannRequested, m_gann, &GannWindow::LoadInputsAndCalculate);
    }
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            delete w;
        UiTest::cleanup();
    }

    void sameAsTheTool_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<int>("power");
        QTest::addColumn<bool>("candles");
        QTest::newRow("Dow 1980s at 10%") << QStringLiteral(TESSARAY_DJIA_CSV) << 10.0 << 0 << false;
        QTest::newRow("12,000 index with candles at 5%") << QString() << 5.0 << -1 << true;
    }

    void sameAsTheTool() {
        QFETCH(QString, file);
        QFETCH(double, threshold);
        QFETCH(int, power);
        QFETCH(bool, candles);
        if (file.isEmpty())
            file = WriteIndexWithCandles(programDir());
        fake().openAnswers.enqueue(file);
        UI_CLICK(m_window, "cmdOpen");
        QVERIFY(m_window->history());
        QCOMPARE(m_window->history()->hasCandles(), candles);
        // The spin box finds the swings again as soon as it changes.
        const size_t atDefault = m_window->swings().size();
        ui::find<QDoubleSpinBox>(m_window, "spnThreshold")->setValue(threshold);
        QVERIFY(threshold == DefaultSwingThreshold || m_window->swings().size() != atDefault);

        const CliResult r = RunCliProgram({"history", "--data", file, "--threshold", QString::number(threshold),
                                           "--ratios", "0.236,0.5,0.786", "--today", "6/1/2024", "--format", "json",
                                           "--draws", "0"});
        QCOMPARE(r.status, 0);
        const QJsonObject cli = QJsonDocument::fromJson(r.out).object();

        const QJsonArray pivots = cli["pivots"].toArray();
        QCOMPARE(int(m_window->swings().size()), pivots.size());
        int lastConfirmed = -1;
        for (int i = 0; i < pivots.size(); ++i) {
            const Swing& s = m_window->swings()[i];
            QCOMPARE(FormatMmDdYyyy(s.date), pivots[i]["date"].toString());
            QCOMPARE(s.close, pivots[i]["close"].toDouble());
            QCOMPARE(s.kind == SwingKind::High, pivots[i]["kind"].toString() == "high");
            QCOMPARE(s.confirmed, pivots[i]["confirmed"].toBool());
            if (s.confirmed)
                lastConfirmed = i;
        }
        // The evidence itself is the core test's; the window shows the tool's verdicts.
        QCOMPARE(ui::find<QLabel>(m_window, "lblVerdict")->text(), cli["verdicts"].toVariant().toStringList().join('\n'));
        QCOMPARE(ui::find<QTableWidget>(m_window, "tblEvidence")->item(0, 0)->text(),
                 QString::number(cli["evidence"]["methods"][0]["count"].toInt()));

        // One swing: the Gann window calculates what `gann` printed; the levels drawn are
        // its highs and lows mapped back.
        m_window->SelectSwing(lastConfirmed);
        const QJsonObject gann = cli["gann"].toObject();
        QCOMPARE(m_gann->lblPrices->text(), gann["lblPrices"].toString());
        QCOMPARE(m_gann->lblDates->text(), gann["lblDates"].toString());
        QCOMPARE(cli["scale"]["power"].toInt(), power);
        QCOMPARE(m_window->projectedPrices().front(), cli["scale"]["PotentialHigh"][0].toDouble());
        QCOMPARE(int(m_window->projectedDates().size()), 8);

        // A second swing before it: the Fibonacci window calculates what `fib` printed.
        m_window->SelectSwing(lastConfirmed - 1);
        const QJsonObject fib = cli["fibonacci"].toObject();
        QCOMPARE(m_fib->lblPrices->text(), fib["lblPrices"].toString());
        QCOMPARE(m_fib->lblDates->text(), fib["lblDates"].toString());
        QCOMPARE(m_window->projectedPrices().at(1), fib["PotentialPrice"][1].toDouble());
        QCOMPARE(FormatMmDdYyyy(m_window->projectedDates().at(2)), fib["PotentialDate"][2].toString());
    }

    void refusedFileKeepsTheHistory() {
        const QString bad = programDir() + QStringLiteral("/bad.csv");
        QVERIFY(WriteBytes(bad, "Date,Close\r\n1987-10-19,1738.74\r\n1987-10-20,abc\r\n"));
        QVERIFY(m_window->LoadFile(QStringLiteral(TESSARAY_DJIA_CSV)));
        const std::vector<Swing> before = m_window->swings();
        QVERIFY(!m_window->LoadFile(bad));
        QCOMPARE(fake().lastMessage(), QStringLiteral("bad.csv, line 3: the close \"abc\" is not a number."));
        QCOMPARE(m_window->history()->bars.size(), size_t(2528));
        QCOMPARE(m_window->swings().size(), before.size());
    }

    // Ctrl+H on the main menu and the context menus open it (the analysis windows reach the
    // same action by Ctrl+H: the desktop test's shortcuts);
    // the main menu gets no new button.
    void openedFromEveryWindow() {
        delete m_window;
        auto* menu = new frmMain;
        menu->show();
        QVERIFY(QTest::qWaitForWindowActive(menu));
        const int buttons = menu->findChildren<QPushButton*>().size();
        QTest::keyClick(menu, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(ui::openWindow("frmPriceHistory"));
        ui::openWindow("frmPriceHistory")->close();
        QCOMPARE(menu->findChildren<QPushButton*>().size(), buttons);
        QCOMPARE(menu->contextMenuPolicy(), Qt::ActionsContextMenu);
        for (const auto& [button, window] : {std::pair{"cmdFibonacci", "frmFibonacci"}, std::pair{"cmdGann", "frmGann"}}) {
            UI_CHECK(ui::click(menu, button));
            QWidget* analysis = ui::openWindow(window);
            QVERIFY2(analysis && analysis->actions().contains(analysis->findChild<QAction*>("actPriceHistory")), window);
            analysis->findChild<QAction*>("actPriceHistory")->trigger();
            QVERIFY(ui::openWindow("frmPriceHistory"));
            ui::openWindow("frmPriceHistory")->close();
        }
    }

    // What a script sees of `tessaray-cli history` for each way in or out; "<dir>" is
    // this test's folder, holding bad.csv.
    void toolExitStatuses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        const QString djia = QStringLiteral(TESSARAY_DJIA_CSV);
        QTest::newRow("report") << QStringList{"--data", djia} << 0 << "";
        QTest::newRow("missing file") << QStringList{"--data", "<dir>/none.csv"} << 1
                                      << "Action failed:\nCan't read the price history file";
        QTest::newRow("refused row") << QStringList{"--data", "<dir>/bad.csv"} << 2
                                     << "bad.csv, line 3: the close -1 is not above 0.";
        QTest::newRow("ratios out of order") << QStringList{"--data", djia, "--ratios", "0.6,0.5,0.4"} << 2
                                             << "Ratios must be in increasing order";
        QTest::newRow("no data") << QStringList{"--threshold", "5"} << 64 << "tessaray-cli: history needs --data";
        QTest::newRow("threshold 100") << QStringList{"--data", djia, "--threshold", "100"} << 64
                                       << "tessaray-cli: --threshold needs a percentage from 0.1 to 50";
        QTest::newRow("scale 10") << QStringList{"--data", djia, "--scale", "10"} << 64 << "tessaray-cli: --scale is auto";
        QTest::newRow("listing is not a history format") << QStringList{"--data", djia, "--format", "listing"} << 64
                                                         << "tessaray-cli: --format is report or json";
        QTest::newRow("a fib option") << QStringList{"--data", djia, "--price1", "5"} << 64
                                      << "tessaray-cli: unknown option --price1";
    }
    void toolExitStatuses() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, err);
        QVERIFY(WriteBytes(programDir() + "/bad.csv", "Date,Close\r\n1987-10-19,1738.74\r\n10/20/1987,-1\r\n"));
        args.replaceInStrings("<dir>", programDir());
        const CliResult r = RunCliProgram(QStringList{"history"} + args + QStringList{"--today", "6/1/2024"});
        QCOMPARE(r.status, status);
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.errText().startsWith(err), qPrintable(r.errText()));
        QCOMPARE(r.out.isEmpty(), status != 0);
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "test_history_window.moc"
