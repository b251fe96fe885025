// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/projectfile.h"
#include "core/files/textfile.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

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
                 {"omega forces UTF-8", "\u20AC \u03A9", "\xE2\x82\xAC \xCE\xA9", true},
                 {"C1 control outside 1252 forces UTF-8", "\u0080", "\xC2\x80", true},
                 {"last two-byte lead", "\u07FF", "\xDF\xBF", true},
                 {"first three-byte lead", "\u0905", "\xE0\xA4\x85", true},
                 {"last four-byte lead", "\U0010FFFF", "\xF4\x8F\xBF\xBF", true},
                 {"past U+10FFFF is 1252", "\u00F4\u0090\u20AC\u20AC", "\xF4\x90\x80\x80", false},
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
        QTest::newRow("empty first line") << "\nb" << QStringList{"", "b"};
    }
    void splitLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitFileLines(text), lines);
        // A view into a longer text: a CR just before the view is not part of it.
        const QString behindCr = QLatin1Char('\r') + text;
        QStringList inView;
        ForEachFileLine(QStringView(behindCr).sliced(1), [&inView](QStringView line) {
            inView << line.toString();
            return true;
        });
        QCOMPARE(inView, lines);
    }

    void writeAndReadBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath("project.fib");
        const QStringList lines{"NM=Caf\u00E9", "", "\u03A9"};
        QString error;
        QVERIFY2(WriteTextLines(path, lines, &error), qPrintable(error));
        QCOMPARE(ReadBytes(path), QByteArray("NM=Caf\xC3\xA9\r\n\r\n\xCE\xA9\r\n"));
        QCOMPARE(ReadTextLines(path, &error).value_or(QStringList()), lines);
        // Started with its standard input closed, the program gets descriptor 0 for the
        // file it opens: a file like any other.
        const int input = ::dup(0);
        ::close(0);
        const std::optional<QStringList> read = ReadTextLines(path, &error);
        ::dup2(input, 0);
        ::close(input);
        QCOMPARE(read.value_or(QStringList{error}), lines);
    }

    // Failed writes are the save tests'. A pipe would block the reader for ever, an
    // endless file exhaust memory.
    void unreadableFiles() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!ReadTextLines(dir.filePath("missing.fib"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe.ini")).constData(), 0600), 0);
        QVERIFY(!ReadTextLines(dir.filePath("pipe.ini")));
        QVERIFY(!ReadTextLines("/dev/zero"));
    }

    // The shared key=value reader of project and settings files must accept what traders
    // type by hand, and keep the notes apart from the keys even when a notes line looks
    // odd. "KEY|value" for a key line, "-" for a continuation line.
    void splitKeyLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("split");
        QTest::newRow("lower case and blanks") << "  nm = Test  " << "NM|Test";
        QTest::newRow("second = cuts the value") << "FIB3=0.7=x" << "FIB3|0.7";
        QTest::newRow("empty value") << "FIB2=" << "FIB2|";
        QTest::newRow("empty key") << "=5" << "|5";
        QTest::newRow("tabs are not trimmed") << "\tP1=\t5 " << "\tP1|\t5";
        QTest::newRow("inner blanks stay") << "NM= My project " << "NM|My project";
        QTest::newRow("no =") << "second line" << "-";
        QTest::newRow("empty line") << "" << "-";
    }
    void splitKeyLine() {
        QFETCH(QString, line);
        QFETCH(QString, split);
        KeyLine out;
        QCOMPARE(SplitKeyLine(line, out) ? out.key + "|" + out.value : QStringLiteral("-"), split);
    }

    // Each key line is recorded as "KEY:value", each notes line as "+line". The value
    // "12abc" is one the window cannot read: it fails the open at once.
    void readProject_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("saved project") << QStringList{"NM=Test", "P1=100", "NT=first", "second"}
                                       << QStringList{"NM:Test", "P1:100", "NT:first", "+second"};
        QTest::newRow("notes lines kept unchanged") << QStringList{"NT=Notes", "  indented ", "", "x"}
                                                    << QStringList{"NT:Notes", "+  indented ", "+", "+x"};
        QTest::newRow("lines before any key ignored") << QStringList{"stray", "", "nm = x"}
                                                      << QStringList{"NM:x"};
        QTest::newRow("continuation only after NT") << QStringList{"NM=a", "not notes", "nt=n", "notes"}
                                                    << QStringList{"NM:a", "NT:n", "+notes"};
        QTest::newRow("notes line with = ends the notes") << QStringList{"NT=n", "p1=5", "after"}
                                                          << QStringList{"NT:n", "P1:5"};
        QTest::newRow("unreadable value stops the read") << QStringList{"NM=a", "P1=12abc", "P2=5"}
                                                         << QStringList{"NM:a", "P1:12abc"};
    }
    void readProject() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, events);
        QStringList seen;
        const auto onKey = [&](const QString& key, const QString& value) {
            seen << key + ":" + value;
            return value != QLatin1String("12abc");
        };
        const bool read = ReadProjectLines(lines, onKey, [&](const QString& line) { seen << "+" + line; });
        QCOMPARE(read, !lines.contains(QLatin1String("P1=12abc")));
        QCOMPARE(seen, events);
    }
};

QTEST_APPLESS_MAIN(TestTextFile)
#include "test_textfile.moc"
