// Printing to a real print service: a cupsd of the test's own, in a temporary folder
// and reached through CUPS_SERVER, with one queue "Test". The real platform prints to
// it, its print dialog accepted as a trader accepts it; the queue is refused, paused,
// removed or the service stopped, before or while the dialog is open.
#include "platform/qtplatform.h"
#include "testfiles.h"
#include "uitest.h"

#include <QDialog>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <unistd.h>

Q_DECLARE_METATYPE(PrintStatus)

namespace {
QString Cups(const QString& name) { return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin"}); }
} // namespace

class TestPrinting : public UiTest {
    Q_OBJECT
    QTemporaryDir m_root;
    QProcess m_cupsd;

    // One of CUPS's own commands against the test's service ("stop" stops it); its
    // complaint, if any.
    QString run(const QStringList& command) {
        if (command == QStringList{"stop"}) {
            m_cupsd.terminate();
            return m_cupsd.waitForFinished(20000) || m_cupsd.state() == QProcess::NotRunning ? QString() : "cupsd did not stop";
        }
        if (command.isEmpty())
            return QString();
        QProcess p;
        p.start(Cups(command.value(0)), command.mid(1));
        const bool done = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        return done ? QString() : command.value(0) + ": " + QString::fromLocal8Bit(p.readAllStandardError());
    }

    // Why the service could not be started; empty once it answers. Started by root it
    // runs its jobs as lp, by anyone else as that user.
    QString startService() {
        if (Cups("cupsd").isEmpty() || Cups("lpadmin").isEmpty())
            return "cupsd and lpadmin are not installed (apt-get install cups)";
        const QString dir = m_root.path();
        QDir().mkpath(dir + "/spool/tmp");
        WriteBytes(dir + "/cupsd.conf", QString("Listen %1/cups.sock\nBrowsing No\nWebInterface No\nPreserveJobFiles Yes\n"
            "<Policy default>\n<Limit All>\nOrder allow,deny\nAllow all\n</Limit>\n</Policy>\n").arg(dir).toLocal8Bit());
        WriteBytes(dir + "/cups-files.conf", QString("ServerRoot %1\nStateDir %1/state\nCacheDir %1/cache\nRequestRoot "
            "%1/spool\nTempDir %1/spool/tmp\nErrorLog stderr\nAccessLog stderr\nPageLog stderr\nFileDevice Yes\nUser %2\n")
            .arg(dir, ::geteuid() == 0 ? "lp\nGroup lp" : qEnvironmentVariable("USER")).toLocal8Bit());
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(Cups("cupsd"), {"-f", "-c", dir + "/cupsd.conf", "-s", dir + "/cups-files.conf"});
        const bool answers = m_cupsd.waitForStarted() && QTest::qWaitFor([this] {
            return m_cupsd.state() != QProcess::Running || run({"lpstat", "-r"}).isEmpty();
        }, 20000);
        if (answers && m_cupsd.state() == QProcess::Running)
            return QString();
        run({"stop"});
        return "cupsd did not start: " + QString::fromLocal8Bit(m_cupsd.readAll()).trimmed();
    }

private slots:
    // libcups reads this at its first call: every call goes to the test's service.
    void initTestCase() { qputenv("CUPS_SERVER", m_root.filePath("cups.sock").toLocal8Bit()); }
    void cleanupTestCase() { run({"stop"}); }

    void init() {
        UiTest::init();
        const QString why = m_cupsd.state() == QProcess::Running ? QString() : startService();
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        run({"lpadmin", "-x", "Test"});
        QCOMPARE(run({"lpadmin", "-p", "Test", "-E", "-v", "file:///dev/null"}), QString());
        QCOMPARE(run({"lpadmin", "-d", "Test"}), QString());
    }

    // Only a job the service took counts as printed, a paused queue holds it; else the
    // trader learns why. Without a service or a printer no dialog opens at all (the
    // watchdog fails a dialog nobody expected).
    void printToService_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("whileDialogOpen");
        QTest::addColumn<PrintStatus>("status");
        QTest::addColumn<QString>("reason");
        const QStringList none, remove{"lpadmin", "-x", "Test"}, stop{"stop"};
        QTest::newRow("accepting queue") << none << none << PrintStatus::Printed << "";
        QTest::newRow("paused queue holds the job") << QStringList{"cupsdisable", "Test"} << none
                                                    << PrintStatus::HeldInQueue << "";
        QTest::newRow("refusing queue") << QStringList{"cupsreject", "-r", "Paper jam", "Test"} << none
                                        << PrintStatus::Failed << "The printer Test is not accepting jobs: Paper jam";
        QTest::newRow("no printer") << remove << none << PrintStatus::Failed << "No printer is installed";
        QTest::newRow("no service") << stop << none << PrintStatus::Failed
                                    << "The print service (CUPS) is not running";
        QTest::newRow("printer removed during the dialog") << none << remove << PrintStatus::Failed
                                                           << "The printer Test is not installed";
        QTest::newRow("service stopped during the dialog") << none << stop << PrintStatus::Failed
                                                           << "The print service (CUPS) is not running";
    }
    void printToService() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, whileDialogOpen);
        QCOMPARE(run(before), QString());
        if (before != QStringList{"stop"} && before.value(1) != "-x")
            watchdog().expectDialog("QPrintDialog", [&](QWidget* dialog) {
                QCOMPARE(run(whileDialogOpen), QString());
                static_cast<QDialog*>(dialog)->accept();
            });
        // A chart-like colour picture: flat colours, thin lines, small text.
        QImage chart(600, 400, QImage::Format_RGB32);
        chart.fill(Qt::white);
        QPainter(&chart).drawText(320, 60, QStringLiteral("Potential High Prices 1225"));
        QPainter(&chart).fillRect(100, 100, 200, 120, Qt::red);
        const PrintResult result = QtPlatform().printImage(chart, false);
        QTEST(result.status, "status");
        QTEST(result.reason, "reason");
        if (result.status == PrintStatus::Failed)
            return;
        QCOMPARE(result.printer, QStringLiteral("Test"));
        // The colour picture reaches the queue as drawn, not JPEG-compressed.
        const QFileInfoList jobs = QDir(m_root.filePath("spool")).entryInfoList({"d*"}, QDir::Files, QDir::Name);
        const QByteArray document = ReadBytes(jobs.value(jobs.size() - 1).filePath());
        QVERIFY(document.startsWith("%PDF"));
        QVERIFY(!document.contains("/DCTDecode"));
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
