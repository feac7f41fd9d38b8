// The desktop browser (run headless here): found or not found through its
// profile's DevToolsActivePort, created windows in a stable order, the
// HTML-document test, window state, and a browser that is killed.
#include "platform/cdpcomponent.h"
#include "platform/devtoolsport.h"
#include "support/browserprobe.h"
#include "support/netprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>

#include <signal.h>

using tvtest::BrowserEventLog;
using tvtest::HttpServer;

namespace {

QStringList idsOf(const QList<tv::BrowserWindowPtr> &windows)
{
    QStringList ids;
    for (const auto &w : windows)
        ids << w->hwnd();
    return ids;
}

// The ids of `wanted` in the order `all` lists them.
QStringList orderOf(const QStringList &all, const QStringList &wanted)
{
    QStringList out;
    for (const QString &id : all)
        if (wanted.contains(id))
            out << id;
    return out;
}

} // namespace

class TestBrowserDesktop : public QObject
{
    Q_OBJECT

private:
    HttpServer m_site;
    std::unique_ptr<tv::CdpBrowserComponent> m_browser;
    QList<tv::BrowserWindowPtr> m_windows; // html, text, pdf

    static QByteArray minimalPdf()
    {
        // One empty page; offsets in the table are not checked by viewers.
        return "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
               "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
               "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\n"
               "trailer<</Root 1 0 R>>\n%%EOF\n";
    }

    static tv::BrowserChoice choice() { return tv::BrowserChoice::find({}, {}, true); }

private slots:
    void initTestCase()
    {
        if (choice().program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
        QVERIFY(m_site.listen());
        m_site.route("/page.html", {200, "text/html", "<title>p</title><a href='x.html'>x</a>"});
        m_site.route("/text.txt", {200, "text/plain", "http://example.invalid/not-a-link"});
        m_site.route("/doc.pdf", {200, "application/pdf", minimalPdf()});
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

    void createdWindowsInStableOrder()
    {
        const QStringList urls{m_site.url("/page.html"), m_site.url("/text.txt"), m_site.url("/doc.pdf")};
        for (const QString &url : urls) {
            tv::BrowserWindowPtr w = m_browser->createWindow();
            QVERIFY(w);
            w->navigate(url);
            m_windows << w;
        }
        QVERIFY(m_browser->desktopProcessId() > 0);
        QTRY_COMPARE(m_browser->shellWindows().size(), 3); // the blank start page is not left behind
        QVERIFY((QFile::permissions(tv::CdpBrowserComponent::desktopProfileDir()) & (QFile::ReadGroup | QFile::ReadOther)) == 0);
        QCOMPARE(tvtest::listeningTcpPorts(m_browser->desktopProcessId()).size(), 1); // the port it keeps
        for (int i = 0; i < 2; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(m_windows[i]->locationUrl(), urls[i], 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_windows[0]->busy() && !m_windows[1]->busy() && !m_windows[2]->busy(), 20000);

        const QStringList created = idsOf(m_windows);
        QCOMPARE(orderOf(idsOf(m_browser->shellWindows()), created), created);

        // A later start of the program finds the same windows in the same order.
        tv::CdpBrowserComponent second(choice());
        QCOMPARE(orderOf(idsOf(second.shellWindows()), created), created);
        second.shutdown();
        QVERIFY(tv::processIsRunning(m_browser->desktopProcessId())); // the user's browser stays open
    }

    void htmlDocumentTest()
    {
        // A page is an HTML document; plain text and a PDF are not.
        QCOMPARE(m_windows.size(), 3);
        QCOMPARE(m_windows[0]->document()->links, QStringList{m_site.url("/x.html")});
        for (int i = 0; i < 3; ++i)
            QCOMPARE(m_windows[i]->isHtmlDocument(), i == 0);
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[1]->document());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[2]->document());
    }

    void killedBrowserEndsItsWindows()
    {
        QCOMPARE(m_windows.size(), 3);
        BrowserEventLog log(m_windows[0].get());
        const qint64 pid = m_browser->desktopProcessId();
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("quit")), 1, 10000);
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[1]->navigate(m_site.url("/page.html")));
        // The port file it left points at nothing now.
        QVERIFY(m_browser->shellWindows().isEmpty());
        // The next window starts a browser again.
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
