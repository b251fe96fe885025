#include "modules/modFunctions.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>

// The key filter decides what a trader can type into every price box, and the
// rotated text writes the price axis title: both are shared by several windows.
class TestModFunctions : public QObject {
    Q_OBJECT
private slots:
    void filterNumericKey_data();
    void filterNumericKey();
    void rotatedTextRunsUpwards();
    void rotatedTextNeedsAnActivePainter();
};

void TestModFunctions::filterNumericKey_data()
{
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("allowDecimal");
    QTest::addColumn<int>("expected");
    QTest::newRow("digit, decimal box") << "12" << int('7') << true << int('7');
    QTest::newRow("digit, whole box") << "12" << int('0') << false << int('0');
    QTest::newRow("first point") << "" << int('.') << true << int('.');
    QTest::newRow("point after digits") << "12" << int('.') << true << int('.');
    QTest::newRow("second point") << "12.5" << int('.') << true << 0;
    QTest::newRow("point in whole box") << "" << int('.') << false << 0;
    QTest::newRow("blank") << "" << 32 << true << 0;
    QTest::newRow("letter") << "" << int('a') << true << 0;
    QTest::newRow("minus") << "" << int('-') << true << 0;
    QTest::newRow("plus") << "" << int('+') << false << 0;
    QTest::newRow("comma") << "" << int(',') << true << 0;
    QTest::newRow("slash") << "" << int('/') << true << 0;
    QTest::newRow("exponent letter") << "1" << int('e') << true << 0;
    QTest::newRow("backspace") << "12" << 8 << true << 8;
    QTest::newRow("enter") << "12" << 13 << false << 13;
    QTest::newRow("tab") << "12" << 9 << true << 9;
    QTest::newRow("ctrl+v pastes anything") << "12.5" << 22 << false << 22;
    QTest::newRow("code 26 passes") << "" << 26 << true << 26;
    QTest::newRow("escape") << "12" << 27 << true << 0;
    QTest::newRow("non-ascii digit") << "" << 0x0663 << true << 0;
}

void TestModFunctions::filterNumericKey()
{
    QFETCH(QString, boxText);
    QFETCH(int, key);
    QFETCH(bool, allowDecimal);
    QFETCH(int, expected);
    FilterNumericKey(boxText, key, allowDecimal);
    QCOMPARE(key, expected);
}

namespace {

// Bounding box of the dark pixels on a white image.
QRect InkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

void TestModFunctions::rotatedTextRunsUpwards()
{
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::black);
    QVERIFY(DrawRotatedText(&painter, QStringLiteral("Price"), 10, 150, 90.0f));
    const QFont after = painter.font();
    painter.end();
    QCOMPARE(after, font);   // the painter's own state comes back

    // Turned a quarter to the left around (10, 150): the word starts at y 150
    // and runs up, and its glyphs lie to the right of x 10 (the text's top is
    // now on the left).
    const QRect ink = InkBounds(image);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.height() > ink.width(), "the word is not vertical");
    QVERIFY(ink.bottom() <= 151);
    QVERIFY(ink.bottom() >= 140);
    QVERIFY(ink.top() < 120);
    QVERIFY(ink.left() >= 9);
    QVERIFY(ink.right() <= 10 + 26);
}

void TestModFunctions::rotatedTextNeedsAnActivePainter()
{
    QVERIFY(!DrawRotatedText(nullptr, QStringLiteral("Price"), 0, 0, 90.0f));
    QPainter idle;
    QVERIFY(!DrawRotatedText(&idle, QStringLiteral("Price"), 0, 0, 90.0f));
}

QTEST_MAIN(TestModFunctions)
#include "test_modfunctions.moc"
