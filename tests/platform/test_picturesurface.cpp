// The chart drawing surface: exact colours, sizes in twips, the kept picture and
// the bitmap written from it.
#include "platform/picturesurface.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QColor Blue(0, 0, 255);
const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);

QColor PixelAt(const PictureSurface& s, int xTwips, int yTwips) {
    return s.image().pixelColor(s.toPixels(xTwips), s.toPixels(yTwips));
}

// Little-endian integers of a file header.
quint32 Le32(const QByteArray& b, int at) {
    return quint8(b[at]) | quint8(b[at + 1]) << 8 | quint8(b[at + 2]) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}
quint16 Le16(const QByteArray& b, int at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}
} // namespace

class TestPictureSurface : public QObject {
    Q_OBJECT
private slots:
    void twipsRoundToNearestPixel_data();
    void twipsRoundToNearestPixel();
    void linesHaveExactColours_data();
    void linesHaveExactColours();
    void boxesCoverTheirCorners();
    void filledCircleIsSolid();
    void outlineCircleLeavesCentre();
    void widerBoxKeepsDrawingAndAddsWhiteStrip();
    void narrowerBoxCutsPicture();
    void clsReturnsToPicture();
    void printMovesDownByLineHeight();
    void fontSizeFollowsScreenScale();
    void savePictureWritesWindowsBitmap();
    void savePictureWritesPictureNotDrawing();
    void savePictureFailsCleanly();
};

void TestPictureSurface::twipsRoundToNearestPixel_data() {
    QTest::addColumn<double>("tpp");
    QTest::addColumn<double>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("chart box at 96 dpi") << 15.0 << 8500.0 << 567;
    QTest::newRow("half pixel rounds to even") << 15.0 << 37.5 << 2;
    QTest::newRow("120 dpi") << 12.0 << 8500.0 << 708;
}

void TestPictureSurface::twipsRoundToNearestPixel() {
    QFETCH(double, tpp);
    QFETCH(double, twips);
    QFETCH(int, pixels);
    PictureSurface s(tpp);
    QCOMPARE(s.toPixels(twips), pixels);
    s.setSizeTwips(int(twips), int(twips));
    if (pixels > 0 && twips == int(twips)) QCOMPARE(s.widthPixels(), pixels);
}

void TestPictureSurface::linesHaveExactColours_data() {
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("explicitColour");
    QTest::newRow("level line in fore colour") << true << false;
    QTest::newRow("date line in fore colour") << false << false;
    QTest::newRow("line in a given colour") << true << true;
}

void TestPictureSurface::linesHaveExactColours() {
    QFETCH(bool, horizontal);
    QFETCH(bool, explicitColour);
    PictureSurface s(15);
    s.setSizeTwips(3000, 3000);
    if (!explicitColour) s.setForeColor(Blue);
    const int x2 = horizontal ? 2500 : 1000, y2 = horizontal ? 1000 : 2500;
    if (explicitColour) s.line(1000, 1000, x2, y2, Blue);
    else s.line(1000, 1000, x2, y2);
    QCOMPARE(PixelAt(s, 1750 * horizontal + 1000 * !horizontal, 1000 * horizontal + 1750 * !horizontal),
             Blue);
    QCOMPARE(PixelAt(s, 1000, 500), White);
    // The pen comes to rest at the end of the line.
    QCOMPARE(s.currentX(), x2);
    QCOMPARE(s.currentY(), y2);
    if (explicitColour) QCOMPARE(s.foreColor(), Black);
}

