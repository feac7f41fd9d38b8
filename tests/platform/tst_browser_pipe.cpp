// The harvest browser over its pipes: requests and large replies, no port
// for anyone to reach, nothing written outside its profile. (Its end, seen at
// once, is in the build test.)
#include "platform/cdpbrowser.h"
#include "platform/cdpcomponent.h"
#include "support/netprobe.h"
#include "support/testenv.h"

#include <QDir>
#include <QStandardPaths>

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
        // A DevTools port would be the browser process's own (the desktop test sees one).
        QCOMPARE(tvtest::listeningTcpPorts(browser->processId()), QList<quint16>());
        const QDir profile(browser->profileDir());
        QVERIFY(!profile.exists(QStringLiteral("DevToolsActivePort")));
        // Its crash reports go into its profile, not into the user's Chromium folder.
        QVERIFY(profile.exists(QStringLiteral("crash-reports")));
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QVERIFY(!QFileInfo::exists(config + QStringLiteral("/chromium")));
    }
};

TV_TEST_MAIN(TestBrowserPipe)
#include "tst_browser_pipe.moc"
