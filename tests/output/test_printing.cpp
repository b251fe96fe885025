// Printing to a real print service: a cupsd of the test's own, in a temporary folder
// and reached through CUPS_SERVER, with one queue "Test". The program's real platform
// prints to it, its print dialog accepted as a trader accepts it; the queue is
// refused, paused, removed or the service stopped before or while the dialog is open.
#include "platform/qtplatform.h"
#include "uitest.h"

#include <QDialog>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <unistd.h>

Q_DECLARE_METATYPE(PrintStatus)

namespace {

// What is done to the service: before Print, or while the print dialog is open.
enum class Fault { None, Reject, RejectWithReason, Pause, Remove, Stop };

QString CupsProgram(const QString& name)
{
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
}

// A chart-like picture: flat colours, thin lines and small text, as the windows draw.
QImage ChartPicture()
{
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::blue);
    p.drawLine(20, 380, 580, 20);
    p.setPen(Qt::red);
    p.drawRect(100, 100, 200, 120);
    p.setPen(Qt::black);
    p.drawText(320, 60, QStringLiteral("Potential High Prices 1225"));
    return image;
}

} // namespace

class TestPrinting : public UiTest {
    Q_OBJECT
    QTemporaryDir m_root;
    QProcess m_cupsd;

    QString at(const QString& name) const { return m_root.filePath(name); }

    // One of CUPS's own commands against the test's service; what went wrong, if anything.
    QString admin(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(CupsProgram(program), args);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return program + ": " + QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return QString();
    }

    void writeConfiguration()
    {
        QDir().mkpath(at("spool/tmp"));
        const bool root = ::geteuid() == 0;
        QFile conf(at("cupsd.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("Listen " + at("cups.sock").toLocal8Bit() + "\n"
                   "LogLevel warn\nBrowsing No\nWebInterface No\nPreserveJobFiles Yes\n"
                   "DefaultAuthType None\n"
                   "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                   "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n"
                   "  </Limit>\n</Policy>\n");
        QFile files(at("cups-files.conf"));
        QVERIFY(files.open(QIODevice::WriteOnly));
        // A service started by an ordinary user runs its jobs as that user.
        const QByteArray user = root ? "lp" : qgetenv("USER");
        files.write("ServerRoot " + m_root.path().toLocal8Bit() + "\n"
                    "StateDir " + at("state").toLocal8Bit() + "\nCacheDir " + at("cache").toLocal8Bit() + "\n"
                    "RequestRoot " + at("spool").toLocal8Bit() + "\nTempDir " + at("spool/tmp").toLocal8Bit() + "\n"
                    "ErrorLog " + at("error_log").toLocal8Bit() + "\nAccessLog " + at("access_log").toLocal8Bit() + "\n"
                    "PageLog " + at("page_log").toLocal8Bit() + "\nFileDevice Yes\n"
                    "User " + user + "\n" + (root ? "Group lp\n" : ""));
    }

    // Why the service could not be started; empty once it answers.
    QString startService()
    {
        if (CupsProgram("cupsd").isEmpty() || CupsProgram("lpadmin").isEmpty())
            return QStringLiteral("cupsd and lpadmin are not installed (apt-get install cups)");
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(CupsProgram("cupsd"), {"-f", "-c", at("cupsd.conf"), "-s", at("cups-files.conf")});
        const bool answers = m_cupsd.waitForStarted() && QTest::qWaitFor([this] {
            return m_cupsd.state() != QProcess::Running || admin("lpstat", {"-r"}).isEmpty();
        }, 20000);
        if (answers && m_cupsd.state() == QProcess::Running)
            return QString();
        stopService();
        QFile log(at("error_log"));
        const QString said = log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll())
                                                          : QString::fromLocal8Bit(m_cupsd.readAll());
        return "cupsd did not start: " + said.trimmed().section('\n', -1);
    }

    void stopService()
    {
        m_cupsd.terminate();
        m_cupsd.waitForFinished(20000);
    }

