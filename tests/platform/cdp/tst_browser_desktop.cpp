// The desktop browser (run headless here): found or not found through its
// profile's DevToolsActivePort, created windows in a stable order, the
// HTML-document test, and a browser that is killed.
#include "platform/cdp/cdpcomponent.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QFile>

#include <signal.h>

using tvtest::BrowserEventLog;
using tvtest::HttpServer;

namespace {

// The ids of `windows` that are among `wanted`, in the order `windows` lists them.
QStringList idsOf(const QList<tv::BrowserWindowPtr> &windows, const QStringList &wanted = {})
{
    QStringList ids;
    for (const auto &w : windows)
        if (wanted.isEmpty() || wanted.contains(w->hwnd()))
            ids << w->hwnd();
    return ids;
}

tv::BrowserChoice choice()
{
    return tv::BrowserChoice::find({}, {}, true);
}

} // namespace

class TestBrowserDesktop : public QObject
{
    Q_OBJECT

private:
    HttpServer m_site;
    std::unique_ptr<tv::CdpBrowserComponent> m_browser;
    QList<tv::BrowserWindowPtr> m_windows; // html, text

private slots:
    void initTestCase()
    {
        if (choice().program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
        QVERIFY(m_site.listen());
        m_site.route("/page.html", {200, "text/html", "<title>p</title><a href='x.html'>x</a>"});
        m_site.route("/text.txt", {200, "text/plain", "http://example.invalid/not-a-link"});
        m_browser = std::make_unique<tv::CdpBrowserComponent>(choice());
    }

    void cleanupTestCase()
    {
        m_windows.clear();
        if (!m_browser)
            return;
        const qint64 pid = m_browser->desktopProcessId();
        m_browser->shutdown(); // started headless, so it ends with the program
        if (pid)
            QTRY_VERIFY_WITH_TIMEOUT(!tv::processIsRunning(pid), 10000);
    }

    void nothingRunningFindsNothing()
    {
        QVERIFY(m_browser->shellWindows().isEmpty());
        QCOMPARE(m_browser->foregroundWindow(), QString());
        QCOMPARE(m_browser->desktopProcessId(), qint64(0)); // looking never starts a browser
        tv::CdpBrowserComponent broken(tv::BrowserChoice::find(QStringLiteral("false"), {}, true));
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, broken.createWindow());
    }

    void createdWindowsFoundAgainInStableOrder()
    {
        const QStringList urls{m_site.url("/page.html"), m_site.url("/text.txt")};
        for (const QString &url : urls) {
            m_windows << m_browser->createWindow();
            m_windows.last()->navigate(url);
        }
        QTRY_COMPARE(m_browser->shellWindows().size(), 2); // the blank start page is not left behind
        QVERIFY((QFile::permissions(tv::CdpBrowserComponent::desktopProfileDir()) & (QFile::ReadGroup | QFile::ReadOther)) == 0);
        QCOMPARE(tvtest::listeningTcpPorts(m_browser->desktopProcessId()).size(), 1); // the port it keeps
        for (int i = 0; i < 2; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(m_windows[i]->locationUrl(), urls[i], 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_windows[0]->busy() && !m_windows[1]->busy(), 20000);
        // A page is an HTML document; plain text is not.
        QCOMPARE(m_windows[0]->document()->links, QStringList{m_site.url("/x.html")});
        QVERIFY(m_windows[0]->isHtmlDocument() && !m_windows[1]->isHtmlDocument());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[1]->document());

        const QStringList created = idsOf(m_windows);
        QCOMPARE(idsOf(m_browser->shellWindows(), created), created);
        // A later start of the program finds the same windows in the same order.
        tv::CdpBrowserComponent second(choice());
        QCOMPARE(idsOf(second.shellWindows(), created), created);
        second.shutdown();
        QVERIFY(tv::processIsRunning(m_browser->desktopProcessId())); // the user's browser stays open
    }

    void killedBrowserEndsItsWindows()
    {
        QCOMPARE(m_windows.size(), 2);
        BrowserEventLog log(m_windows[0].get());
        const qint64 pid = m_browser->desktopProcessId();
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("quit")), 1, 10000);
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[1]->navigate(m_site.url("/page.html")));
        // The port file it left points at nothing now; the next window starts a browser again.
        QVERIFY(m_browser->shellWindows().isEmpty());
        m_windows.clear();
        tv::BrowserWindowPtr w = m_browser->createWindow();
        BrowserEventLog next(w.get());
        QVERIFY(m_browser->desktopProcessId() != pid);
        w->navigate(m_site.url("/page.html"));
        QTRY_VERIFY_WITH_TIMEOUT(next.topComplete(), 20000);
        QVERIFY(idsOf(m_browser->shellWindows()).contains(w->hwnd()));
    }
};

TV_TEST_MAIN(TestBrowserDesktop)
#include "tst_browser_desktop.moc"
