// SPDX-License-Identifier: GPL-3.0-or-later
// The Price History window beside tessaray-cli history on the same file: the same
// swings, the same evidence, and the swings it hands to the Fibonacci and Gann windows
// give what the tool's "fibonacci" and "gann" objects hold. Its chart: columns that sum
// up their bars, axes on round steps, markers on the wicks, a view the trader keeps;
// the threshold box, the evidence copied and recomputed, the status line. Then the
// ways in: the shortcut and context menus of the main menu and the analysis windows;
// and the tool's exit statuses.
#include "clirunner.h"
#include "core/history/chartaxes.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/history/frmPriceHistory.h"
#include "forms/shell/frmMain.h"
#include "core/settings/settings.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"
#include "platform/textbox.h"
#include "testfiles.h"
#include "uitest.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QRegularExpression>
#include <QWheelEvent>
#include <QComboBox>
#include <QLineEdit>
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

// `days` calendar days of candles from `first` that rise and fall in waves, weekends
// left out as markets leave them.
std::shared_ptr<const PriceHistory> Waves(const QDate& first, int days) {
    auto h = std::make_shared<PriceHistory>();
    double close = 100;
    for (int i = 0; i < days; ++i) {
        PriceBar b;
        b.date = first.addDays(i);
        if (b.date.dayOfWeek() > 5)
            continue;
        b.open = close;
        close *= 1 + 0.03 * std::sin(i * 0.37) * std::cos(i * 0.011);
        b.close = close;
        b.high = std::max(b.open, close) * (1 + 0.01 * (i % 5));
        b.low = std::min(b.open, close) * (1 - 0.01 * (i % 7));
        h->bars.push_back(b);
    }
    return h;
}

double Day(const QDate& d) { return double(d.toJulianDay()); }

QString WriteHistory(const QString& path, const PriceHistory& h) {
    QByteArray text = "Date,Open,High,Low,Close\n";
    for (const PriceBar& b : h.bars) {
        text += b.date.toString(Qt::ISODate).toLatin1();
        for (const double v : {b.open, b.high, b.low, b.close})
            text += ',' + QByteArray::number(v, 'g', 17);
        text += '\n';
    }
    return WriteBytes(path, text) ? path : QString();
}

}  // namespace

class TestHistoryWindow : public UiTest {
    Q_OBJECT
    QPointer<frmPriceHistory> m_window;
    QPointer<frmFibonacci> m_fib;
    QPointer<frmGann> m_gann;

    void EnterText(const QString& box, const QString& text) {
        UI_CHECK(ui::retype(m_window, box, text));
        QTest::keyClick(ui::find<QLineEdit>(m_window, box), Qt::Key_Return);
    }
    void EnterThreshold(const QString& text) {
        EnterText("txtThreshold", text);
    }
    // The real swings, then a thousand surrogate histories.
    void WaitForEvidence() {
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->measuringEvidence(), 60000);
    }
    const Swing* SwingOn(const QDate& date) {
        for (const Swing& s : m_window->swings())
            if (s.date == date) return &s;
        return nullptr;
    }