void TestPictureSurface::boxesCoverTheirCorners() {
    PictureSurface s(15);
    s.setSizeTwips(3000, 3000);
    s.box(300, 300, 1500, 1500, Blue);
    QCOMPARE(PixelAt(s, 300, 300), Blue);
    QCOMPARE(PixelAt(s, 1500, 1500), Blue);
    QCOMPARE(PixelAt(s, 900, 900), White);
    QCOMPARE(s.image().pixelColor(s.toPixels(1500) + 1, s.toPixels(1500)), White);

    s.filledBox(1500, 1500, 1800, 1800, QColor(150, 150, 150));   // corners given either way
    QCOMPARE(PixelAt(s, 1650, 1650), QColor(150, 150, 150));
    QCOMPARE(PixelAt(s, 1800, 1800), QColor(150, 150, 150));
    QCOMPARE(s.image().pixelColor(s.toPixels(1800) + 1, s.toPixels(1800)), White);
}

void TestPictureSurface::filledCircleIsSolid() {
    PictureSurface s(15);
    s.setSizeTwips(3000, 3000);
    s.setForeColor(Black);
    s.setFillSolid(true);
    s.setFillColor(Black);
    s.circle(1500, 1500, 50);
    QCOMPARE(PixelAt(s, 1500, 1500), Black);
    QCOMPARE(PixelAt(s, 1500, 1600), White);
    QCOMPARE(s.currentX(), 1500);
}

void TestPictureSurface::outlineCircleLeavesCentre() {
    PictureSurface s(15);
    s.setSizeTwips(3000, 3000);
    s.setForeColor(Blue);
    s.circle(1500, 1500, 300);
    QCOMPARE(PixelAt(s, 1500, 1500), White);
    QCOMPARE(PixelAt(s, 1800, 1500), Blue);
}

void TestPictureSurface::widerBoxKeepsDrawingAndAddsWhiteStrip() {
    PictureSurface s(15);
    s.setSizeTwips(3000, 3000);
    s.filledBox(0, 0, 3000, 3000, Blue);   // covers the whole box
    s.keepPicture();
    s.setSizeTwips(5500, 3000);
    QCOMPARE(s.widthTwips(), 5500);
    QCOMPARE(s.widthPixels(), 367);
    QCOMPARE(s.picture().size(), s.image().size());
    QCOMPARE(PixelAt(s, 2900, 2900), Blue);
    QCOMPARE(PixelAt(s, 3200, 100), White);
    QCOMPARE(PixelAt(s, 5400, 2900), White);
    QCOMPARE(s.picture().pixelColor(s.toPixels(2900), 10), Blue);
    QCOMPARE(s.picture().pixelColor(s.toPixels(5400), 10), White);
}

void TestPictureSurface::narrowerBoxCutsPicture() {
    PictureSurface s(15);
    s.setSizeTwips(3000, 3000);
    s.filledBox(0, 0, 3000, 3000, Blue);
    s.keepPicture();
    s.setSizeTwips(1500, 3000);
    QCOMPARE(s.picture().width(), 100);
    s.setSizeTwips(3000, 3000);
    // The cut part does not come back.
    QCOMPARE(PixelAt(s, 2500, 100), White);
}

void TestPictureSurface::clsReturnsToPicture() {
    PictureSurface s(15);
    s.setSizeTwips(3000, 3000);
    s.line(0, 150, 3000, 150, Blue);
    s.keepPicture();
    s.line(0, 600, 3000, 600, Blue);
    s.setCurrentX(700);
    s.setCurrentY(800);
    s.cls();
    QCOMPARE(PixelAt(s, 1000, 150), Blue);
    QCOMPARE(PixelAt(s, 1000, 600), White);
    QCOMPARE(s.currentX(), 0);
    QCOMPARE(s.currentY(), 0);

    s.setPictureNone();
    QVERIFY(s.picture().isNull());
    s.cls();
    QCOMPARE(PixelAt(s, 1000, 150), White);
}

