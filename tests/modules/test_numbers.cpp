#include "modules/numbers.h"
#include "modules/errors.h"

#include <QtTest>
#include <cmath>
#include <limits>

// The results of both analyses hang on how a price is read, rounded and written,
// so these tables pin each rule down with the inputs traders actually produce.
class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void readLeadingNumber_data();
    void readLeadingNumber();
    void readLeadingNumberTooLarge_data();
    void readLeadingNumberTooLarge();
    void readLeadingNumberLongText();
    void roundHalfEven_data();
    void roundHalfEven();
    void toInt16_data();
    void toInt16();
    void toInt32Limits();
    void generalNumber_data();
    void generalNumber();
    void format00_data();
    void format00();
    void parseFileNumber_data();
    void parseFileNumber();
};

void TestNumbers::readLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("only point") << "." << 0.0;
    QTest::newRow("only sign") << "-" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("exponent without mantissa") << "e5" << 0.0;
    QTest::newRow("integer") << "150" << 150.0;
    QTest::newRow("decimal") << "12.5" << 12.5;
    QTest::newRow("tenth reads as the double 0.1") << "0.1" << 0.1;
    QTest::newRow("0.382") << "0.382" << 0.382;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "7." << 7.0;
    QTest::newRow("minus") << "-3.25" << -3.25;
    QTest::newRow("plus") << "+4" << 4.0;
    QTest::newRow("minus zero reads zero") << "-0" << 0.0;
    QTest::newRow("second point stops") << "12.5.3" << 12.5;
    QTest::newRow("junk stops") << "12abc" << 12.0;
    QTest::newRow("comma stops") << "1,5" << 1.0;
    QTest::newRow("second sign stops") << "--5" << 0.0;
    QTest::newRow("sign after digits stops") << "5-3" << 5.0;
    QTest::newRow("leading blanks") << "   42" << 42.0;
    QTest::newRow("blanks between digits") << "1 2 3.4 5" << 123.45;
    QTest::newRow("blank after sign") << "- 7" << -7.0;
    QTest::newRow("tabs and line feeds") << "\t1\n0\t" << 10.0;
    QTest::newRow("carriage return stops") << "1\r2" << 1.0;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("capital exponent") << "2E2" << 200.0;
    QTest::newRow("negative exponent") << "25e-1" << 2.5;
    QTest::newRow("signed exponent") << "3e+2" << 300.0;
    QTest::newRow("blanks in exponent") << "1 e - 2" << 0.01;
    QTest::newRow("exponent without digits") << "4e" << 4.0;
    QTest::newRow("exponent sign without digits") << "4e-" << 4.0;
    QTest::newRow("point after exponent stops") << "1e2.5" << 100.0;
    QTest::newRow("no hex prefix") << "&H10" << 0.0;
    QTest::newRow("no D exponent") << "1D2" << 1.0;
    QTest::newRow("tiny underflows to zero") << "1e-400" << 0.0;
}

void TestNumbers::readLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    bool tooLarge = true;
    const double value = ReadLeadingNumber(text, &tooLarge);
    QCOMPARE(value, expected);
    QVERIFY(!std::signbit(value) || expected < 0);
    QVERIFY(!tooLarge);
}

void TestNumbers::readLeadingNumberTooLarge_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("negative");
    QTest::newRow("1e400") << "1e400" << false;
    QTest::newRow("-1e400") << "-1e400" << true;
    QTest::newRow("just past the largest double") << "1.8e308" << false;
    QTest::newRow("many digits") << QString(400, QLatin1Char('9')) << false;
    QTest::newRow("huge exponent") << "0.001e99999999999999999999" << false;
}

void TestNumbers::readLeadingNumberTooLarge()
{
    QFETCH(QString, text);
    QFETCH(bool, negative);
    bool tooLarge = false;
    const double value = ReadLeadingNumber(text, &tooLarge);
    QVERIFY(tooLarge);
    QVERIFY(std::isinf(value));
    QCOMPARE(value < 0, negative);
    QCOMPARE(ReadLeadingNumber("1.7e308", &tooLarge), 1.7e308);
    QVERIFY(!tooLarge);
}

void TestNumbers::readLeadingNumberLongText()
{
    // A pasted block of 6000 digits must neither crash nor lose the decimal point.
    const QString digits = QStringLiteral("0.") + QString(6000, QLatin1Char('3'));
    QCOMPARE(ReadLeadingNumber(digits), 1.0 / 3.0);
    bool tooLarge = false;
    ReadLeadingNumber(QString(6000, QLatin1Char('1')), &tooLarge);
    QVERIFY(tooLarge);
}

