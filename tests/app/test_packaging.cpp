// What the package tells about tessaray-cli, kept in step with the tool: every option
// its usage names is in the manual page, the bash completion and the AppStream
// description, and none of them names an option the tool does not know.
#include "app/cli/options.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

QString Packaging(const QString& name)
{
    QFile file(QStringLiteral(TESSARAY_PACKAGING "/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The option names ("--price1") that `pattern` captures in text.
QSet<QString> Options(const QString& text, const QString& pattern)
{
    QSet<QString> names;
    for (const QRegularExpressionMatch& m : QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text))
        names << m.captured(1).replace(QLatin1String("\\-"), QLatin1String("-"));
    return names;
}

} // namespace

class TestPackaging : public QObject {
    Q_OBJECT
private slots:
    void everyOptionIsDescribed_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("manual page") << "tessaray-cli.1" << R"(^\.(?:Opt|TP\n\.BR?) ((?:\\-){2}[a-z0-9\\-]+))";
        QTest::newRow("bash completion") << "tessaray-cli.bash" << R"(^[a-z,]+ +(--[a-z0-9-]+))";
        QTest::newRow("metainfo") << "tessaray.metainfo.xml" << R"(<code>(--[a-z0-9-]+))";
    }
    void everyOptionIsDescribed()
    {
        QFETCH(QString, file);
        QFETCH(QString, pattern);
        QSet<QString> known = Options(UsageText(), QStringLiteral("(--[a-z0-9-]+)"));
        QSet<QString> described = Options(Packaging(file), pattern);
        // The tool's own questions are answered before any command; the completion
        // offers them as the first word.
        for (const char* global : {"--version", "--settings-path"}) {
            known.remove(QLatin1String(global));
            described.remove(QLatin1String(global));
        }
        QCOMPARE(described - known, QSet<QString>());
        QCOMPARE(known - described, QSet<QString>());
    }
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "test_packaging.moc"