void TestPictureSurface::printMovesDownByLineHeight() {
    PictureSurface s(15);
    s.setSizeTwips(6000, 3000);
    s.setFont(QStringLiteral("verdana"), 14);
    s.setForeColor(Blue);
    s.setCurrentX(1000);
    s.setCurrentY(500);
    const int h = s.textHeight();
    s.print(QStringLiteral("Time"));
    QCOMPARE(s.currentX(), 0);
    QCOMPARE(s.currentY(), 500 + h);

    // The text lies right of and below the position, in the fore colour exactly.
    int blue = 0, other = 0;
    const QImage& img = s.image();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c == White) continue;
            if (c == Blue) ++blue; else ++other;
            QVERIFY(x >= s.toPixels(1000) && y >= s.toPixels(500));
            QVERIFY(x < s.toPixels(1000 + s.textWidth(QStringLiteral("Time"))) + 2);
            QVERIFY(y < s.toPixels(500 + h));
        }
    QVERIFY(blue > 20);
    QCOMPARE(other, 0);
}

void TestPictureSurface::fontSizeFollowsScreenScale() {
    // The same point size is taller in pixels on a finer screen, equal in twips.
    PictureSurface at96(15), at144(10);
    at96.setFont(QStringLiteral("verdana"), 12);
    at144.setFont(QStringLiteral("verdana"), 12);
    const int h96 = at96.textHeight(), h144 = at144.textHeight();
    QVERIFY2(qAbs(h96 - h144) <= 45, qPrintable(QStringLiteral("%1 / %2").arg(h96).arg(h144)));
    // 12 points is 240 twips of font height; the line is somewhat more.
    QVERIFY2(h96 >= 240 && h96 <= 360, qPrintable(QString::number(h96)));
    QVERIFY(at96.textWidth(QStringLiteral("Price")) < at96.textWidth(QStringLiteral("Price Price")));
}

void TestPictureSurface::savePictureWritesWindowsBitmap() {
    QTemporaryDir dir;
    PictureSurface s(15);
    s.setSizeTwips(8500, 8500);
    s.filledBox(0, 0, 150, 150, Blue);
    s.keepPicture();
    const QString path = dir.filePath(QStringLiteral("fibchart.bmp"));
    QString error;
    QVERIFY2(s.savePicture(path, &error), qPrintable(error));

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    QCOMPARE(b.left(2), QByteArray("BM"));
    QCOMPARE(Le32(b, 18), 567u);        // width
    QCOMPARE(Le32(b, 22), 567u);        // height
    QCOMPARE(Le16(b, 28), quint16(24)); // bits per pixel

    const QImage back(path);
    QCOMPARE(back.size(), QSize(567, 567));
    QCOMPARE(back.pixelColor(2, 2), Blue);
    QCOMPARE(back.pixelColor(300, 300), White);

    // Saving again replaces the file.
    s.filledBox(0, 0, 150, 150, Black);
    s.keepPicture();
    QVERIFY(s.savePicture(path, &error));
    QCOMPARE(QImage(path).pixelColor(2, 2), Black);
}

void TestPictureSurface::savePictureWritesPictureNotDrawing() {
    QTemporaryDir dir;
    PictureSurface s(15);
    s.setSizeTwips(1500, 1500);
    s.keepPicture();
    s.filledBox(0, 0, 1500, 1500, Blue);   // drawn after the picture was kept
    const QString path = dir.filePath(QStringLiteral("chart.bmp"));
    QVERIFY(s.savePicture(path));
    QCOMPARE(QImage(path).pixelColor(50, 50), White);
}

void TestPictureSurface::savePictureFailsCleanly() {
    QTemporaryDir dir;
    PictureSurface s(15);
    s.setSizeTwips(1500, 1500);
    QString error;
    QVERIFY(!s.savePicture(dir.filePath(QStringLiteral("none.bmp")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.bmp"))));

    s.keepPicture();
    error.clear();
    const QString bad = dir.filePath(QStringLiteral("no such folder/chart.bmp"));
    QVERIFY(!s.savePicture(bad, &error));
    QVERIFY2(error.contains(QStringLiteral("chart.bmp")), qPrintable(error));
    QVERIFY(!QFile::exists(bad));
}

QTEST_MAIN(TestPictureSurface)
#include "test_picturesurface.moc"
