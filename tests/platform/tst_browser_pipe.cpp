// The DevTools connection over a headless Chromium's pipes: requests and
// large replies, no listening port, and the browser's end seen at once.
#include "platform/cdpcomponent.h"
#include "platform/cdpconnection.h"
#include "platform/cdppipetransport.h"
#include "support/browserprobe.h"
#include "support/netprobe.h"
#include "support/testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>

#include <sys/prctl.h>

namespace {

// A headless Chromium started on pipes, with a connection over them.
struct PipeBrowser
{
    QTemporaryDir profile;
    QProcess process;
    tv::CdpConnection connection;

    bool start(const QString &program)
    {
        auto transport = std::make_unique<tv::CdpPipeTransport>();
        if (!transport->create())
            return false;
        QStringList args = tv::BrowserChoice{program, {}, true}.launchArguments(true);
        args.removeIf([](const QString &a) { return a.startsWith(QLatin1String("--remote-debugging-port")); });
        args << tv::CdpPipeTransport::browserSwitch() << QStringLiteral("--user-data-dir=%1").arg(profile.path())
             << QStringLiteral("about:blank");
        process.setProgram(program);
        process.setArguments(args);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        tv::CdpPipeTransport *pipes = transport.get();
        process.setChildProcessModifier([pipes] {
            pipes->placeBrowserEnds();
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
        process.start();
        if (!process.waitForStarted(10000))
            return false;
        transport->start();
        connection.open(std::move(transport));
        return connection.call(QStringLiteral("Browser.getVersion"), {}, {}, 20000).ok;
    }

    // A new page's session.
    QString pageSession()
    {
        const QString target = connection.call(QStringLiteral("Target.createTarget"), {{"url", "about:blank"}})
                                   .result.value("targetId").toString();
        return connection.call(QStringLiteral("Target.attachToTarget"), {{"targetId", target}, {"flatten", true}})
            .result.value("sessionId").toString();
    }

    ~PipeBrowser()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

} // namespace

class TestBrowserPipe : public QObject
{
    Q_OBJECT

private:
    QString m_program;

private slots:
    void initTestCase()
    {
        m_program = tv::BrowserChoice::find().program;
        if (m_program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
    }

    void requestsAndLargeRepliesOverThePipes()
    {
        PipeBrowser b;
        QVERIFY(b.start(m_program));
        const tv::CdpReply version = b.connection.call(QStringLiteral("Browser.getVersion"));
        QVERIFY(version.ok);
        QVERIFY(version.result.value("product").toString().contains("Chrome"));

        QStringList created;
        connect(&b.connection, &tv::CdpConnection::event, this,
                [&](const QString &, const QString &method, const QJsonObject &) { created << method; });
        QVERIFY(b.connection.call(QStringLiteral("Target.setDiscoverTargets"), {{"discover", true}}).ok);
        QTRY_VERIFY(created.contains("Target.targetCreated"));

        const QString session = b.pageSession();
        QVERIFY(!session.isEmpty());
        // Many times the pipe's buffer, in one message.
        const tv::CdpReply big = b.connection.call(
            QStringLiteral("Runtime.evaluate"), {{"expression", "'x'.repeat(24 * 1024 * 1024)"}, {"returnByValue", true}}, session,
            60000);
        QVERIFY2(big.ok, qPrintable(big.errorMessage));
        QCOMPARE(big.result.value("result").toObject().value("value").toString().size(), 24 * 1024 * 1024);
        // The next answer still finds its request.
        QVERIFY(b.connection.call(QStringLiteral("Runtime.evaluate"), {{"expression", "1+1"}}, session).ok);
    }

    void noPortIsOpened()
    {
        PipeBrowser b;
        QVERIFY(b.start(m_program));
        QVERIFY(!b.pageSession().isEmpty());
        const QList<qint64> family = tvtest::processTree(b.process.processId());
        QVERIFY(family.size() > 1); // the browser and its helpers
        QCOMPARE(tvtest::listeningTcpPorts(family), QList<quint16>());
        QVERIFY(!QFile::exists(b.profile.filePath(QStringLiteral("DevToolsActivePort"))));
    }

    void browserEndIsSeenAtOnce_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::newRow("killed") << true;
        QTest::newRow("pipe-closed") << false;
    }

    void browserEndIsSeenAtOnce()
    {
        QFETCH(bool, killed);
        PipeBrowser b;
        QVERIFY(b.start(m_program));
        const QString session = b.pageSession();
        QSignalSpy closed(&b.connection, &tv::CdpConnection::closed);
        QList<tv::CdpReply> replies;
        // A request that would wait a minute for its answer.
        b.connection.send(QStringLiteral("Runtime.evaluate"), {{"expression", "new Promise(() => {})"}, {"awaitPromise", true}},
                          session, [&](const tv::CdpReply &r) { replies << r; }, 60000);
        QElapsedTimer clock;
        clock.start();
        if (killed)
            ::kill(pid_t(b.process.processId()), SIGKILL);
        else
            b.connection.close(); // the browser ends itself when its command pipe closes
        QTRY_COMPARE_WITH_TIMEOUT(closed.size(), 1, 5000);
        QCOMPARE(replies.size(), 1);
        QVERIFY(!replies[0].ok);
        qInfo("connection ended %lld ms after the browser was %s", qint64(clock.elapsed()), killed ? "killed" : "told");
        QTRY_COMPARE_WITH_TIMEOUT(b.process.state(), QProcess::NotRunning, 10000);
    }
};

TV_TEST_MAIN(TestBrowserPipe)
#include "tst_browser_pipe.moc"
