// The results lists need a fixed-width font to keep their columns: the Windows
// name the windows ask for must resolve to one.
#include "platform/fonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QtTest>

class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void listingFontIsFixedWidth_data() {
        QTest::addColumn<double>("points");
        QTest::newRow("compact listing") << 7.0;
        QTest::newRow("large listing") << 8.0;
    }
    void listingFontIsFixedWidth() {
        QFETCH(double, points);
        const QFont font = MakeFont(QStringLiteral("Lucida Console"), points, true);
        QVERIFY2(QFontInfo(font).fixedPitch(), qPrintable(QFontInfo(font).family()));
        const QFontMetrics fm(font);
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("iiiiiiii")),
                 fm.horizontalAdvance(QStringLiteral("WWWWWWWW")));
    }
};

QTEST_MAIN(TestFonts)
#include "test_fonts.moc"
