// The Windows font names the windows ask for resolve to installed fonts of the
// same kind; the results lists need a fixed-width one to keep their columns.
#include "platform/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QtTest>

class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void namesResolveToInstalledFamilies_data();
    void namesResolveToInstalledFamilies();
    void listingFontIsFixedWidth_data();
    void listingFontIsFixedWidth();
};

void TestFonts::namesResolveToInstalledFamilies_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("chart font") << "verdana";
    QTest::newRow("chart font, capitalised") << "Verdana";
    QTest::newRow("labels") << "Arial";
    QTest::newRow("listing") << "Lucida Console";
    QTest::newRow("default control font") << "MS Sans Serif";
}

void TestFonts::namesResolveToInstalledFamilies() {
    QFETCH(QString, name);
    const QStringList families = QFontDatabase::families();
    const QString resolved = ResolvedFontFamily(name);
    QVERIFY2(families.contains(resolved, Qt::CaseInsensitive), qPrintable(resolved));
    // What Qt really draws with is that family (or the original when installed).
    const QFontInfo info(MakeFont(name, 10));
    QVERIFY2(info.family().compare(resolved, Qt::CaseInsensitive) == 0 ||
                 info.family().compare(name, Qt::CaseInsensitive) == 0,
             qPrintable(info.family() + " for " + name));
}

void TestFonts::listingFontIsFixedWidth_data() {
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("compact listing") << 7.0 << true;
    QTest::newRow("large listing") << 8.0 << true;
    QTest::newRow("plain") << 10.0 << false;
}

void TestFonts::listingFontIsFixedWidth() {
    QFETCH(double, points);
    QFETCH(bool, bold);
    const QFont font = MakeFont(QStringLiteral("Lucida Console"), points, bold);
    QVERIFY2(QFontInfo(font).fixedPitch(), qPrintable(QFontInfo(font).family()));
    const QFontMetrics fm(font);
    QCOMPARE(fm.horizontalAdvance(QStringLiteral("iiiiiiii")),
             fm.horizontalAdvance(QStringLiteral("WWWWWWWW")));
}

QTEST_MAIN(TestFonts)
#include "test_fonts.moc"
