// The harvest browser over its pipes: requests and large replies, no port
// for anyone to reach, nothing written outside its profile, and its end seen
// at once.
#include "platform/cdpbrowser.h"
#include "platform/cdpcomponent.h"
#include "support/browserprobe.h"
#include "support/netprobe.h"
#include "support/testenv.h"

using tvtest::BrowserEventLog;

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

#include <csignal>

class TestBrowserPipe : public QObject
{
    Q_OBJECT

    std::unique_ptr<tv::CdpBrowserComponent> m_browser;

private slots:
    void initTestCase()
    {
        if (tv::BrowserChoice::find().program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
        m_browser = std::make_unique<tv::CdpBrowserComponent>(tv::BrowserChoice::find());
    }

    void cleanupTestCase()
    {
        if (m_browser)
            m_browser->shutdown();
    }

    void sandboxOffOnlyForRoot()
    {
        const tv::BrowserChoice choice = tv::BrowserChoice::find();
        QVERIFY(!choice.launchArguments(true, false).contains(QStringLiteral("--no-sandbox")));
        QVERIFY(choice.launchArguments(true, true).contains(QStringLiteral("--no-sandbox")));
    }

    void requestsAndLargeRepliesOverThePipes()
    {
        const tv::BrowserWindowPtr w = m_browser->createHarvestWindow();
        const auto browser = m_browser->harvestBrowser();
        QVERIFY(browser);
        QVERIFY(!browser->endpoint().isValid());
        // Many times the pipe's buffer, in one message; the next answer still
        // finds its request.
        const QString session = browser->sessionOf(w->hwnd());
        const tv::CdpReply big = browser->connection()->call(
            QStringLiteral("Runtime.evaluate"), {{"expression", "'x'.repeat(24 * 1024 * 1024)"}, {"returnByValue", true}},
            session, 60000);
        QVERIFY2(big.ok, qPrintable(big.errorMessage));
        QCOMPARE(big.result.value("result").toObject().value("value").toString().size(), 24 * 1024 * 1024);
        QVERIFY(browser->connection()->call(QStringLiteral("Runtime.evaluate"), {{"expression", "1+1"}}, session).ok);
    }

    void noPortAndNothingOutsideTheProfile()
    {
        const tv::BrowserWindowPtr w = m_browser->createHarvestWindow();
        const auto browser = m_browser->harvestBrowser();
        const QList<qint64> family = tvtest::processTree(browser->processId());
        QVERIFY(family.size() > 1); // the browser and its helpers
        QCOMPARE(tvtest::listeningTcpPorts(family), QList<quint16>());
        const QDir profile(browser->profileDir());
        QVERIFY(!profile.exists(QStringLiteral("DevToolsActivePort")));
        // Its crash reports go into its profile, not into the user's Chromium folder.
        QVERIFY(profile.exists(QStringLiteral("crash-reports")));
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QVERIFY(!QFileInfo::exists(config + QStringLiteral("/chromium")));
    }

    void killedBrowserIsSeenAtOnce()
    {
        const tv::BrowserWindowPtr w = m_browser->createHarvestWindow();
        BrowserEventLog log(w.get());
        const auto browser = m_browser->harvestBrowser();
        QList<tv::CdpReply> replies;
        // A request that would wait a minute for its answer.
        browser->connection()->send(QStringLiteral("Runtime.evaluate"),
                                    {{"expression", "new Promise(() => {})"}, {"awaitPromise", true}},
                                    browser->sessionOf(w->hwnd()), [&](const tv::CdpReply &r) { replies << r; }, 60000);
        const qint64 pid = browser->processId();
        const QString profile = browser->profileDir();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("quit")), 1, 5000);
        qInfo("the window ended %lld ms after its browser was killed", qint64(clock.elapsed()));
        QCOMPARE(replies.size(), 1);
        QVERIFY(!replies[0].ok);
        QVERIFY(!m_browser->harvestBrowser());
        QTRY_VERIFY(!QFileInfo::exists(profile));
        // The next page starts a fresh browser.
        const tv::BrowserWindowPtr next = m_browser->createHarvestWindow();
        QVERIFY(m_browser->harvestProcessId() != pid);
    }
};

TV_TEST_MAIN(TestBrowserPipe)
#include "tst_browser_pipe.moc"
