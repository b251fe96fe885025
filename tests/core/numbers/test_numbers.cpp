// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/numbers/numbers.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();
}

// The results of both analyses hang on how a price is read, rounded and written,
// so these tables pin each rule down with the inputs traders actually produce.
class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    // The same text typed into a box (lenient; infinity: too large for a double) and
    // found in a project or settings file (strict; NaN: the file is refused).
    void reading_data() {
        struct Row { const char* name; const char* text; double box, file; };
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("box");
        QTest::addColumn<double>("file");
        for (const Row& r : std::initializer_list<Row>{
                 {"empty", "", 0, NaN}, {"only point", ".", 0, NaN}, {"exponent without mantissa", "e5", 0, NaN},
                 {"0.382", "0.382", 0.382, 0.382}, {"leading point", ".5", 0.5, 0.5},
                 {"blanks around", "  150.5 ", 150.5, 150.5}, {"minus", "-3.25", -3.25, -3.25},
                 {"minus zero reads zero", "-0", 0, 0}, {"second point stops", "12.5.3", 12.5, NaN},
                 {"letters stop", "12abc", 12, NaN}, {"comma stops", "1,5", 1, NaN},
                 {"second sign stops", "--5", 0, NaN}, {"sign after digits stops", "5-3", 5, NaN},
                 {"no hex prefix", "&H10", 0, NaN}, {"blanks between digits", "1 2 3.4 5", 123.45, NaN},
                 {"blank after plus", "+ 7", 7, NaN}, {"tabs and line feeds", "\t1\n0\t", 10, NaN},
                 {"carriage return stops", "1\r2", 1, NaN}, {"capital exponent", "1E+15", 1e15, 1e15},
                 {"small exponent", "1.5E-07", 1.5e-7, 1.5e-7}, {"blanks in exponent", "1 e - 2", 0.01, NaN},
                 {"exponent sign without digits", "4e-", 4, NaN}, {"no D exponent", "1D2", 1, NaN},
                 {"point after exponent stops", "1e2.5", 100, NaN}, {"largest finite", "1.7e308", 1.7e308, 1.7e308},
                 {"tiny underflows to zero", "1e-400", 0, 0}, {"just past the largest double", "1.8e308", Inf, NaN},
                 {"-1e400", "-1e400", -Inf, NaN}, {"huge exponent", "0.001e99999999999999999999", Inf, NaN}})
            QTest::newRow(r.name) << QString::fromLatin1(r.text) << r.box << r.file;
        const QString third = "0." + QString(6000, QLatin1Char('3'));
        QTest::newRow("6000 pasted digits") << third << 1.0 / 3 << 1.0 / 3;
        QTest::newRow("6000 digits") << QString(6000, QLatin1Char('1')) << Inf << NaN;
        // Too small for a double however the sign and leading zeros stretch the text.
        QTest::newRow("minus, 400 zeros, a digit") << "-0." + QString(400, QLatin1Char('0')) + "1" << 0.0 << 0.0;
    }
    void reading() {
        QFETCH(QString, text);
        QFETCH(double, box);
        QFETCH(double, file);
        bool tooLarge = !std::isinf(box);
        const double value = ReadLeadingNumber(text, &tooLarge);
        QCOMPARE(value, box);
        QCOMPARE(std::signbit(value), box < 0);
        QCOMPARE(tooLarge, std::isinf(box));
        QCOMPARE(ParseFileNumber(text).value_or(NaN), file);
    }

    // Nearest with halves to even, and whether it still fits in 16 bits.
    void rounding_data() {
        struct Row { const char* name; double x, nearest; bool fits; };
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("nearest");
        QTest::addColumn<bool>("fitsInt16");
        for (const Row& r : std::initializer_list<Row>{
                 {"2.5 down to even", 2.5, 2, true}, {"3.5 up to even", 3.5, 4, true}, {"0.5", 0.5, 0, true},
                 {"-2.5", -2.5, -2, true}, {"not a half", 2.5000001, 3, true}, {"32767.4", 32767.4, 32767, true},
                 {"32767.5 past the top", 32767.5, 32768, false},
                 {"-32768.5 rounds to even inside", -32768.5, -32768, true}, {"-32769", -32769, -32769, false},
                 {"NaN", NaN, NaN, false}, {"infinity", Inf, Inf, false}})
            QTest::newRow(r.name) << r.x << r.nearest << r.fits;
    }
    void rounding() {
        QFETCH(double, x);
        QFETCH(double, nearest);
        QFETCH(bool, fitsInt16);
        QCOMPARE(RoundHalfEven(x), nearest);
        const std::optional<qint16> r = ToInt16(x);
        QCOMPARE(r ? double(*r) : NaN, fitsInt16 ? nearest : NaN);
    }
    // General number form (files, ratio boxes) and the "0.00" price pattern.
    void writing_data() {
        struct Row { const char* name; double x; const char* general; const char* price; };
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("general");
        QTest::addColumn<QString>("price");   // empty: not a price
        for (const Row& r : std::initializer_list<Row>{
                 {"ratio", 0.382, "0.382", "0.38"}, {"one decimal padded", 130.9, "130.9", "130.90"},
                 {"stored just below the half", 100.615, "100.615", "100.62"},
                 {"half to even down", 0.125, "0.125", "0.12"}, {"half to even up", 0.375, "0.375", "0.38"},
                 {"tiny negative", -0.001, "-0.001", "0.00"}, {"negative zero", -0.0, "0", "0.00"},
                 {"binary noise dropped", 0.1 + 0.2, "0.3", "0.30"}, {"1E+15", 1e15, "1E+15", ""},
                 {"fifteen digits plain", 123456789012345.0, "123456789012345", ""},
                 {"carry into 1E+15", 999999999999999.9, "1E+15", ""}, {"0.00001 plain", 0.00001, "0.00001", "0.00"},
                 {"0.000001", 0.000001, "1E-06", "0.00"}, {"three digit exponent", 2.5e100, "2.5E+100", ""},
                 {"rounded to 15 digits", 1.23456789012345678, "1.23456789012346", "1.23"}})
            QTest::newRow(r.name) << r.x << QString(r.general) << QString(r.price);
    }
    void writing() {
        QFETCH(double, x);
        QFETCH(QString, general);
        QFETCH(QString, price);
        QCOMPARE(GeneralNumber(x), general);
        if (!price.isEmpty())
            QCOMPARE(Format00(x), price);
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
