#include "modules/textfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Project files and reports travel between machines and editors: the code page,
// the line ends and the atomic save decide whether a trader gets his notes back.
class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void encoding_data();
    void encoding();
    void decodingFallback_data();
    void decodingFallback();
    void splitLines_data();
    void splitLines();
    void writeAndReadBack();
    void readMissingFile();
    void failedWriteKeepsOldFile();
};

void TestTextFile::encoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "NM=Test" << QByteArray("NM=Test");
    QTest::newRow("euro goes to 1252 byte 0x80") << QString(QChar(0x20AC)) << QByteArray("\x80");
    QTest::newRow("latin-1 letter") << QString(QChar(0xE9)) << QByteArray("\xE9");
    QTest::newRow("quotes and dashes") << QString::fromUtf8("\u201Cx\u201D \u2013")
                                       << QByteArray("\x93x\x94 \x96");
    QTest::newRow("omega forces UTF-8") << QString::fromUtf8("\u20AC \u03A9")
                                        << QByteArray("\xE2\x82\xAC \xCE\xA9");
    QTest::newRow("C1 control outside 1252 forces UTF-8") << QString(QChar(0x80))
                                                           << QByteArray("\xC2\x80");
    QTest::newRow("emoji forces UTF-8") << QString::fromUtf8("\U0001F4C8")
                                        << QByteArray("\xF0\x9F\x93\x88");
}

void TestTextFile::encoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeFileText(text), bytes);
    QCOMPARE(DecodeFileText(bytes), text);
}

void TestTextFile::decodingFallback_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("every 1252 special") << QByteArray("\x80\x8A\x9C\x9F")
                                       << QString::fromUtf8("\u20AC\u0160\u0153\u0178");
    QTest::newRow("undefined 1252 byte kept") << QByteArray("a\x81z")
                                             << QString::fromUtf8("a\u0081z");
    QTest::newRow("lone continuation byte") << QByteArray("\xA9 2024") << QString::fromUtf8("\u00A9 2024");
    QTest::newRow("overlong UTF-8 is not UTF-8") << QByteArray("\xC0\xAF")
                                                << QString::fromUtf8("\u00C0\u00AF");
    QTest::newRow("encoded surrogate is not UTF-8") << QByteArray("\xED\xA0\x80")
                                                   << QString::fromUtf8("\u00ED\u00A0\u20AC");
    QTest::newRow("truncated sequence") << QByteArray("ab\xE2\x82")
                                       << QString::fromUtf8("ab\u00E2\u201A");
    QTest::newRow("byte-order mark dropped") << QByteArray("\xEF\xBB\xBFNM=x") << "NM=x";
}

void TestTextFile::decodingFallback()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeFileText(bytes), text);
}

void TestTextFile::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << "" << QStringList();
    QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("bare LF") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("mixed") << "a\r\nb\nc" << QStringList{"a", "b", "c"};
    QTest::newRow("no final line end") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("empty line kept") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
    QTest::newRow("final empty line") << "NT=Notes\r\n\r\n" << QStringList{"NT=Notes", ""};
    QTest::newRow("lone CR stays in the line") << "a\rb\r\nc" << QStringList{"a\rb", "c"};
    QTest::newRow("trailing CR without LF") << "a\r" << QStringList{"a\r"};
    QTest::newRow("only a line end") << "\r\n" << QStringList{""};
}

void TestTextFile::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitFileLines(text), lines);
}

void TestTextFile::writeAndReadBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("project.fib");
    const QStringList lines{"NM=Caf\u00E9", "P1=100", "NT=first", "", "\u03A9 third"};
    QString error;
    QVERIFY2(WriteTextLines(path, lines, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.endsWith("\xCE\xA9 third\r\n"));
    QVERIFY(bytes.startsWith("NM=Caf\xC3\xA9\r\n"));
    file.close();
    QCOMPARE(ReadTextLines(path, &error).value_or(QStringList()), lines);

    // Replacing the file with a text that fits the old code page writes 1252.
    QVERIFY(WriteTextFile(path, QStringLiteral("Caf\u00E9\r\n"), &error));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Caf\xE9\r\n"));
}

void TestTextFile::readMissingFile()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!ReadTextLines(dir.filePath("missing.fib"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!ReadTextLines(dir.path(), &error));   // a directory is not a text file
}

void TestTextFile::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.gann");
    QVERIFY(WriteTextLines(path, {"NM=Old"}));
    // A target inside a folder that does not exist cannot be written.
    QString error;
    QVERIFY(!WriteTextLines(dir.filePath("no/such/folder/x.gann"), {"NM=New"}, &error));
    QVERIFY(!error.isEmpty());
    // A directory in the way of the target: the write fails, nothing else changes.
    QVERIFY(QDir(dir.path()).mkdir("taken.fib"));
    QVERIFY(!WriteTextLines(dir.filePath("taken.fib"), {"NM=New"}, &error));
    QCOMPARE(ReadTextLines(path).value_or(QStringList()), QStringList{"NM=Old"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.gann"});
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "test_textfile.moc"
