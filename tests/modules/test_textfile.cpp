#include "modules/textfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

// Project files and reports travel between machines and editors: the code page,
// the line ends and the atomic save decide whether a trader gets his notes back.
class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    // Text the program writes reads back unchanged; bytes that are not UTF-8 are read
    // as Windows-1252.
    void codePages_data() {
        struct Row { const char* name; const char* text; const char* bytes; bool written; };
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("written");   // the program writes these bytes for the text
        for (const Row& r : std::initializer_list<Row>{
                 {"euro goes to 1252 byte 0x80", "\u20AC", "\x80", true},
                 {"quotes and dashes", "\u201Cx\u201D \u2013", "\x93x\x94 \x96", true},
                 {"omega forces UTF-8", "\u20AC \u03A9", "\xE2\x82\xAC \xCE\xA9", true},
                 {"C1 control outside 1252 forces UTF-8", "\u0080", "\xC2\x80", true},
                 // Found by fuzzing: these 1252 bytes are valid UTF-8 and read back as other letters.
                 {"1252 bytes that read as UTF-8 force UTF-8", "\u00C3\u00A9t\u00C3\u00A9",
                  "\xC3\x83\xC2\xA9t\xC3\x83\xC2\xA9", true},
                 {"1252 bytes of a byte-order mark force UTF-8", "\u00EF\u00BB\u00BFNM",
                  "\xC3\xAF\xC2\xBB\xC2\xBFNM", true},
                 {"1252 euro and letters", "\u20AC\u0160\u0153\u0178", "\x80\x8A\x9C\x9F", false},
                 {"undefined 1252 byte kept", "a\u0081z", "a\x81z", false},
                 {"overlong UTF-8 is 1252", "\u00C0\u00AF", "\xC0\xAF", false},
                 {"encoded surrogate is 1252", "\u00ED\u00A0\u20AC", "\xED\xA0\x80", false},
                 {"truncated sequence", "ab\u00E2\u201A", "ab\xE2\x82", false},
                 {"byte-order mark dropped", "NM=x", "\xEF\xBB\xBFNM=x", false}})
            QTest::newRow(r.name) << QString::fromUtf8(r.text) << QByteArray(r.bytes) << r.written;
    }
    void codePages() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, written);
        QCOMPARE(DecodeFileText(bytes), text);
        if (written)
            QCOMPARE(EncodeFileText(text), bytes);
    }

    void splitLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << "" << QStringList();
        QTest::newRow("CR LF, LF, no final end") << "a\r\nb\nc" << QStringList{"a", "b", "c"};
        QTest::newRow("empty line kept") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
        QTest::newRow("final empty line") << "NT=Notes\r\n\r\n" << QStringList{"NT=Notes", ""};
        QTest::newRow("lone CR stays in the line") << "a\rb\r\nc" << QStringList{"a\rb", "c"};
        QTest::newRow("trailing CR without LF") << "a\r" << QStringList{"a\r"};
        QTest::newRow("only a line end") << "\r\n" << QStringList{""};
    }
    void splitLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitFileLines(text), lines);
    }

    void writeAndReadBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath("project.fib");
        const QStringList lines{"NM=Caf\u00E9", "", "\u03A9"};
        QString error;
        QVERIFY2(WriteTextLines(path, lines, &error), qPrintable(error));
        QCOMPARE(ReadBytes(path), QByteArray("NM=Caf\xC3\xA9\r\n\r\n\xCE\xA9\r\n"));
        QCOMPARE(ReadTextLines(path, &error).value_or(QStringList()), lines);
        // Replacing the file with a text that fits the old code page writes 1252.
        QVERIFY(WriteTextFile(path, QStringLiteral("Caf\u00E9\r\n"), &error));
        QCOMPARE(ReadBytes(path), QByteArray("Caf\xE9\r\n"));
    }

    void failuresKeepFilesAsTheyWere() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!ReadTextLines(dir.filePath("missing.fib"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!ReadTextLines(dir.path()));   // a directory is not a text file

        const QString path = dir.filePath("keep.gann");
        QVERIFY(WriteTextLines(path, {"NM=Old"}));
        error.clear();
        QVERIFY(!WriteTextLines(dir.filePath("no/such/folder/x.gann"), {"NM=New"}, &error));
        QVERIFY(!error.isEmpty());
        // A directory in the way of the target: the write fails and leaves no temporary file.
        QVERIFY(QDir(dir.path()).mkdir("taken.fib"));
        QVERIFY(!WriteTextLines(dir.filePath("taken.fib"), {"NM=New"}));
        QCOMPARE(ReadTextLines(path).value_or(QStringList()), QStringList{"NM=Old"});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.gann"});
    }
};

QTEST_APPLESS_MAIN(TestTextFile)
#include "test_textfile.moc"
