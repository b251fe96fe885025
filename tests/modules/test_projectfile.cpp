#include "modules/projectfile.h"

#include <QtTest>

// The reader must accept what traders type by hand into a project file, and must
// keep the notes apart from the keys even when a notes line looks odd.
class TestProjectFile : public QObject {
    Q_OBJECT
private slots:
    // "KEY|value" for a key line, "-" for a continuation line.
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

QTEST_APPLESS_MAIN(TestProjectFile)
#include "test_projectfile.moc"
