// SPDX-License-Identifier: GPL-3.0-or-later
// The price reader and the swing rule: the layouts traders download, written from real
// prices, read to the very bars (and swings) of the plain file; the cells of each
// region and exporter; the refusals, each naming its line; the swing rule on closes and
// on Highs and Lows; and the command-line tool's side of reading (--data, standard
// input, files that are not files, --date-format, --swings, --threshold).
#include "app/cli/historyrun.h"
#include "core/history/pricecells.h"
#include "core/history/pricehistory.h"
#include "core/history/swings.h"
#include "core/numbers/dates.h"
#include "testfiles.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <sys/stat.h>

namespace {

QString DataFile(const QString& name) { return QStringLiteral(TESSARAY_HISTORY_DATA "/") + name; }

QByteArray Number(double v, char decimal = '.') {
    QByteArray text = QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
    return decimal == '.' ? text : text.replace('.', decimal);
}

// 2170.34 as "2,170.34", or "2.170,34".
QByteArray Grouped(double v, char group, char decimal) {
    QByteArray text = Number(v, decimal);
    const qsizetype mark = text.indexOf(decimal);
    for (qsizetype at = (mark < 0 ? text.size() : mark) - 3; at > 0; at -= 3)
        text.insert(at, group);
    return text;
}

QByteArray Date(const QDate& d, const char* format) { return d.toString(QLatin1String(format)).toLatin1(); }

// A file in another layout, written from a history's bars.
QByteArray Written(const PriceHistory& h, const QByteArray& header, const std::function<QByteArray(const PriceBar&)>& row,
                  const QByteArray& lineEnd = "\n", bool newestFirst = false) {
    QByteArray out = header.isEmpty() ? QByteArray() : header + lineEnd;
    for (size_t k = 0; k < h.bars.size(); ++k)
        out += row(h.bars[newestFirst ? h.bars.size() - 1 - k : k]) + lineEnd;
    return out;
}

// The 30-minute file's rows as written ("1996-04-01 00:00" and the close), in another layout.
QByteArray IntradayLayout(const QByteArray& header, const std::function<QByteArray(QByteArray, QByteArray)>& row,
                          const QByteArray& lineEnd, bool newestFirst) {
    QList<QByteArray> lines = ReadBytes(DataFile("usdchf-30min-1996-2001.csv")).trimmed().split('\n').mid(1);
    if (newestFirst)
        std::reverse(lines.begin(), lines.end());
    QByteArray out = header + lineEnd;
    for (const QByteArray& line : lines)
        out += row(line.left(16), line.mid(17).trimmed()) + lineEnd;
    return out;
}

bool SamePrice(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// The first bar where two histories differ; empty when they agree. Opens, highs and
// lows count only where the plain file has them.
QString Difference(const PriceHistory& plain, const PriceHistory& read) {
    if (plain.bars.size() != read.bars.size())
        return QStringLiteral("%1 bars against %2").arg(read.bars.size()).arg(plain.bars.size());
    for (size_t i = 0; i < plain.bars.size(); ++i) {
        const PriceBar &a = plain.bars[i], &b = read.bars[i];
        if (a.date != b.date || a.close != b.close
            || (a.hasCandle() && !(SamePrice(a.open, b.open) && SamePrice(a.high, b.high) && SamePrice(a.low, b.low))))
            return QStringLiteral("bar %1: %2 %3 against %4 %5").arg(i).arg(FormatShortDate(b.date)).arg(b.close)
                .arg(FormatShortDate(a.date)).arg(a.close);
    }
    return QString();
}

// Bars written compactly: "1/2/2024 10 13 9 12" (open, high, low, close; "-" for none).
QString BarsText(const PriceHistory& h) {
    QStringList bars;
    for (const PriceBar& b : h.bars) {
        QStringList parts{FormatShortDate(b.date)};
        for (const double p : {b.open, b.high, b.low, b.close})
            parts << (std::isnan(p) ? QStringLiteral("-") : QString::number(p));
        bars << parts.join(' ');
    }
    return bars.join(QStringLiteral("; "));
}

// Swings written compactly: bar, kind (H/L confirmed, h/l the unconfirmed last) and price.
QString SwingText(const std::vector<Swing>& swings) {
    QStringList parts;
    for (const Swing& s : swings) {
        const char kind = s.kind == SwingKind::High ? 'H' : 'L';
        parts << QStringLiteral("%1%2@%3").arg(s.bar).arg(QLatin1Char(s.confirmed ? kind : char(kind + 32))).arg(s.price);
    }
    return parts.join(QLatin1Char(' '));
}

PriceHistory Plain(const char* name) {
    const PriceHistoryRead read = LoadPriceHistoryFile(DataFile(QString::fromLatin1(name)));
    return read.history.value_or(PriceHistory());
}

QByteArray Utf16(const QByteArray& utf8, QStringConverter::Encoding encoding) {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(QString::fromUtf8(utf8));
}

}  // namespace

class TestHistoryReader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void layoutsReadAsThePlainFile_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("note");
        const PriceHistory msft = Plain("msft-daily-ohlcv-2000-2001.csv"), djia = Plain("djia-daily-1980-1989.csv");
        const QString msftFile = QStringLiteral("msft-daily-ohlcv-2000-2001.csv"), djiaFile = QStringLiteral("djia-daily-1980-1989.csv");
        const auto ohlc = [](const PriceBar& b, const QByteArray& sep, char decimal = '.') {
            return Number(b.open, decimal) + sep + Number(b.high, decimal) + sep + Number(b.low, decimal) + sep + Number(b.close, decimal);
        };
        QByteArray yahoo = "\xEF\xBB\xBF" + Written(msft, "Date,Open,High,Low,Close,Adj Close,Volume", [&](const PriceBar& b) {
            return Date(b.date, "M/d/yyyy") + ',' + ohlc(b, ",") + ',' + Number(b.close * 0.9) + ",53077800";
        }, "\r\n", true);
        yahoo.insert(yahoo.indexOf("\r\n", yahoo.indexOf("\r\n") + 2) + 2, "12/25/2000,null,null,null,null,null,null\r\n");
        QTest::newRow("Yahoo: Adj Close, a null row, newest first, m/d/yyyy, mark, CR LF")
            << msftFile << yahoo << "1 row without prices was skipped, on line 3.";
        QTest::newRow("MetaTrader 4: no header") << msftFile << Written(msft, {}, [&](const PriceBar& b) {
            return Date(b.date, "yyyy.MM.dd") + ",00:00," + ohlc(b, ",") + ",1000";
        }) << "";
        QTest::newRow("MetaTrader 5: tabs, angle brackets") << msftFile
            << Written(msft, "<DATE>\t<TIME>\t<OPEN>\t<HIGH>\t<LOW>\t<CLOSE>\t<TICKVOL>\t<VOL>\t<SPREAD>", [&](const PriceBar& b) {
                   return Date(b.date, "yyyy.MM.dd") + "\t00:00:00\t" + ohlc(b, "\t") + "\t1000\t0\t0";
               }) << "";
        QTest::newRow("stooq: yyyymmdd, hhmmss") << msftFile
            << Written(msft, "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>", [&](const PriceBar& b) {
                   return "MSFT.US,D," + Date(b.date, "yyyyMMdd") + ",000000," + ohlc(b, ",") + ",1000,0";
               }) << "";
        QTest::newRow("German bank: semicolons, decimal commas, Windows-1252") << msftFile
            << Written(msft, "Datum;Er\xF6" "ffnung;Hoch;Tief;Schluss;Volumen", [&](const PriceBar& b) {
                   return Date(b.date, "dd.MM.yyyy") + ';' + ohlc(b, ";", ',') + ";1000";
               }) << "";
        QTest::newRow("Investing: quoted, thousands, month names, newest first") << djiaFile
            << Written(djia, "\"Date\",\"Price\",\"Open\",\"High\",\"Low\",\"Vol.\",\"Change %\"", [&](const PriceBar& b) {
                   const QByteArray p = '"' + Grouped(b.close, ',', '.') + '"';
                   return '"' + Date(b.date, "MMM dd, yyyy") + "\"," + p + ',' + p + ',' + p + ',' + p + ",\"-\",\"0.1%\"";
               }, "\n", true) << "";
        QTest::newRow("semicolons, quoted 2.170,34, d/m/yyyy known from the column") << djiaFile
            << Written(djia, "Datum;Schlusskurs", [&](const PriceBar& b) {
                   return Date(b.date, "d/M/yyyy") + ";\"" + Grouped(b.close, '.', ',') + '"';
               }) << "Dates were read as dd/mm/yyyy, the only order line 10's date fits.";
        const QString usdchf = QStringLiteral("usdchf-30min-1996-2001.csv");
        const QString perDay = QStringLiteral("62,496 intraday bars were taken per day");
        QTest::newRow("30-minute bars: timestamps with a zone, newest first, CR only") << usdchf
            << IntradayLayout("Timestamp,Close", [](QByteArray time, QByteArray close) {
                   return time.replace(' ', 'T') + ":00+01:00," + close;
               }, "\r", true) << perDay;
        QTest::newRow("30-minute bars: tabs, a Zeit column, decimal commas, UTF-16") << usdchf
            << Utf16(IntradayLayout("Datum\tZeit\tSchluss", [](QByteArray time, QByteArray close) {
                   return Date(QDate::fromString(QString::fromLatin1(time.left(10)), Qt::ISODate), "dd.MM.yyyy") + '\t'
                          + time.mid(11) + '\t' + close.replace('.', ',');
               }, "\r\n", false), QStringConverter::Utf16LE) << perDay;
    }

    void layoutsReadAsThePlainFile() {
        QFETCH(QString, plain);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, note);
        const PriceHistoryRead expected = LoadPriceHistoryFile(DataFile(plain));
        QVERIFY2(expected.history, qPrintable(expected.problem));
        const PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("layout.csv"));
        QVERIFY2(read.history, qPrintable(read.problem));
        QCOMPARE(Difference(*expected.history, *read.history), QString());
        QCOMPARE(SwingText(FindSwings(*read.history, 5)), SwingText(FindSwings(*expected.history, 5)));
        const QString notes = PriceReadNoteLines(*read.history).join(' ');
        QVERIFY2(note.isEmpty() ? notes.isEmpty() : notes.contains(note), qPrintable(notes));
    }

    // The plain 30-minute file itself: one bar per calendar day, its close the day's last.
    void intradayFileTakenPerDay() {
        const PriceHistory h = Plain("usdchf-30min-1996-2001.csv");
        QSet<QByteArray> days;
        const QList<QByteArray> lines = ReadBytes(DataFile("usdchf-30min-1996-2001.csv")).trimmed().split('\n');
        for (const QByteArray& line : lines.mid(1))
            days.insert(line.left(10));
        QCOMPARE(qsizetype(h.bars.size()), days.size());
        QCOMPARE(h.bars.front().close, 1.1936);   // 4/1/1996 23:30, the day's last row
        QVERIFY(!h.hasHighLow());
    }

    void readsRows_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("bars");
        const QString day2 = QStringLiteral("1/2/2024 10 13 9 12; 1/3/2024 12 12 8 9");
        QTest::newRow("intraday, oldest first, a Time column")
            << QByteArray("Date,Time,Open,High,Low,Close\n2024-01-02,09:30,10,12,9,11\n2024-01-02,10:00,11,13,10,12\n"
                          "2024-01-03,09:30,12,12,8,9\n") << day2;
        QTest::newRow("intraday, newest first, timestamps")
            << QByteArray("Datetime,Open,High,Low,Close\n2024-01-03 09:30:00,12,12,8,9\n2024-01-02T10:00:00-05:00,11,13,10,12\n"
                          "2024-01-02 09:30,10,12,9,11\n") << day2;
        QTest::newRow("names in any case and blanks, Adj Close ignored")
            << QByteArray("\xEF\xBB\xBF Volume , CLOSE ,Adj Close, Date \n5,10,99,2024-01-02\n") << "1/2/2024 - - - 10";
        QTest::newRow("quoted cells with commas and quotes")
            << QByteArray("\"Date\",\"Note, with comma\",\"Close\"\n\"2024-01-02\",\"say \"\"hi\"\"\",\"10.5\"\n") << "1/2/2024 - - - 10.5";
        QTest::newRow("the close column first") << QByteArray("Close,Date\n10,2024-01-02\n") << "1/2/2024 - - - 10";
        QTest::newRow("the time column first") << QByteArray("Time,Date,Close\n10:00,2024-01-02,9\n15:30,2024-01-02,10\n")
                                               << "1/2/2024 - - - 10";
        QTest::newRow("an empty low") << QByteArray("Date,Open,High,Low,Close\n2024-01-02,9,12,,10\n") << "1/2/2024 9 12 - 10";
        QTest::newRow("1.008 waits for a number that shows the mark")
            << QByteArray("Datum;Schluss\n02.01.2024;1.008\n03.01.2024;1.0075\n") << "1/2/2024 - - - 1.008; 1/3/2024 - - - 1.0075";
        QTest::newRow("a row without a close shows the mark last")
            << QByteArray("Datum;Schluss;Hoch\n02.01.2024;5;1,008\n03.01.2024;;1,5\n") << "1/2/2024 - 1.008 - 5";
        QTest::newRow("no number shows the mark: the separator's")
            << QByteArray("Datum;Schluss\n02.01.2024;1.008\n03.01.2024;1.010\n") << "1/2/2024 - - - 1008; 1/3/2024 - - - 1010";
        QTest::newRow("UTF-16 big-endian") << Utf16("Date,Close\n2024-01-02,10\n", QStringConverter::Utf16BE) << "1/2/2024 - - - 10";
    }

    void readsRows() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, bars);
        const PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("p.csv"));
        QVERIFY2(read.history, qPrintable(read.problem));
        QCOMPARE(BarsText(*read.history), bars);
    }

    void priceCells_data() {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<char>("separator");
        QTest::addColumn<char>("mark");      // the file's decimal mark so far
        QTest::addColumn<QString>("read");   // the number, "empty" or "bad"; "!" when it shows the mark, "?" when it reads both ways
        QTest::newRow("quoted thousands, decimal point") << QByteArray("2,170.34") << ',' << '.' << "2170.34";
        QTest::newRow("thousands, decimal comma") << QByteArray("1.002.170,34") << ';' << ',' << "1002170.34!";
        QTest::newRow("decimal comma in a semicolon file") << QByteArray(" 2170,34 ") << ';' << ',' << "2170.34!";
        QTest::newRow("comma file: a comma between threes groups") << QByteArray("2,170") << ',' << '.' << "2170";
        QTest::newRow("comma file: other commas are decimal") << QByteArray("1,5") << ',' << '.' << "1.5";
        QTest::newRow("points grouping twice") << QByteArray("1.234.567") << '\t' << '.' << "1234567!";
        QTest::newRow("1.008 where the mark is a comma") << QByteArray("1.008") << ';' << ',' << "1008?";
        QTest::newRow("1.008 where the mark is a point") << QByteArray("1.008") << '\t' << '.' << "1.008?";
        QTest::newRow("irregular groups") << QByteArray("21,70.34") << ',' << '.' << "bad";
        QTest::newRow("four digits before the comma: decimal") << QByteArray("1234,567") << ';' << ',' << "1234.567!";
        QTest::newRow("two decimal commas") << QByteArray("1,2,3") << ';' << ',' << "bad";
        QTest::newRow("sign and exponent") << QByteArray("+1.5e3") << ',' << '.' << "1500";
        QTest::newRow("Yahoo's null") << QByteArray("null") << ',' << '.' << "empty";
        QTest::newRow("infinity is no price") << QByteArray("inf") << ',' << '.' << "bad";
        QTest::newRow("a damaged file's NUL among the digits") << QByteArray("12\0" "3", 4) << ',' << '.' << "bad";
    }

    void priceCells() {
        QFETCH(QByteArray, cell);
        QFETCH(char, separator);
        QFETCH(char, mark);
        QFETCH(QString, read);
        const PriceCell c = ReadPriceCell(std::string_view(cell.constData(), size_t(cell.size())), separator, mark);
        QString got = c.kind == PriceCell::Value ? QString::number(c.value, 'g', 15)
                                                 : c.kind == PriceCell::Empty ? QStringLiteral("empty") : QStringLiteral("bad");
        if (c.shows)
            got += QLatin1Char('!');
        if (c.ambiguous)
            got += QLatin1Char('?');
        QCOMPARE(got, read);
    }

    void dateCells_data() {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QString>("read");   // "M/d/yyyy HH:mm:ss.zzz", "a/b/yyyy?" for slash dates, or "no date"
        QTest::newRow("yyyymmdd") << QByteArray("20060103") << "1/3/2006";
        QTest::newRow("yyyy.mm.dd") << QByteArray("2006.01.03") << "1/3/2006";
        QTest::newRow("dd.mm.yyyy is day first") << QByteArray("03.01.2006") << "1/3/2006";
        QTest::newRow("Investing") << QByteArray("Jan 03, 2006") << "1/3/2006";
        QTest::newRow("whole month name") << QByteArray("january 3 2006") << "1/3/2006";
        QTest::newRow("slash dates wait for the column") << QByteArray("3/1/2006") << "3/1/2006?";
        QTest::newRow("timestamp, any zone to 23:59 ignored") << QByteArray("2005-10-21T23:30:15.25-23:59") << "10/21/2005 23:30:15.250";
        QTest::newRow("no such day") << QByteArray("2024-02-30") << "no date";
        QTest::newRow("neither order") << QByteArray("13/13/2024") << "no date";
        QTest::newRow("hour 24") << QByteArray("2024-01-02 24:00") << "no date";
        QTest::newRow("five-digit year") << QByteArray("1/2/20245") << "no date";
    }

    void dateCells() {
        QFETCH(QByteArray, cell);
        QFETCH(QString, read);
        DateCell c;
        QString got = QStringLiteral("no date");
        if (ReadDateCell(std::string_view(cell.constData(), size_t(cell.size())), c)) {
            got = c.slash ? QStringLiteral("%1/%2/%3?").arg(c.first).arg(c.second).arg(c.year) : FormatShortDate(c.date);
            if (c.msecs >= 0)
                got += QTime::fromMSecsSinceStartOfDay(c.msecs).toString(QStringLiteral(" HH:mm:ss.zzz"));
        }
        QCOMPARE(got, read);
    }

    void refusesNamingTheLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("order");   // DateOrder
        QTest::addColumn<QString>("problem");
        const int autoOrder = int(DateOrder::Automatic);
        const QByteArray head("Date,Close\n2024-01-02,10\n");
        QTest::newRow("no close column") << QByteArray("Date,Adj Close\n2024-01-02,10\n") << autoOrder
            << "p.csv, line 1: the header row needs a Date and a Close column (or the MetaTrader 4 layout date, time, "
               "open, high, low, close, volume without a header); found \"Date,Adj Close\".";
        QTest::newRow("empty file") << QByteArray("\n\n") << autoOrder << "p.csv, line 1: the file holds no header row.";
        QTest::newRow("a two-byte file") << QByteArray("ab") << autoOrder
            << "p.csv, line 1: the header row needs a Date and a Close column (or the MetaTrader 4 layout date, time, "
               "open, high, low, close, volume without a header); found \"ab\".";
        QTest::newRow("only rows without prices") << QByteArray("\nDate,Close\n2024-01-02,null\n") << autoOrder
            << "p.csv, line 2: no prices follow the header row, only rows without prices (1).";
        QTest::newRow("row with another separator") << QByteArray("Date;Close\n2024-01-02,10\n") << autoOrder
            << "p.csv, line 2: the row has 1 values where the columns read need 2, separated by semicolons; found "
               "\"2024-01-02,10\".";
        QTest::newRow("a date of the wrong form") << head + "2024-1-3x,11\n" << autoOrder
            << "p.csv, line 3: \"2024-1-3x\" is not a date (yyyy-mm-dd, m/d/yyyy, d/m/yyyy, dd.mm.yyyy, yyyy.mm.dd, "
               "yyyymmdd or \"Jan 03, 2006\", a time after it or not).";
        QTest::newRow("junk quoted short, control characters shown")
            << head + "2024-01-03,\"x\x1b[2J" + QByteArray(60, 'y') + "\"\n" << autoOrder
            << QString::fromUtf8("p.csv, line 3: the close \"x\\x1B[2J" + QByteArray(35, 'y') + "\xE2\x80\xA6\" is not a number.");
        QTest::newRow("a high that is no number") << QByteArray("Date,High,Low,Close\n2024-01-02,1O,9,10\n") << autoOrder
            << "p.csv, line 2: the high \"1O\" is not a number.";
        QTest::newRow("zero close") << head + "2024-01-03,0\n" << autoOrder << "p.csv, line 3: the close 0 is not above 0.";
        QTest::newRow("repeated date, other form") << head + "2024-01-03,11\r\n20240103,12\n" << autoOrder
            << "p.csv, line 4: the date 1/3/2024 is repeated (first on line 3).";
        QTest::newRow("repeated time, midnight") << QByteArray("Date,Close\n2024-01-01 23:30,1\n2024-01-02 00:00,1\n2024-01-02 00:00,2\n")
            << autoOrder << "p.csv, line 4: the time 1/2/2024 00:00 is repeated (first on line 3).";
        QTest::newRow("repeated time, hhmmss") << QByteArray("Date,Time,Close\n20240102,093000,1\n20240102,101530,2\n20240102,101530,3\n")
            << autoOrder << "p.csv, line 4: the time 1/2/2024 10:15:30 is repeated (first on line 3).";
        QTest::newRow("out of order") << head + "2024-01-05,11\n2024-01-04,12\n" << autoOrder
            << "p.csv, line 4: 1/4/2024 comes before 1/5/2024 on line 3, but the rows run oldest first; the rows must "
               "be in date order.";
        QTest::newRow("quote not closed") << head + "\"2024-01-03,11\n" << autoOrder << "p.csv, line 3: a quoted value is not closed; found \"\"2024-01-03,11\".";
        QTest::newRow("a decimal point after a decimal comma") << QByteArray("Date\tClose\n2024-01-02\t1,5\n2024-01-03\t1.5\n")
            << autoOrder << "p.csv, line 3: \"1.5\" has a decimal point, but \"1,5\" on line 2 was read with a decimal comma; "
                            "the numbers must all be written one way.";
        // The separator's mark is taken after 100,000 rows still wait for one, not at the end.
        QByteArray waiting("Datum;Schluss\n");
        for (int i = 0; i < 100000; ++i)
            waiting += QDate(1700, 1, 1).addDays(i).toString("dd.MM.yyyy").toLatin1() + ";1.008\n";
        QTest::newRow("100,000 rows that read both ways") << waiting + "01.01.2000;1.5\n" << autoOrder
            << "p.csv, line 100002: \"1.5\" has a decimal point, but \"1.008\" on line 2 was read with a decimal comma; "
               "the numbers must all be written one way.";
        QTest::newRow("a line over 64 KB") << head + "2024-01-03,11" + QByteArray(70000, ' ') + "\n" << autoOrder
            << "p.csv, line 3: the line is longer than 64 KB, which no row of prices is.";
        QTest::newRow("UTF-16 without its mark") << QByteArray("D\0a\0t\0e\0,\0C\0l\0o\0s\0e\0\n\0", 22) << autoOrder
            << "p.csv, line 1: the line holds NUL bytes, as a file in UTF-16 without a byte order mark does; save the "
               "file as UTF-8.";
        const QByteArray ambiguous("Date,Close\n01/02/2024,10\n01/03/2024,11\n12/03/2024,12\n");
        QTest::newRow("every date reads both ways") << ambiguous << autoOrder
            << "p.csv, line 2: \"01/02/2024\" and every other date read both as month/day and as day/month; choose the "
               "order with --date-format mm/dd/yyyy or dd/mm/yyyy.";
        QTest::newRow("the order a date showed, broken") << ambiguous + "13/03/2024,13\n03/14/2024,14\n" << autoOrder
            << "p.csv, line 6: \"03/14/2024\" is not a date in the order dd/mm/yyyy that line 5 (\"13/03/2024\") showed; "
               "the dates must all be written one way.";
        QTest::newRow("the chosen order, broken") << ambiguous + "13/03/2024,13\n" << int(DateOrder::MonthFirst)
            << "p.csv, line 5: \"13/03/2024\" is not a date in the chosen order mm/dd/yyyy.";
    }

    void refusesNamingTheLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, order);
        QFETCH(QString, problem);
        PriceReadOptions options;
        options.dateOrder = DateOrder(order);
        const PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("p.csv"), options);
        QVERIFY(!read.history);
        QCOMPARE(read.failure, PriceReadFailure::Refused);
        QCOMPARE(read.problem, problem);
    }

    // A file arrives in pieces split anywhere: inside a CR LF, the byte order mark, a
    // UTF-8 character or a UTF-16 pair. It reads as it reads whole.
    void readInPiecesAsWhole_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read");
        QTest::newRow("mark, CR LF, UTF-8") << QByteArray("\xEF\xBB\xBF" "Date,Close,Note\r\n2024-01-02,10,\xC3\xA9\r\n2024-01-03,11,x\r\n")
                                            << "1/2/2024 - - - 10; 1/3/2024 - - - 11";
        QTest::newRow("CR only") << QByteArray("Date,Close\r2024-01-02,10\r2024-01-03,11") << "1/2/2024 - - - 10; 1/3/2024 - - - 11";
        QTest::newRow("UTF-16, a pair in the refused header") << Utf16("Date,\xF0\x9F\x98\x80\n2024-01-02,10\n", QStringConverter::Utf16LE)
            << QString::fromUtf8("p.csv, line 1: the header row needs a Date and a Close column (or the MetaTrader 4 layout date, "
                                 "time, open, high, low, close, volume without a header); found \"Date,\xF0\x9F\x98\x80\".");
    }

    void readInPiecesAsWhole() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        qint64 at = 0;
        const PriceByteSource byteByByte = [&](char* buffer, qint64) -> qint64 {
            if (at == bytes.size())
                return 0;
            *buffer = bytes[at++];
            return 1;
        };
        for (const PriceHistoryRead& r : {ReadPriceHistory(bytes, QStringLiteral("p.csv")), ReadPriceHistory(byteByByte, QStringLiteral("p.csv"))})
            QCOMPARE(r.history ? BarsText(*r.history) : r.problem, read);
    }

    // The file the issue was about: days of the month all 12 or less, written day first.
    void dayFirstFileReadWithItsOrder() {
        PriceHistory msft = Plain("msft-daily-ohlcv-2000-2001.csv");
        msft.bars.erase(std::remove_if(msft.bars.begin(), msft.bars.end(), [](const PriceBar& b) { return b.date.day() > 12; }),
                        msft.bars.end());
        const QByteArray bytes = Written(msft, "Date,Open,High,Low,Close", [](const PriceBar& b) {
            return Date(b.date, "dd/MM/yyyy") + ',' + Number(b.open) + ',' + Number(b.high) + ',' + Number(b.low) + ',' + Number(b.close);
        });
        QVERIFY(ReadPriceHistory(bytes, QStringLiteral("p.csv")).problem.contains(QStringLiteral("--date-format")));
        PriceReadOptions options;
        options.dateOrder = *ParseDateOrder(u"dd/mm/yyyy");
        const PriceHistoryRead read = ReadPriceHistory(bytes, QStringLiteral("p.csv"), options);
        QVERIFY2(read.history, qPrintable(read.problem));
        QCOMPARE(Difference(msft, *read.history), QString());
        QCOMPARE(PriceReadNoteLines(*read.history), QStringList{QStringLiteral("Dates were read as dd/mm/yyyy, as chosen.")});
    }

    // A source that fails half-way (a disk error, a broken pipe) is a file that cannot be
    // read, not one refused, and gives no bars.
    void sourceFailingMidFile() {
        int calls = 0;
        const PriceByteSource failing = [&calls](char* buffer, qint64) -> qint64 {
            if (calls++ > 0)
                return -1;
            std::memcpy(buffer, "Date,Close\n2024-01-02,10\n", 25);
            return 25;
        };
        const PriceHistoryRead read = ReadPriceHistory(failing, QStringLiteral("p.csv"));
        QVERIFY(!read.history);
        QCOMPARE(read.failure, PriceReadFailure::CannotRead);
        QCOMPARE(read.problem, QStringLiteral("Can't read the price history file p.csv: the input could not be read"));
    }

    void closeSwingRule_data() {
        QTest::addColumn<double>("percent");
        QTest::addColumn<QVector<double>>("closes");
        QTest::addColumn<QString>("swings");
        // 25 % and 50 % keep every product exact in binary, so "met exactly" is exact.
        QTest::newRow("first swing up, met exactly") << 25.0 << QVector<double>{100, 80, 90, 100, 90} << "1L@80 3h@100";
        QTest::newRow("just short of the threshold") << 25.0 << QVector<double>{100, 80, 99.99} << "";
        QTest::newRow("first swing down") << 25.0 << QVector<double>{100, 110, 80, 85} << "1H@110 2l@80";
        QTest::newRow("down by exactly the threshold") << 50.0 << QVector<double>{100, 120, 60} << "1H@120 2l@60";
        QTest::newRow("equal highs keep the first") << 25.0 << QVector<double>{100, 130, 130, 90, 120} << "0L@100 1H@130 3L@90 4h@120";
        QTest::newRow("equal lows keep the first") << 25.0 << QVector<double>{100, 70, 70, 95, 71, 70, 90} << "0H@100 1L@70 3H@95 5L@70 6h@90";
        QTest::newRow("equal first closes") << 25.0 << QVector<double>{100, 100, 100, 125} << "0L@100 3h@125";
        QTest::newRow("new high after the turn") << 25.0 << QVector<double>{100, 75, 90, 110, 80, 90, 60} << "0H@100 1L@75 3H@110 6l@60";
        // A threshold below a double's resolution: a flat close is up from the low and
        // down from the high at once, both the same close; the rule's first branch wins.
        QTest::newRow("both at once") << 1e-17 << QVector<double>{100, 100, 90} << "0L@100 1H@100 2l@90";
        QTest::newRow("no closes") << 5.0 << QVector<double>{} << "";
    }

    void closeSwingRule() {
        QFETCH(double, percent);
        QFETCH(QVector<double>, closes);
        QFETCH(QString, swings);
        QCOMPARE(SwingText(FindSwingBars(std::vector<double>(closes.begin(), closes.end()), percent)), swings);
    }

    // Bars as High, Low, Close triples at 25 %: each row is one clause of the rule.
    void highLowSwingRule_data() {
        QTest::addColumn<QVector<double>>("bars");
        QTest::addColumn<QString>("swings");
        QTest::newRow("a High confirms the low; closes never rise 25 %")
            << QVector<double>{100, 80, 90, 99, 85, 90, 100, 90, 92} << "0L@80 2h@100";
        QTest::newRow("a new High is no reversal, whatever its Low; the confirming Low starts the trend")
            << QVector<double>{100, 80, 90, 99, 85, 90, 100, 90, 92, 130, 70, 120, 125, 97, 100} << "0L@80 3H@130 4l@97";
        QTest::newRow("equal Highs keep the first")
            << QVector<double>{100, 80, 90, 130, 100, 120, 130, 110, 125, 120, 90, 95} << "0L@80 1H@130 3l@90";
        QTest::newRow("before the first swing a wide bar moves both extremes")
            << QVector<double>{100, 95, 98, 110, 90, 100, 112, 85, 100, 120, 100, 110} << "2L@85 3h@120";
        QTest::newRow("a bar confirming both ways: the extreme that came first")
            << QVector<double>{100, 96, 98, 97, 80, 85, 100, 75, 99} << "0H@100 2l@75";
        QTest::newRow("no High or Low: the close")
            << QVector<double>{NAN, NAN, 100, NAN, NAN, 130} << "0L@100 1h@130";
    }

    void highLowSwingRule() {
        QFETCH(QVector<double>, bars);
        QFETCH(QString, swings);
        PriceHistory h;
        for (int i = 0; i + 2 < bars.size(); i += 3)
            h.bars.push_back(PriceBar{QDate(2000, 1, 3).addDays(i), bars[i + 2], NAN, bars[i], bars[i + 1]});
        QCOMPARE(SwingText(FindSwings(h, 25, SwingBasis::HighLow)), swings);
    }

    void djiaSwingsOf1987() {
        const PriceHistory h = Plain("djia-daily-1980-1989.csv");
        QCOMPARE(int(h.bars.size()), 2528);
        QCOMPARE(DefaultSwingBasis(h), SwingBasis::Close);
        QStringList of1987;
        for (const Swing& s : FindSwings(h, 10)) {
            if (s.date.year() == 1987)
                of1987 << FormatShortDate(s.date) + QLatin1Char('=') + QString::number(s.price);
        }
        QVERIFY2(of1987.contains(QStringLiteral("8/25/1987=2722.42")), qPrintable(of1987.join(' ')));
        QVERIFY2(of1987.contains(QStringLiteral("10/19/1987=1738.74")), qPrintable(of1987.join(' ')));
    }

    // The tool's reading side; "<dir>" is a folder holding a FIFO and two small files.
    void toolReadsItsInputs_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed");   // the start of standard error, or a line of standard output
        const QByteArray prices("Date,High,Low,Close\n2024-01-02,11,9,10\n2024-01-03,13,10,12\n2024-01-04,12,8,9\n");
        const QString cantRead = QStringLiteral("Action failed:\nCan't read the price history file <dir>/");
        QTest::newRow("missing file") << QStringList{"--data", "<dir>/none.csv"} << QByteArray() << 1
                                      << cantRead + "none.csv: No such file or directory";
        QTest::newRow("a folder") << QStringList{"--data", "<dir>"} << QByteArray() << 1
                                  << "Action failed:\nCan't read the price history file <dir>: Is a directory";
        QTest::newRow("a FIFO, never opened") << QStringList{"--data", "<dir>/fifo"} << QByteArray() << 1
                                              << cantRead + "fifo: Not a regular file";
        QTest::newRow("standard input, High/Low by default") << QStringList{"--data", "-"} << prices << 0
                                                             << "Swings of at least 5%, on highs and lows";
        QTest::newRow("standard input twice") << QStringList{"--data", "-", "--data", "-"} << prices << 64
                                              << "tessaray-cli: --data - reads standard input, which can be given only once";
        QTest::newRow("two files, each reported") << QStringList{"--data", "<dir>/a.csv", "--data", "<dir>/b.csv"}
                                                  << QByteArray() << 0 << "Price history b.csv: 3 closes";
        QTest::newRow("--swings close") << QStringList{"--data", "-", "--swings", "close"} << prices << 0 << "Swings of at least 5%\n";
        QTest::newRow("--swings hl without highs") << QStringList{"--data", "<dir>/a.csv", "--swings", "hl"} << QByteArray() << 2
                                                   << "a.csv: --swings hl needs a High and a Low on every row; use --swings close.";
        QTest::newRow("--date-format reads the file") << QStringList{"--data", "-", "--date-format", "dd/mm/yyyy"}
            << QByteArray("Date,Close\n01/02/2024,10\n02/02/2024,12\n") << 0 << "Dates were read as dd/mm/yyyy, as chosen.";
        QTest::newRow("--date-format unknown") << QStringList{"--data", "-", "--date-format", "yyyy/dd/mm"} << prices << 64
                                               << "tessaray-cli: --date-format is auto, mm/dd/yyyy or dd/mm/yyyy, not \"yyyy/dd/mm\"";
        QTest::newRow("threshold below the range") << QStringList{"--data", "-", "--threshold", "0.05"} << prices << 64
                                                   << "tessaray-cli: --threshold needs a percentage from 0.1 to 50, not \"0.05\"";
        QTest::newRow("threshold above the range") << QStringList{"--data", "-", "--threshold", "50.5"} << prices << 64
                                                   << "tessaray-cli: --threshold needs a percentage from 0.1 to 50";
    }

    void toolReadsItsInputs() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QString, printed);
        const QString dir = m_dir.path();
        QVERIFY(QFileInfo::exists(dir + "/fifo") || ::mkfifo(qPrintable(dir + "/fifo"), 0600) == 0);
        QVERIFY(WriteBytes(dir + "/a.csv", "Date,Close\n2024-01-02,10\n2024-01-03,12\n"));
        QVERIFY(WriteBytes(dir + "/b.csv", "Date,Close\n2024-01-02,10\n2024-01-03,12\n2024-01-04,11\n"));
        args.replaceInStrings("<dir>", dir);
        printed.replace("<dir>", dir);
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        qint64 at = 0;
        const auto in = [&input, &at](char* buffer, qint64 size) {
            const qint64 n = std::min(size, input.size() - at);
            std::memcpy(buffer, input.constData() + at, size_t(n));
            at += n;
            return n;
        };
        QCOMPARE(RunHistoryCommand(args + QStringList{"--today", "6/1/2024"}, CliEnvironment{dir, QDate(2024, 6, 1), {}, false},
                                   CliStreams{in, &out, &err}),
                 status);
        const QString text = QString::fromUtf8(status == 0 ? out.data() : err.data());
        QVERIFY2(status == 0 ? text.contains(printed) : text.startsWith(printed), qPrintable(text));
    }
};

QTEST_APPLESS_MAIN(TestHistoryReader)
#include "test_history_reader.moc"