void TestNumbers::roundHalfEven_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");
    QTest::newRow("2.5 down to even") << 2.5 << 2.0;
    QTest::newRow("3.5 up to even") << 3.5 << 4.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("not a half") << 2.5000001 << 3.0;
    QTest::newRow("below half") << -1.4 << -1.0;
}

void TestNumbers::roundHalfEven()
{
    QFETCH(double, x);
    QFETCH(double, expected);
    QCOMPARE(RoundHalfEven(x), expected);
}

void TestNumbers::toInt16_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");
    QTest::newRow("half to even") << 6.5 << true << 6;
    QTest::newRow("largest") << 32767.0 << true << 32767;
    QTest::newRow("32767.4") << 32767.4 << true << 32767;
    QTest::newRow("32767.5 rounds past the top") << 32767.5 << false << 0;
    QTest::newRow("-32768.5 rounds to even inside") << -32768.5 << true << -32768;
    QTest::newRow("-32769") << -32769.0 << false << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << 0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
}

void TestNumbers::toInt16()
{
    QFETCH(double, x);
    QFETCH(bool, fits);
    QFETCH(int, expected);
    const std::optional<qint16> r = ToInt16(x);
    QCOMPARE(r.has_value(), fits);
    if (fits)
        QCOMPARE(int(*r), expected);
    bool thrown = false;
    try {
        QCOMPARE(int(ToInt16OrThrow(x, QStringLiteral("too many"))), expected);
    } catch (const CalcError& e) {
        thrown = e.text == QLatin1String("too many");
    }
    QCOMPARE(thrown, !fits);
}

void TestNumbers::toInt32Limits()
{
    QCOMPARE(ToInt32(2147483647.4).value_or(0), 2147483647);
    QVERIFY(!ToInt32(2147483647.5));
    QCOMPARE(ToInt32(-2147483648.5).value_or(0), -2147483647 - 1);
    QVERIFY(!ToInt32(-2147483649.0));
}

void TestNumbers::generalNumber_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ratio") << 0.382 << "0.382";
    QTest::newRow("integer") << 100.0 << "100";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -12.75 << "-12.75";
    QTest::newRow("binary noise dropped") << 0.1 + 0.2 << "0.3";
    QTest::newRow("fifteen digits plain") << 123456789012345.0 << "123456789012345";
    QTest::newRow("1E+15") << 1e15 << "1E+15";
    QTest::newRow("carry into 1E+15") << 999999999999999.9 << "1E+15";
    QTest::newRow("0.00001 plain") << 0.00001 << "0.00001";
    QTest::newRow("0.000001 exponent") << 0.000001 << "1E-06";
    QTest::newRow("1.5E-07") << 1.5e-7 << "1.5E-07";
    QTest::newRow("three digit exponent") << 2.5e100 << "2.5E+100";
    QTest::newRow("rounded to 15 digits") << 1.23456789012345678 << "1.23456789012346";
    QTest::newRow("1/3") << 1.0 / 3.0 << "0.333333333333333";
}

void TestNumbers::generalNumber()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(GeneralNumber(x), expected);
}

void TestNumbers::format00_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one decimal padded") << 130.9 << "130.90";
    QTest::newRow("stored just below the half") << 100.615 << "100.62";
    QTest::newRow("half to even down") << 0.125 << "0.12";
    QTest::newRow("half to even up") << 0.375 << "0.38";
    QTest::newRow("integer") << 90.0 << "90.00";
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("tiny negative is not -0.00") << -0.001 << "0.00";
    QTest::newRow("negative") << -2.5 << "-2.50";
    QTest::newRow("large") << 123456789.0 << "123456789.00";
}

void TestNumbers::format00()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(Format00(x), expected);
}

void TestNumbers::parseFileNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("expected");
    QTest::newRow("integer") << "100" << true << 100.0;
    QTest::newRow("decimal") << "0.618" << true << 0.618;
    QTest::newRow("blanks around") << "  150.5 " << true << 150.5;
    QTest::newRow("sign") << "-2" << true << -2.0;
    QTest::newRow("plus sign") << "+2" << true << 2.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("exponent") << "1E+15" << true << 1e15;
    QTest::newRow("small exponent") << "1.5E-07" << true << 1.5e-7;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks only") << "  " << false << 0.0;
    QTest::newRow("trailing letters") << "12abc" << false << 0.0;
    QTest::newRow("comma") << "1,5" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("blank inside") << "1 2" << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("too large") << "1e400" << false << 0.0;
    QTest::newRow("tab") << "\t5" << false << 0.0;
}

void TestNumbers::parseFileNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, expected);
    const std::optional<double> value = ParseFileNumber(text);
    QCOMPARE(value.has_value(), valid);
    if (valid)
        QCOMPARE(*value, expected);
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
