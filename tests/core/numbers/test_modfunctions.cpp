#include "core/numbers/modFunctions.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>

// The key filter decides what a trader can type into every price box, and the
// rotated text writes the price axis title: both are shared by several windows.
class TestModFunctions : public QObject {
    Q_OBJECT
private slots:
    void filterNumericKey_data() {
        struct Row { const char* name; const char* box; int key; bool decimal; int expected; };
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("allowDecimal");
        QTest::addColumn<int>("expected");
        for (const Row& r : std::initializer_list<Row>{
                 {"digit, decimal box", "12", '7', true, '7'}, {"digit, whole box", "12", '0', false, '0'},
                 {"first point", "", '.', true, '.'},          {"second point", "12.5", '.', true, 0},
                 {"point in whole box", "", '.', false, 0},    {"blank", "", ' ', true, 0},
                 {"letter", "", 'a', true, 0},                 {"minus", "", '-', true, 0},
                 {"comma", "", ',', true, 0},                  {"non-ascii digit", "", 0x0663, true, 0},
                 {"backspace", "12", 8, true, 8},              {"enter", "12", 13, false, 13},
                 {"ctrl+v pastes anything", "12.5", 22, false, 22}, {"code 26 passes", "", 26, true, 26},
                 {"escape", "12", 27, true, 0}})
            QTest::newRow(r.name) << QString(r.box) << r.key << r.decimal << r.expected;
    }
    void filterNumericKey() {
        QFETCH(QString, boxText);
        QFETCH(int, key);
        QFETCH(bool, allowDecimal);
        QFETCH(int, expected);
        FilterNumericKey(boxText, key, allowDecimal);
        QCOMPARE(key, expected);
    }

    // The two text rules every name, price and notes box goes through on its way to a
    // file or report: trimming takes blanks only, line ends become CR LF exactly once.
    void textRules_data() {
        QTest::addColumn<bool>("trim");   // else WithCrLf
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trim blanks") << true << "  Corn May  " << "Corn May";
        QTest::newRow("trim keeps tabs and line breaks") << true << " \tx\r\n " << "\tx\r\n";
        QTest::newRow("trim only blanks") << true << "   " << "";
        QTest::newRow("bare line feeds") << false << "\na\n\nb" << "\r\na\r\n\r\nb";
        QTest::newRow("CR LF stays") << false << "a\r\nb\r\n" << "a\r\nb\r\n";
        QTest::newRow("lone CR stays") << false << "a\rb" << "a\rb";
    }
    void textRules() {
        QFETCH(bool, trim);
        QFETCH(QString, text);
        QTEST(trim ? TrimBlanks(text) : WithCrLf(text), "expected");
    }

    // Turned a quarter to the left around (10, 150): the word starts at y 150 and runs
    // up, its glyphs right of x 10 (the text's top is now on the left).
    void rotatedTextRunsUpwards() {
        QVERIFY(!DrawRotatedText(nullptr, QStringLiteral("Price"), 0, 0, 90.0f));
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QFont font = painter.font();
        font.setPixelSize(20);
        painter.setFont(font);
        QVERIFY(DrawRotatedText(&painter, QStringLiteral("Price"), 10, 150, 90.0f));
        QCOMPARE(painter.font(), font);   // the painter's own state comes back
        painter.end();
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink |= qGray(image.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
        QVERIFY2(ink.height() > ink.width(), "the word is not vertical");
        QVERIFY(ink.bottom() <= 151 && ink.bottom() >= 140 && ink.top() < 120);
        QVERIFY(ink.left() >= 9 && ink.right() <= 10 + 26);
    }
};

QTEST_MAIN(TestModFunctions)
#include "test_modfunctions.moc"