private slots:
    void init() {
        UiTest::init();
        ratios().setRatios(Ratios);
        m_window = new frmPriceHistory(ratios());
        m_fib = new frmFibonacci(ratios());
        m_gann = new frmGann;
        connect(m_window, &frmPriceHistory::FibonacciRequested, m_fib, &FibonacciWindow::LoadInputsAndCalculate);
        connect(m_window, &frmPriceHistory::GannRequested, m_gann, &GannWindow::LoadInputsAndCalculate);
    }
    void cleanup() {
        // A combo box's popup is a window of its own that goes with its combo box.
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (const QPointer<QWidget>& w : QList<QPointer<QWidget>>(windows.begin(), windows.end()))
            delete w.data();
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
        fake().openManyAnswers.enqueue({file});
        UI_CLICK(m_window, "cmdOpen");
        QVERIFY(m_window->history());
        QCOMPARE(m_window->history()->hasCandles(), candles);
        const size_t atDefault = m_window->swings().size();
        EnterThreshold(QString::number(threshold));
        QVERIFY(threshold == DefaultSwingThreshold || m_window->swings().size() != atDefault);

        const CliResult r = RunCliProgram({"history", "--data", file, "--threshold", QString::number(threshold),
                                           "--ratios", "0.236,0.5,0.786", "--today", "6/1/2024", "--format", "json"});
        QCOMPARE(r.status, 0);
        const QJsonObject cli = QJsonDocument::fromJson(r.out).object();

        const QJsonArray pivots = cli["pivots"].toArray();
        QCOMPARE(int(m_window->swings().size()), pivots.size());
        int lastConfirmed = -1;
        for (int i = 0; i < pivots.size(); ++i) {
            const Swing& s = m_window->swings()[i];
            QCOMPARE(FormatMmDdYyyy(s.date), pivots[i]["date"].toString());
            QCOMPARE(pivots[i]["close"].toDouble(), m_window->history()->bars[size_t(s.bar)].close);
            QCOMPARE(s.kind == SwingKind::High, pivots[i]["kind"].toString() == "high");
            QCOMPARE(s.confirmed, pivots[i]["confirmed"].toBool());
            if (s.confirmed)
                lastConfirmed = i;
        }
        // The evidence itself is the core test's; the window shows the tool's verdicts.
        WaitForEvidence();
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

        // A third before those: the 3-point extension the tool draws from the last three.
        m_window->SelectSwing(lastConfirmed - 2);
        const QJsonObject extension = cli["levels"]["extension"].toObject();
        QCOMPARE(m_window->projectedPrices().back(), extension["prices"].toArray().last().toDouble());
        QCOMPARE(FormatMmDdYyyy(m_window->projectedDates().front()), extension["dates"][0].toString());
    }

    // The status line describes what is shown: another file's projection is gone once
    // a new file is open, and a refused file leaves the history and its line as they were.
    void statusLineDescribesWhatIsShown() {
        const QString bad = programDir() + QStringLiteral("/bad.csv");
        QVERIFY(WriteBytes(bad, "Date,Close\r\n1987-10-19,1738.74\r\n1987-10-20,abc\r\n"));
        QVERIFY(m_window->LoadFile(QStringLiteral(TESSARAY_DJIA_CSV)));
        m_window->SelectSwing(3);
        QVERIFY(m_window->lblProjection->text().startsWith("Square of Nine from"));
        QVERIFY(m_window->LoadFile(WriteIndexWithCandles(programDir())));
        QVERIFY(m_window->projectedPrices().empty());
        QVERIFY(m_window->lblProjection->text().startsWith("Click a swing"));
        const QString shown = m_window->lblFile->text();
        QVERIFY2(shown.startsWith("index.csv: 900 closes from 3/1/2016 to 8/17/2018; "), qPrintable(shown));
        const std::vector<Swing> before = m_window->swings();
        QVERIFY(!m_window->LoadFile(bad));
        QCOMPARE(fake().lastMessage(), QStringLiteral("bad.csv, line 3: the close \"abc\" is not a number."));
        QCOMPARE(m_window->history()->bars.size(), size_t(900));
        QCOMPARE(m_window->swings().size(), before.size());
        QCOMPARE(m_window->lblFile->text(), shown);
    }

    // Several files opened at once: the chart shows the one picked, the status line
    // names it, and the evidence is the core's, per file and pooled. A set with one
    // refused file opens none of them.
    void severalFilesPooled() {
        const QString djia = QStringLiteral(TESSARAY_DJIA_CSV), index = WriteIndexWithCandles(programDir());
        fake().openManyAnswers.enqueue({djia, index});
        UI_CLICK(m_window, "cmdOpen");
        QCOMPARE(m_window->fileCount(), 2);
        QVERIFY(!m_window->cboFile->isHidden() && !m_window->cboEvidence->isHidden());
        QVERIFY(m_window->lblFile->text().startsWith("djia-daily-1980-1989.csv (file 1 of 2): 2528 closes"));
        const PriceHistory* first = m_window->history();
        m_window->SelectSwing(3);
        m_window->cboFile->setCurrentIndex(1);
        QCOMPARE(m_window->history()->fileName, "index.csv");
        QVERIFY(m_window->lblFile->text().startsWith("index.csv (file 2 of 2): 900 closes"));
        QVERIFY(m_window->projectedPrices().empty() && m_window->lblProjection->text().startsWith("Click a swing"));
        QCOMPARE(m_window->pbPrices->lastDay() < Day(QDate(2018, 9, 1)), true);

        WaitForEvidence();
        EvidenceRequest request;
        request.ratios = *HistoryRatios::fromFibRatios(Ratios);
        request.today = fake().today();
        request.settings.draws = 0;
        request.swingRule = [](const PriceHistory& h) { return FindSwings(h, DefaultSwingThreshold); };
        const PooledEvidence expected = MeasureEvidence({first, m_window->history()}, request);
        const auto fibonacci = [](const Evidence& e) { return e.method(ProjectionMethod::Fibonacci).price; };
        QCOMPARE(m_window->cboEvidence->currentText(), "All 2 files pooled");
        for (int shown : {0, 1, 2}) {
            m_window->cboEvidence->setCurrentIndex(shown);
            const Evidence& e = shown == 0 ? expected.pooled : expected.files[size_t(shown - 1)];
            QCOMPARE(fibonacci(m_window->evidence()).median, fibonacci(e).median);
            QCOMPARE(m_window->tblEvidence->item(0, 0)->text(), QString::number(e.method(ProjectionMethod::Fibonacci).count));
            QCOMPARE(int(fibonacci(m_window->evidence()).nullMedians.size()), DefaultDraws);
        }

        QVERIFY(WriteBytes(programDir() + "/bad.csv", "Date,Close\n1987-10-19,-1\n"));
        QVERIFY(!m_window->LoadFiles({djia, programDir() + "/bad.csv"}));
        QCOMPARE(m_window->fileCount(), 2);
        QVERIFY(m_window->LoadFile(djia));
        QVERIFY(m_window->cboFile->isHidden() && m_window->cboEvidence->isHidden());
        QVERIFY(m_window->lblFile->text().startsWith("djia-daily-1980-1989.csv: "));
    }

    // A file whose dates all read day first and month first: the window asks which,
    // and reads the file that way or opens nothing. Read month first, these day-first
    // dates run out of order and the file is refused.
    void ambiguousDatesAsked_data() {
        QTest::addColumn<MsgResult>("answer");
        QTest::addColumn<QString>("then");   // the message after the question, or the status line's end
        QTest::newRow("day first") << MsgResult::Yes << "Dates were read as dd/mm/yyyy, as chosen.";
        QTest::newRow("month first") << MsgResult::No << "but the rows run oldest first; the rows must be in date order.";
        QTest::newRow("cancelled") << MsgResult::Cancel << "";
    }
    void ambiguousDatesAsked() {
        QFETCH(MsgResult, answer);
        QFETCH(QString, then);
        QByteArray text = "Date,Close\r\n";
        const std::shared_ptr<const PriceHistory> waves = Waves(QDate(2001, 1, 1), 400);
        for (const PriceBar& b : waves->bars)
            if (b.date.day() <= 12)
                text += b.date.toString("dd/MM/yyyy").toLatin1() + ',' + QByteArray::number(b.close, 'f', 2) + "\r\n";
        QVERIFY(WriteBytes(programDir() + "/europe.csv", text));
        fake().answers << answer;
        fake().openManyAnswers.enqueue({programDir() + "/europe.csv"});
        UI_CLICK(m_window, "cmdOpen");
        QCOMPARE(fake().messages[0].buttons, MsgButtons::YesNoCancel);
        QVERIFY(fake().messages[0].text.startsWith("europe.csv: every date in the file reads both as month/day and "
                                                   "as day/month"));
        QCOMPARE(fake().messages[0].owner, m_window.data());
        QCOMPARE(m_window->history() != nullptr, answer == MsgResult::Yes);
        if (answer == MsgResult::Yes) {
            QCOMPARE(m_window->history()->bars.front().date, QDate(2001, 1, 1));
            QVERIFY2(m_window->lblFile->text().endsWith(then), qPrintable(m_window->lblFile->text()));
        }
        QCOMPARE(fake().messages.size(), answer == MsgResult::No ? 2 : 1);
        QVERIFY(answer != MsgResult::No || fake().lastMessage().endsWith(then));
    }

    // Swings on the wicks where the file has a High and a Low, on closes otherwise.
    // Closes chosen: the tool's swings with --swings close, measured again, the view
    // kept; a file of closes cannot choose, and the choice outlasts it.
    void swingBasisChosen() {
        const QString msft = QFileInfo(QStringLiteral(TESSARAY_DJIA_CSV)).dir().filePath("msft-daily-ohlcv-2000-2001.csv");
        QVERIFY(m_window->LoadFile(msft));
        QComboBox* basis = m_window->cboSwings;
        QVERIFY(basis->isEnabled());
        QCOMPARE(basis->currentText(), "High/Low");
        QVERIFY2(m_window->lblFile->text().endsWith("of at least 5% on highs and lows."), qPrintable(m_window->lblFile->text()));
        const std::vector<Swing> onWicks = m_window->swings();
        m_window->pbPrices->setView(Day(QDate(2001, 1, 1)), Day(QDate(2001, 3, 1)));
        basis->setCurrentIndex(basis->findText("Closes"));
        QCOMPARE(m_window->swingBasis(), SwingBasis::Close);
        QCOMPARE(m_window->pbPrices->firstDay(), Day(QDate(2001, 1, 1)));
        const CliResult r = RunCliProgram({"history", "--data", msft, "--swings", "close", "--draws", "0", "--ratios",
                                           "0.236,0.5,0.786", "--today", "6/1/2024", "--format", "json"});
        const QJsonObject cli = QJsonDocument::fromJson(r.out).object();
        const QJsonArray pivots = cli["pivots"].toArray();
        QCOMPARE(int(m_window->swings().size()), pivots.size());
        QVERIFY(m_window->swings().size() != onWicks.size());
        for (int i = 0; i < pivots.size(); ++i)
            QCOMPARE(FormatMmDdYyyy(m_window->swings()[size_t(i)].date), pivots[i]["date"].toString());
        WaitForEvidence();
        QCOMPARE(m_window->tblEvidence->item(0, 0)->text(), QString::number(cli["evidence"]["methods"][0]["count"].toInt()));

        QVERIFY(m_window->LoadFile(QStringLiteral(TESSARAY_DJIA_CSV)));
        QVERIFY(!basis->isEnabled());
        QVERIFY(m_window->lblFile->text().endsWith("on closes."));
        QVERIFY(m_window->LoadFile(msft));
        QCOMPARE(basis->currentText(), "Closes");
        QCOMPARE(m_window->swings().size(), size_t(pivots.size()));
    }

    // A swing the analysis window declines (Cancel at its "Save Changes?") is no click
    // at all here: the earlier choice stays drawn and described. Discarding the
    // changes there hands the swings over as before.
    void declinedHandOverChangesNothing_data() {
        QTest::addColumn<QList<int>>("before");   // swings chosen first, handed to fresh windows
        QTest::addColumn<int>("click");
        QTest::addColumn<bool>("gann");           // the window asked: Gann, else Fibonacci
        QTest::addColumn<bool>("discard");        // No at "Save Changes?", else Cancel
        QTest::newRow("Fibonacci declined") << QList<int>{3} << 4 << false << false;
        QTest::newRow("Gann declined") << QList<int>{3, 4} << 3 << true << false;
        QTest::newRow("Fibonacci, changes discarded") << QList<int>{3} << 4 << false << true;
    }
    void declinedHandOverChangesNothing() {
        QFETCH(QList<int>, before);
        QFETCH(int, click);
        QFETCH(bool, gann);
        QFETCH(bool, discard);
        QVERIFY(m_window->LoadFile(QStringLiteral(TESSARAY_DJIA_CSV)));
        for (const int swing : before)
            m_window->SelectSwing(swing);
        QWidget* asked = gann ? static_cast<QWidget*>(m_gann) : m_fib;
        ui::find<QLineEdit>(asked, "txtProject")->setText("Kept");
        fake().answers << (discard ? MsgResult::No : MsgResult::Cancel);
        const std::vector<double> prices = m_window->projectedPrices();
        const QString described = m_window->lblProjection->text();
        m_window->SelectSwing(click);
        QCOMPARE(fake().messageTexts(), QStringList{"Save Changes?"});
        QCOMPARE(ui::find<QLineEdit>(asked, "txtProject")->text(), discard ? "Project Name" : "Kept");
        QCOMPARE(m_window->projectedPrices() == prices, !discard);
        QCOMPARE(m_window->lblProjection->text() == described, !discard);
    }

    // Each column is its bars summed up as one longer bar, whatever the zoom, also
    // centuries before 1970; checked bar by bar against the view's own column rule.
    void columnsSumUpTheirBars_data() {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("viewFrom");
        QTest::addColumn<QDate>("viewTo");
        QTest::addColumn<int>("width");
        QTest::newRow("the 1950s on 700 pixels") << QDate(1950, 1, 2) << QDate(1950, 1, 2) << QDate(1961, 1, 1) << 700;
        QTest::newRow("a fortnight, bars wider than a pixel") << QDate(1950, 1, 2) << QDate(1955, 3, 1)
                                                               << QDate(1955, 3, 15) << 700;
        QTest::newRow("bars up to the last pixel") << QDate(1950, 1, 2) << QDate(1950, 1, 2) << QDate(1950, 1, 12) << 3;
        QTest::newRow("from 1601 on 3 pixels") << QDate(1601, 1, 1) << QDate(1600, 12, 1) << QDate(1660, 1, 1) << 3;
    }
    void columnsSumUpTheirBars() {
        QFETCH(QDate, first);
        QFETCH(QDate, viewFrom);
        QFETCH(QDate, viewTo);
        QFETCH(int, width);
        const ChartBars bars(Waves(first, 4000));
        const TimeWindow view{Day(viewFrom), Day(viewTo), width};
        std::vector<ColumnBar> expected;
        for (int i = 0; i < bars.size(); ++i) {
            const PriceBar& b = bars.history()->bars[size_t(i)];
            const int column = view.column(b.date.toJulianDay());
            if (column < 0 || column >= width)
                continue;
            if (expected.empty() || expected.back().column != column)
                expected.push_back({column, i, i, b.open, b.high, b.low, b.close});
            ColumnBar& c = expected.back();
            c.endBar = i + 1;
            c.high = std::max(c.high, b.high);
            c.low = std::min(c.low, b.low);
            c.close = b.close;
        }
        const std::vector<ColumnBar> columns = bars.columns(view);
        QCOMPARE(columns.size(), expected.size());
        for (size_t k = 0; k < columns.size(); ++k) {
            const ColumnBar &c = columns[k], &e = expected[k];
            QCOMPARE(QList<int>({c.column, c.firstBar, c.endBar}), QList<int>({e.column, e.firstBar, e.endBar}));
            QCOMPARE(QList<double>({c.open, c.high, c.low, c.close}), QList<double>({e.open, e.high, e.low, e.close}));
        }
    }

    // At least five labels on round steps inside an axis that holds every price in view.
    void priceAxisOnRoundSteps_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<bool>("evenSteps");   // else 1-2-5 and finer steps in each power of ten
        QTest::newRow("the Dow in the 1980s") << 759.13 << 2791.41 << false << true;
        QTest::newRow("a one-row file") << 1738.74 << 1738.74 << false << true;
        QTest::newRow("a currency near 1") << 0.9412 << 1.085 << false << true;
        QTest::newRow("a penny stock from two cents") << 0.02 << 0.9 << false << true;
        QTest::newRow("a level at zero in view") << 0.0 << 40.0 << false << true;
        QTest::newRow("fractions of a cent") << 0.00012 << 0.00019 << false << true;
        QTest::newRow("four powers of ten, logarithmic") << 3.0 << 30000.0 << true << false;
        QTest::newRow("one and a half powers of ten, logarithmic") << 2.1 << 65.0 << true << false;
        QTest::newRow("within one power of ten, logarithmic") << 1.6 << 8.5 << true << false;
        QTest::newRow("a currency below 1, logarithmic") << 0.62 << 0.98 << true << true;
        QTest::newRow("a narrow week, logarithmic") << 1700.0 << 1750.0 << true << true;
        QTest::newRow("a one-row file, logarithmic") << 50.0 << 50.0 << true << true;
    }
    void priceAxisOnRoundSteps() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(bool, logarithmic);
        QFETCH(bool, evenSteps);
        PriceSpan seen;
        seen.add(low, high);
        const PriceSpan axis = PriceAxisRange(seen, logarithmic, 0.05);
        QVERIFY((axis.low < low || axis.low == 0) && axis.high > high && axis.low >= 0);
        const std::vector<AxisTick> ticks = logarithmic ? LogPriceTicks(axis.low, axis.high)
                                                        : PriceTicks(axis.low, axis.high);
        QVERIFY2(ticks.size() >= 5 && ticks.size() <= 13, qPrintable(QString::number(ticks.size())));
        const auto roundMantissa = [](double v, std::initializer_list<double> allowed) {
            const double m = v / std::pow(10.0, std::floor(std::log10(v) + 1e-9));
            return std::any_of(allowed.begin(), allowed.end(), [m](double a) { return std::abs(m - a) < 1e-9; });
        };
        for (size_t i = 0; i < ticks.size(); ++i) {
            QVERIFY(ticks[i].value >= axis.low && ticks[i].value <= axis.high);
            QVERIFY(i == 0 || ticks[i].value > ticks[i - 1].value);
            QCOMPARE(ticks[i].text.toDouble(), ticks[i].value);
            if (!evenSteps)
                QVERIFY2(roundMantissa(ticks[i].value, {1, 1.5, 2, 3, 4, 5, 7}), qPrintable(ticks[i].text));
            if (evenSteps && i > 0) {
                const double step = ticks[1].value - ticks[0].value;
                QVERIFY(roundMantissa(step, {1, 2, 2.5, 5}));
                QVERIFY(std::abs(ticks[i].value - ticks[i - 1].value - step) < step * 1e-9);
            }
        }
    }

    // Swing and level labels keep about four figures, and at least two decimals.
    void priceLabels() {
        QCOMPARE(QStringList({PriceText(0.6234), PriceText(1.23456), PriceText(25.5), PriceText(12345.678)}),
                 QStringList({"0.6234", "1.235", "25.50", "12345.68"}));
    }

    // Labels of the unit the span calls for, never crowding one another.
    void dateLabelsFitTheSpan_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("a nine-day file") << QDate(2024, 1, 2) << QDate(2024, 1, 11) << "^1/1?[0-9]/2024$";
        QTest::newRow("four days, each labelled") << QDate(2024, 1, 8) << QDate(2024, 1, 12) << "^1/([89]|1[01])/2024$";
        QTest::newRow("a year") << QDate(1987, 1, 1) << QDate(1988, 1, 1) << "^[A-Z][a-z][a-z] 198[78]$";
        QTest::newRow("the 1950s") << QDate(1950, 1, 1) << QDate(1960, 1, 1) << "^195[0-9]$";
        QTest::newRow("thirty years, every other") << QDate(1960, 1, 1) << QDate(1990, 1, 1) << "^19[6-9][02468]$";
        QTest::newRow("four centuries from 1601") << QDate(1601, 1, 1) << QDate(2001, 1, 1) << "^(1[6-9]|20)[0-9]0$";
        QTest::newRow("five millennia") << QDate(1001, 1, 1) << QDate(6001, 1, 1) << "^[1-6][05]00$";
    }
    void dateLabelsFitTheSpan() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, pattern);
        const TimeWindow view{Day(from), Day(to), 700};
        const auto width = [](const QString& text) { return 7.0 * text.size(); };
        const std::vector<DateTick> ticks = DateTicks(view, width, 16);
        QVERIFY2(ticks.size() >= 4, qPrintable(QString::number(ticks.size())));
        for (size_t i = 0; i < ticks.size(); ++i) {
            QVERIFY2(QRegularExpression(pattern).match(ticks[i].text).hasMatch(), qPrintable(ticks[i].text));
            const double x = view.x(double(ticks[i].julianDay) + 0.5);
            QVERIFY(x >= 0 && x < 700);
            if (i > 0)
                QVERIFY(x - view.x(double(ticks[i - 1].julianDay) + 0.5) >= width(ticks[i].text) + 16);
        }
    }

    // The trader's view survives a swing clicked with the mouse and a new threshold, and
    // the price axis stays fitted to the prices in it; Home shows the whole history.
    void chartKeepsTheView() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QVERIFY(m_window->LoadFile(QStringLiteral(TESSARAY_DJIA_CSV)));
        PriceChart* chart = m_window->pbPrices;
        chart->setView(Day(QDate(1987, 6, 1)), Day(QDate(1988, 3, 1)));
        const double first = chart->firstDay(), last = chart->lastDay();
        const Swing* crash = SwingOn(QDate(1987, 10, 19));
        QVERIFY(crash);
        const auto marker = std::find_if(chart->frame().markers.begin(), chart->frame().markers.end(),
                                         [&](const PriceChart::Marker& m) { return m.swing == crash - &m_window->swings()[0]; });
        QVERIFY(marker != chart->frame().markers.end());
        QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, marker->at.toPoint());
        QCOMPARE(m_gann->txtPrice->text(), QStringLiteral("1738.74"));
        QCOMPARE(QList<double>({chart->firstDay(), chart->lastDay()}), QList<double>({first, last}));

        // A pause in typing applies the threshold, a keystroke alone does not.
        UI_RETYPE(m_window, "txtThreshold", "1");
        UI_TYPE(m_window, "txtThreshold", "0");
        QCOMPARE(m_window->threshold(), DefaultSwingThreshold);
        QTRY_COMPARE(m_window->threshold(), 10.0);
        QCOMPARE(QList<double>({chart->firstDay(), chart->lastDay()}), QList<double>({first, last}));
        const PriceChart::Frame& f = chart->frame();
        QVERIFY2(f.prices.low > 1500 && f.prices.high < 2900 && f.priceTicks.size() >= 5,
                 qPrintable(QStringLiteral("%1 to %2").arg(f.prices.low).arg(f.prices.high)));

        // The wheel zooms around the pointer: the day under it stays under it.
        const QPointF at(f.plot.left() + 100, f.plot.center().y());
        const double dayAt = f.time.dayAt(100);
        QWheelEvent wheel(at, chart->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart, &wheel);
        QVERIFY(chart->lastDay() - chart->firstDay() < last - first);
        QCOMPARE(qRound(chart->frame().time.dayAt(100) * 1000), qRound(dayAt * 1000));
        QTest::keyClick(chart, Qt::Key_Home);
        const double whole = chart->firstDay();
        QVERIFY(whole < Day(QDate(1980, 1, 2)) && chart->lastDay() > Day(QDate(1989, 12, 29)));
        QTest::keyClick(chart, Qt::Key_Left);   // nothing lies before the history
        QCOMPARE(chart->firstDay(), whole);
    }

    // The threshold takes a number from the swing rule's range, the ratios 1 to 12
    // increasing ones (an empty box: the program's); anything else is refused with a
    // message, the box keeps what was typed and what is in force stays.
    void typedBoxesRefusedNeverChanged_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("inForce");
        QTest::addColumn<QString>("message");
        const QString threshold = "Enter a swing threshold from 0.1 to 50 percent.";
        QTest::newRow("threshold 99") << "txtThreshold" << "99" << "5" << threshold;
        QTest::newRow("threshold 150") << "txtThreshold" << "150" << "5" << threshold;
        QTest::newRow("threshold below the least") << "txtThreshold" << "0.05" << "5" << threshold;
        QTest::newRow("threshold with a decimal comma") << "txtThreshold" << "7,5" << "5" << threshold;
        QTest::newRow("the least threshold") << "txtThreshold" << "0.1" << "0.1" << "";
        QTest::newRow("the most, with a percent sign") << "txtThreshold" << "50 %" << "50" << "";
        QTest::newRow("ratios out of order") << "txtRatios" << "0.5, 0.3" << "0.236 / 0.5 / 0.786"
                                             << "Ratios must be in increasing order. Enter 1 to 12";
        QTest::newRow("thirteen ratios") << "txtRatios" << "1,2,3,4,5,6,7,8,9,10,11,12,13" << "0.236 / 0.5 / 0.786"
                                         << "Give 1 to 12 ratios, not 13. Enter";
        QTest::newRow("the ladder") << "txtRatios" << "0.236, 0.382, 0.5, 0.618, 0.786"
                                    << "0.236 / 0.382 / 0.5 / 0.618 / 0.786" << "";
    }
    void typedBoxesRefusedNeverChanged() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, inForce);
        QFETCH(QString, message);
        QCOMPARE(m_window->cboScale->itemText(1) + " " + m_window->cboScale->itemText(19), "10^-9 10^9");
        EnterText(box, typed);
        QCOMPARE(box == "txtThreshold" ? GeneralNumber(m_window->threshold()) : m_window->ratiosInForce()->text(),
                 inForce);
        QCOMPARE(ui::find<QLineEdit>(m_window, box)->text(), typed);
        QCOMPARE(fake().messages.size(), message.isEmpty() ? 0 : 1);
        QVERIFY2(message.isEmpty() || fake().lastMessage().startsWith(message), qPrintable(fake().lastMessage()));
    }

    // The table is as tall as its rows, with no empty strip under them. Ctrl+C copies
    // the whole table with its headings, whatever cell is current, and new ratios are
    // measured at once.
    void evidenceCopiedAndRemeasured() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QVERIFY(m_window->LoadFile(QStringLiteral(TESSARAY_DJIA_CSV)));
        WaitForEvidence();
        QTableWidget* table = m_window->tblEvidence;
        QTRY_COMPARE(table->size(), QSize(table->verticalHeader()->width() + table->horizontalHeader()->length(),
                                          table->horizontalHeader()->height() + table->verticalHeader()->length())
                                        + 2 * QSize(table->frameWidth(), table->frameWidth()));
        QVERIFY(table->actions().contains(m_window->actCopyEvidence));
        QCOMPARE(table->contextMenuPolicy(), Qt::ActionsContextMenu);
        table->setCurrentCell(1, 1);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), table->rowCount() + 1);
        QCOMPARE(lines[0], "\tFibonacci\tEvenly spaced\tGann Square of Nine\t3-point extension");
        QCOMPARE(lines[1], "Count\t" + table->item(0, 0)->text() + '\t' + table->item(0, 1)->text() + '\t'
                               + table->item(0, 2)->text() + '\t' + table->item(0, 3)->text());

        // Ratios changed twice, the second time while the first change is measured: the
        // table ends with the second, and its plots show the surrogates.
        const FibRatios golden{0.382, 0.5, 0.618}, wide{0.3, 0.5, 0.7};
        ratios().setRatios(golden);
        QVERIFY(m_window->measuringEvidence());
        ratios().setRatios(wide);
        WaitForEvidence();
        QCOMPARE(m_window->evidence().ratios.text(), "0.3 / 0.5 / 0.7");
        EvidenceRequest request;
        request.ratios = *HistoryRatios::fromFibRatios(wide);
        request.today = fake().today();
        request.settings.draws = 0;
        request.swingRule = [](const PriceHistory& h) { return FindSwings(h, DefaultSwingThreshold); };
        const Evidence expected = MeasureEvidence({m_window->history()}, request).pooled;
        const auto fibonacci = [](const Evidence& e) { return e.method(ProjectionMethod::Fibonacci).price; };
        QCOMPARE(fibonacci(m_window->evidence()).median, fibonacci(expected).median);
        QCOMPARE(int(fibonacci(m_window->evidence()).nullMedians.size()), DefaultDraws);
    }

    // Swing markers sit beyond the wicks, one high and one low at most every few pixels,
    // the most extreme kept; their labels never overlap. Zoomed in, every swing shows.
    void markersBeyondTheWicks() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QVERIFY(m_window->LoadFile(WriteHistory(programDir() + "/waves.csv", *Waves(QDate(2010, 1, 1), 4000))));
        EnterThreshold("0.5");
        PriceChart* chart = m_window->pbPrices;
        const auto& bars = m_window->history()->bars;
        const PriceChart::Frame& f = chart->frame();
        const size_t swings = m_window->swings().size();
        QVERIFY(f.markers.size() < swings);
        double highest = 0, highestMarked = 0;
        std::vector<QRectF> boxes;   // markers and labels, none overlapping another
        for (const PriceChart::Marker& m : f.markers) {
            const PriceBar& bar = bars[size_t(m_window->swings()[size_t(m.swing)].bar)];
            QVERIFY(m.high ? m.at.y() + 4 < f.y(bar.high) : m.at.y() - 4 > f.y(bar.low));
            if (m.high)
                highestMarked = std::max(highestMarked, bar.high);
            boxes.emplace_back(m.at.x() - 4, m.at.y() - 4, 8, 8);
            if (!m.label.isEmpty())
                boxes.push_back(m.labelBox);
        }
        QVERIFY(boxes.size() > f.markers.size() + 2);
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t k = i + 1; k < boxes.size(); ++k)
                QVERIFY(!boxes[i].intersects(boxes[k]) || (boxes[i].width() == 8 && boxes[k].width() == 8));
        for (const Swing& s : m_window->swings())
            highest = std::max(highest, s.kind == SwingKind::High ? bars[size_t(s.bar)].high : 0.0);
        QCOMPARE(highestMarked, highest);

        chart->setView(Day(QDate(2012, 1, 1)), Day(QDate(2012, 2, 15)));
        const PriceChart::Frame& near = chart->frame();
        const auto inView = std::count_if(m_window->swings().begin(), m_window->swings().end(), [&](const Swing& s) {
            const int column = near.time.column(s.date.toJulianDay());
            return column >= 0 && column < near.plot.width();
        });
        QVERIFY(inView > 1);
        QCOMPARE(qsizetype(near.markers.size()), qsizetype(inView));
    }

    // Ctrl+H on the main menu and the context menus open it (the analysis windows reach the
    // same action by Ctrl+H: the desktop test's shortcuts);
    // the main menu gets no new button.
    void openedFromEveryWindow() {
        delete m_window;
        auto* menu = new frmMain(&ratios());
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
