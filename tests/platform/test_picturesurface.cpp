// The chart drawing surface: exact colours, sizes in twips, the kept picture and
// the bitmap written from it; and the fonts it and the results lists draw with.
#include "platform/fonts.h"
#include "platform/picturesurface.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QColor Blue(0, 0, 255);
const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor Grey(150, 150, 150);

// A chart box at 96 dpi (15 twips a pixel), 200 pixels square unless told otherwise.
struct Surface : PictureSurface {
    explicit Surface(int w = 3000, int h = 3000) : PictureSurface(15) { setSizeTwips(w, h); }
};

QColor PixelAt(const PictureSurface& s, int xTwips, int yTwips) {
    return s.image().pixelColor(s.toPixels(xTwips), s.toPixels(yTwips));
}

// A little-endian integer of the bitmap file header.
quint32 Le(const QByteArray& b, int at, int bytes) {
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | quint8(b[at + i]);
    return v;
}
} // namespace

class TestPictureSurface : public QObject {
    Q_OBJECT
private slots:
    void linesHaveExactColours() {
        Surface s;
        s.line(1000, 1000, 1000, 2500, Blue);   // a given colour leaves the fore colour alone
        QCOMPARE(PixelAt(s, 1000, 1750), Blue);
        QCOMPARE(s.foreColor(), Black);
        s.setForeColor(Blue);
        s.line(1000, 1000, 2500, 1000);
        QCOMPARE(PixelAt(s, 1750, 1000), Blue);
        QCOMPARE(PixelAt(s, 1000, 500), White);
        // The pen comes to rest at the end of the line.
        QCOMPARE(s.currentX(), 2500);
        QCOMPARE(s.currentY(), 1000);
    }

    void boxesCoverTheirCorners() {
        Surface s;
        s.box(300, 300, 1500, 1500, Blue);
        QCOMPARE(PixelAt(s, 300, 300), Blue);
        QCOMPARE(PixelAt(s, 1500, 1500), Blue);
        QCOMPARE(PixelAt(s, 900, 900), White);
        QCOMPARE(s.image().pixelColor(s.toPixels(1500) + 1, s.toPixels(1500)), White);
        s.filledBox(1500, 1500, 1800, 1800, Grey);
        QCOMPARE(PixelAt(s, 1650, 1650), Grey);
        QCOMPARE(PixelAt(s, 1800, 1800), Grey);
        QCOMPARE(s.image().pixelColor(s.toPixels(1800) + 1, s.toPixels(1800)), White);
        // Corners given from the far end: the same pixels.
        s.filledBox(1200, 1200, 900, 900, Grey);
        QCOMPARE(PixelAt(s, 1200, 1200), Grey);
        QCOMPARE(PixelAt(s, 900, 900), Grey);
    }

    void circles() {
        Surface s;
        s.setFillSolid(true);
        s.setFillColor(Black);
        s.circle(1500, 1500, 50);
        QCOMPARE(PixelAt(s, 1500, 1500), Black);
        QCOMPARE(PixelAt(s, 1500, 1600), White);
        QCOMPARE(s.currentX(), 1500);
        s.setFillSolid(false);
        s.setForeColor(Blue);
        s.circle(1000, 1000, 300);
        QCOMPARE(PixelAt(s, 1000, 1000), White);
        QCOMPARE(PixelAt(s, 1300, 1000), Blue);
    }

    // Printing widens the box for the text block and narrows it back afterwards.
    void keptPictureFollowsTheBoxSize() {
        Surface s;
        s.filledBox(0, 0, 3000, 3000, Blue);
        s.keepPicture();
        s.setSizeTwips(5500, 3000);
        QCOMPARE(s.widthPixels(), 367);
        QCOMPARE(s.picture().size(), s.image().size());
        QCOMPARE(PixelAt(s, 2900, 2900), Blue);
        QCOMPARE(PixelAt(s, 3200, 100), White);
        QCOMPARE(s.picture().pixelColor(s.toPixels(2900), 10), Blue);
        QCOMPARE(s.picture().pixelColor(s.toPixels(5400), 10), White);
        s.setSizeTwips(1500, 3000);
        QCOMPARE(s.picture().width(), 100);
        s.setSizeTwips(3000, 3000);
        QCOMPARE(PixelAt(s, 2500, 100), White);   // the cut part does not come back
    }

    void clsReturnsToPicture() {
        Surface s;
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

    void printMovesDownByLineHeight() {
        Surface s(6000, 3000);
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

    void savePictureWritesWindowsBitmap() {
        QTemporaryDir dir;
        Surface s(8500, 8500);
        s.filledBox(0, 0, 150, 150, Blue);
        s.keepPicture();
        s.filledBox(0, 0, 8500, 8500, Black);   // drawn after the picture was kept: not saved
        const QString path = dir.filePath(QStringLiteral("fibchart.bmp"));
        QString error;
        QVERIFY2(s.savePicture(path, &error), qPrintable(error));

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        QCOMPARE(b.left(2), QByteArray("BM"));
        QCOMPARE(Le(b, 18, 4), 567u);   // width
        QCOMPARE(Le(b, 22, 4), 567u);   // height
        QCOMPARE(Le(b, 28, 2), 24u);    // bits per pixel
        const QImage back(path);
        QCOMPARE(back.size(), QSize(567, 567));
        QCOMPARE(back.pixelColor(2, 2), Blue);
        QCOMPARE(back.pixelColor(300, 300), White);

        // Saving again replaces the file.
        s.keepPicture();
        QVERIFY(s.savePicture(path, &error));
        QCOMPARE(QImage(path).pixelColor(300, 300), Black);
    }

    void savePictureFailsCleanly() {
        QTemporaryDir dir;
        Surface s(1500, 1500);
        QString error;
        QVERIFY(!s.savePicture(dir.filePath(QStringLiteral("none.bmp")), &error));   // no picture
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.bmp"))));

        s.keepPicture();
        error.clear();
        const QString bad = dir.filePath(QStringLiteral("no such folder/chart.bmp"));
        QVERIFY(!s.savePicture(bad, &error));
        QVERIFY2(error.contains(QStringLiteral("chart.bmp")), qPrintable(error));
        QVERIFY(!QFile::exists(bad));
    }

    // The results lists line their columns up by character count.
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

QTEST_MAIN(TestPictureSurface)
#include "test_picturesurface.moc"