    void apply(Fault fault)
    {
        switch (fault) {
        case Fault::None: break;
        case Fault::Reject: QCOMPARE(admin("cupsreject", {"Test"}), QString()); break;
        case Fault::RejectWithReason: QCOMPARE(admin("cupsreject", {"-r", "Paper jam", "Test"}), QString()); break;
        case Fault::Pause: QCOMPARE(admin("cupsdisable", {"Test"}), QString()); break;
        case Fault::Remove: QCOMPARE(admin("lpadmin", {"-x", "Test"}), QString()); break;
        case Fault::Stop: stopService(); break;
        }
    }

    // The document the service keeps of its last job.
    QByteArray lastSpooledDocument() const
    {
        const QFileInfoList docs = QDir(at("spool")).entryInfoList({"d*"}, QDir::Files, QDir::Name);
        if (docs.isEmpty()) return QByteArray();
        QFile f(docs.last().filePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        // libcups reads this once, at its first call; every call here goes to the test's service.
        qputenv("CUPS_SERVER", at("cups.sock").toLocal8Bit());
        writeConfiguration();
    }

    void init()
    {
        UiTest::init();
        if (m_cupsd.state() != QProcess::Running) {
            const QString why = startService();
            if (!why.isEmpty())
                QSKIP(qPrintable(why));
        }
        admin("lpadmin", {"-x", "Test"});
        QCOMPARE(admin("lpadmin", {"-p", "Test", "-E", "-v", "file:///dev/null"}), QString());
        QCOMPARE(admin("lpadmin", {"-d", "Test"}), QString());
    }

    void cleanupTestCase() { stopService(); }

    // Only a job the service took counts as printed; a paused queue takes it and holds
    // it; otherwise the trader learns why nothing was printed. Without a service or a
    // printer no dialog opens at all (the watchdog fails a dialog nobody expected).
    void printToService_data()
    {
        QTest::addColumn<Fault>("before");
        QTest::addColumn<Fault>("whileDialogOpen");
        QTest::addColumn<PrintStatus>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("accepting queue") << Fault::None << Fault::None << PrintStatus::Printed << "";
        QTest::newRow("paused queue holds the job") << Fault::Pause << Fault::None << PrintStatus::HeldInQueue << "";
        QTest::newRow("refusing queue") << Fault::Reject << Fault::None << PrintStatus::Failed
                                        << "The printer Test is not accepting jobs";
        QTest::newRow("refusing queue with its reason") << Fault::RejectWithReason << Fault::None << PrintStatus::Failed
                                                        << "The printer Test is not accepting jobs: Paper jam";
        QTest::newRow("no printer installed") << Fault::Remove << Fault::None << PrintStatus::Failed
                                              << "No printer is installed";
        QTest::newRow("service not running") << Fault::Stop << Fault::None << PrintStatus::Failed
                                             << "The print service (CUPS) is not running";
        QTest::newRow("printer removed during the dialog") << Fault::None << Fault::Remove << PrintStatus::Failed
                                                           << "The printer Test is not installed";
        QTest::newRow("service stopped during the dialog") << Fault::None << Fault::Stop << PrintStatus::Failed
                                                           << "The print service (CUPS) is not running";
    }
    void printToService()
    {
        QFETCH(Fault, before);
        QFETCH(Fault, whileDialogOpen);
        QFETCH(PrintStatus, status);
        QFETCH(QString, reason);
        apply(before);
        if (before != Fault::Remove && before != Fault::Stop)
            watchdog().expectDialog("QPrintDialog", [&](QWidget* dialog) {
                apply(whileDialogOpen);
                static_cast<QDialog*>(dialog)->accept();
            });
        const PrintResult result = QtPlatform().printImage(ChartPicture(), false);
        QCOMPARE(result.status, status);
        QCOMPARE(result.reason, reason);
        if (status == PrintStatus::Failed)
            return;
        QCOMPARE(result.printer, QStringLiteral("Test"));
        // The colour picture reaches the queue as drawn: a PDF whose picture is not
        // JPEG-compressed.
        const QByteArray document = lastSpooledDocument();
        QVERIFY(document.startsWith("%PDF"));
        QVERIFY(!document.contains("/DCTDecode"));
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
