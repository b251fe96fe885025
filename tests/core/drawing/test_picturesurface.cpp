// SPDX-License-Identifier: GPL-3.0-or-later
// The chart drawing surface: exact colours, sizes in twips, the kept picture and
// the bitmap written from it; and the fonts it and the results lists draw with.
#include "core/drawing/fonts.h"
#include "core/drawing/picturesurface.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>
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
    QColor at(int xTwips, int yTwips) const { return image().pixelColor(toPixels(xTwips), toPixels(yTwips)); }
    QColor rightOf(int xTwips, int yTwips) const { return image().pixelColor(toPixels(xTwips) + 1, toPixels(yTwips)); }
};

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
    // Lines, boxes and circles cover their end points in exactly their colour.
    void shapes() {
        Surface s;
        s.line(1000, 1000, 1000, 2500, Blue);   // a given colour leaves the fore colour alone
        QCOMPARE(s.at(1000, 1750), Blue);
        QCOMPARE(s.foreColor(), Black);
        QCOMPARE(s.font().pointSizeF(), 8.0);   // a new box writes in black 8-point text
        QCOMPARE(PictureSurface(0).toPixels(1500), 100);   // no resolution known: 96 dpi
        s.setForeColor(Blue);
        s.line(1000, 1000, 2500, 1000);
        QCOMPARE(s.at(1750, 1000), Blue);
        QCOMPARE(s.at(1000, 500), White);
        QCOMPARE(QPoint(s.currentX(), s.currentY()), QPoint(2500, 1000));   // the pen rests at the end

        Surface b;
        b.box(300, 300, 1500, 1500, Blue);
        QCOMPARE(b.at(300, 300), Blue);
        QCOMPARE(b.at(1500, 1500), Blue);
        QCOMPARE(b.at(900, 900), White);
        QCOMPARE(b.rightOf(1500, 1500), White);
        b.filledBox(1500, 1500, 1800, 1800, Grey);
        QCOMPARE(b.at(1650, 1650), Grey);
        QCOMPARE(b.at(1800, 1800), Grey);
        QCOMPARE(b.rightOf(1800, 1800), White);
        b.filledBox(1200, 1200, 900, 900, Grey);   // corners given from the far end: the same pixels
        QCOMPARE(b.at(1200, 1200), Grey);
        QCOMPARE(b.at(900, 900), Grey);

        Surface c;
        c.setFillSolid(true);
        c.setFillColor(Black);
        c.circle(1500, 1500, 50);
        QCOMPARE(c.at(1500, 1500), Black);
        QCOMPARE(c.at(1500, 1600), White);
        c.setFillSolid(false);
        c.setForeColor(Blue);
        c.circle(1000, 1000, 300);
        QCOMPARE(c.at(1000, 1000), White);
        QCOMPARE(c.at(1300, 1000), Blue);
    }

    // Whatever is drawn, the box showing the surface is told to repaint.
    void everyDrawingAsksForARepaint() {
        Surface s;
        int repaints = 0;
        s.setChangeHandler([&repaints] { ++repaints; });
        const std::function<void()> drawings[] = {
            [&] { s.line(0, 0, 300, 300); },   [&] { s.box(0, 0, 300, 300, Blue); },
            [&] { s.filledBox(0, 0, 90, 90, Grey); }, [&] { s.circle(600, 600, 100); },
            [&] { s.drawText(900, 900, QStringLiteral("7")); }, [&] { s.cls(); },
            [&] { s.setSizeTwips(1500, 1500); }};
        for (const auto& draw : drawings) {
            const int before = repaints;
            draw();
            QVERIFY(repaints > before);
        }
    }

    // Printing widens the box for the text block and narrows it back afterwards.
    void keptPictureFollowsTheBoxSize() {
        Surface s;
        s.filledBox(0, 0, 3000, 3000, Blue);
        s.keepPicture();
        s.setSizeTwips(5500, 3000);
        QCOMPARE(s.picture().size(), QSize(367, 200));
        QCOMPARE(s.image().size(), s.picture().size());
        QCOMPARE(s.at(2900, 2900), Blue);
        QCOMPARE(s.at(3200, 100), White);
        s.line(0, 2000, 1500, 2000, Black);   // drawn after the picture was kept: not part of it
        s.setSizeTwips(1500, 3000);
        QCOMPARE(s.picture().width(), 100);
        QCOMPARE(s.picture().pixelColor(50, s.toPixels(2000)), Blue);
        s.setSizeTwips(3000, 3000);
        QCOMPARE(s.at(2500, 100), White);   // the cut part does not come back
    }

    void clsReturnsToPicture() {
        Surface s;
        s.line(0, 150, 3000, 150, Blue);
        s.keepPicture();
        s.line(0, 600, 3000, 600, Blue);
        s.setCurrentX(700);
        s.setCurrentY(800);
        s.cls();
        QCOMPARE(s.at(1000, 150), Blue);
        QCOMPARE(s.at(1000, 600), White);
        QCOMPARE(QPoint(s.currentX(), s.currentY()), QPoint(0, 0));
        s.setPictureNone();
        s.cls();
        QCOMPARE(s.at(1000, 150), White);
    }

    // The text lies right of and below the position, in the fore colour exactly (no
    // smoothing: a printed bitmap has no shades); the pen goes to the next line's start.
    void printMovesDownByLineHeight() {
        Surface s(6000, 3000);
        s.setFont(QStringLiteral("verdana"), 14);
        s.setForeColor(Blue);
        s.setCurrentX(1000);
        s.setCurrentY(500);
        const int h = s.textHeight();
        s.print(QStringLiteral("Time"));
        QCOMPARE(QPoint(s.currentX(), s.currentY()), QPoint(0, 500 + h));
        const QRect box(QPoint(s.toPixels(1000), s.toPixels(500)),
                        QPoint(s.toPixels(1000 + s.textWidth(QStringLiteral("Time"))) + 1, s.toPixels(500 + h) - 1));
        int blue = 0;
        for (int y = 0; y < s.image().height(); ++y)
            for (int x = 0; x < s.image().width(); ++x) {
                const QColor c = s.image().pixelColor(x, y);
                if (c == White) continue;
                QCOMPARE(c, Blue);
                QVERIFY(box.contains(x, y));
                ++blue;
            }
        QVERIFY(blue > 20);
    }

    // Texts land exactly as the painter draws them, wherever they are drawn again
    // (a number seen once is reused), cut at the edges, in any colour and at any
    // device pixel ratio; the picture kept between two texts has the first only.
    void textAsThePainterDrawsIt_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QPoint>("second");   // twips; the first is at (450, 300)
        QTest::newRow("numbers at 100%") << "verdana" << 7 << false << false << 1.0 << Blue << QPoint(1500, 1800);
        QTest::newRow("cut at the top left") << "verdana" << 7 << false << false << 1.0 << Grey << QPoint(-120, -75);
        QTest::newRow("cut at the bottom right") << "Arial" << 12 << true << false << 1.0 << Black << QPoint(2700, 2880);
        QTest::newRow("colour between steps") << "verdana" << 8 << false << false << 1.0
                                              << QColor::fromHsv(200, 180, 90) << QPoint(900, 900);
        QTest::newRow("fixed-width at 300%") << "Lucida Console" << 8 << false << false << 3.0 << Grey << QPoint(15, 2900);
        QTest::newRow("at 150%") << "verdana" << 7 << false << false << 1.5 << Blue << QPoint(1515, 1815);
        QTest::newRow("underlined at 200%") << "verdana" << 8 << false << true << 2.0 << Blue << QPoint(1500, 1200);
    }
    void textAsThePainterDrawsIt() {
        QFETCH(QString, font);
        QFETCH(int, points);
        QFETCH(bool, bold);
        QFETCH(bool, underline);
        QFETCH(double, ratio);
        QFETCH(QColor, color);
        QFETCH(QPoint, second);
        const QString text = QStringLiteral("1225 Wg");
        PictureSurface s(15, ratio), painted(15, ratio);
        for (PictureSurface* each : {&s, &painted}) {
            each->setSizeTwips(3000, 3000);
            each->setFont(font, points, bold, underline);
            each->setForeColor(color);
        }
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        const auto paint = [&](QPoint at) {
            QPainter p(&painted.canvas());
            p.setRenderHint(QPainter::TextAntialiasing, false);
            p.setFont(painted.drawingFont());
            p.setPen(color);
            p.drawStaticText(QPoint(painted.toPixels(at.x()), painted.toPixels(at.y())), laidOut);
        };
        s.drawText(450, 300, text);
        paint(QPoint(450, 300));
        s.keepPicture();
        const QImage first = painted.image().copy();
        s.drawText(second.x(), second.y(), text);
        paint(second);
        QCOMPARE(s.image(), painted.image());
        QCOMPARE(s.picture(), first);
    }

    // A 24-bit Windows bitmap of the kept picture, replacing the file; where no file can
    // be made, an error naming it and no file.
    void savePicture() {
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
        QCOMPARE(QList<quint32>({Le(b, 18, 4), Le(b, 22, 4), Le(b, 28, 2)}), QList<quint32>({567, 567, 24}));
        const QImage back(path);
        QCOMPARE(back.pixelColor(2, 2), Blue);
        QCOMPARE(back.pixelColor(300, 300), White);
        s.keepPicture();
        QVERIFY(s.savePicture(path, &error));
        QCOMPARE(QImage(path).pixelColor(300, 300), Black);

        const QString bad = dir.filePath(QStringLiteral("no such folder/chart.bmp"));
        QVERIFY(!s.savePicture(bad, &error));
        QVERIFY2(error.contains(QStringLiteral("chart.bmp")), qPrintable(error));
        QVERIFY(!QFile::exists(bad));
    }

    // On a 200% screen the same drawing has twice the pixels each way: every pixel of
    // the 100% picture is the top-left of its 2 x 2 block (text may differ at the
    // glyphs' edges, drawn finer), and the kept picture and its bitmap follow.
    void twiceThePixelsAtRatioTwo_data() {
        QTest::addColumn<QString>("drawing");
        QTest::addColumn<double>("sameShare");   // of the pixels, at least
        QTest::newRow("lines and boxes") << "shapes" << 0.995;   // a slanted line steps differently
        QTest::newRow("circles") << "circles" << 0.995;
        QTest::newRow("text") << "text" << 0.97;
    }
    void twiceThePixelsAtRatioTwo() {
        QFETCH(QString, drawing);
        QFETCH(double, sameShare);
        QList<QImage> images;
        for (double ratio : {1.0, 2.0}) {
            PictureSurface s(15, ratio);
            s.setSizeTwips(3000, 1500);
            if (drawing == "shapes") {
                s.line(150, 150, 2850, 1200, Blue);
                s.box(300, 300, 1500, 1350, Black);
                s.filledBox(1800, 150, 2700, 600, Grey);
            } else if (drawing == "circles") {
                s.setFillSolid(true);
                s.circle(750, 750, 600);
                s.circle(2250, 750, 90);
            } else {
                s.setFont(QStringLiteral("Arial"), 10, true);
                s.drawText(150, 300, QStringLiteral("Potential 130.90"));
            }
            s.keepPicture();
            QCOMPARE(s.picture().size(), QSize(200, 100) * ratio);
            QCOMPARE(QSize(s.widthPixels(), s.heightPixels()), QSize(200, 100));
            images << s.picture();
        }
        int same = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) same += images[0].pixel(x, y) == images[1].pixel(2 * x, 2 * y);
        QVERIFY2(same >= sameShare * 20000, qPrintable(QString::number(same)));
    }

    // The results lists line their columns up by character count.
    void listingFontIsFixedWidth() {
        for (double points : {7.0, 8.0}) {
            const QFont font = MakeFont(QStringLiteral("Lucida Console"), points, true);
            QVERIFY2(QFontInfo(font).fixedPitch(), qPrintable(QFontInfo(font).family()));
            const QFontMetrics fm(font);
            QCOMPARE(fm.horizontalAdvance(QStringLiteral("iiiiiiii")), fm.horizontalAdvance(QStringLiteral("WWWWWWWW")));
        }
    }
};

QTEST_MAIN(TestPictureSurface)
#include "test_picturesurface.moc"
