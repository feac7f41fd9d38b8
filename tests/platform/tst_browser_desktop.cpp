// The desktop browser (run headless here): found or not found through its
// profile's DevToolsActivePort, created windows in a stable order, the
// HTML-document test, window state, and a browser that is killed.
#include "platform/cdpcomponent.h"
#include "platform/devtoolsport.h"
#include "support/browserprobe.h"
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

    // Headless; with the pop-up blocker off (extra flags reach the browser),
    // pop-ups open and must be closed by Cancel.
    static tv::BrowserChoice choice()
    {
        return tv::BrowserChoice::find({}, {QStringLiteral("--disable-popup-blocking")}, true);
    }

private slots:
    void initTestCase()
    {
        if (choice().program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
        QVERIFY(m_site.listen());
        m_site.route("/page.html", {200, "text/html", "<title>p</title><a href='x.html'>x</a>"});
        m_site.route("/text.txt", {200, "text/plain", "http://example.invalid/not-a-link"});
        m_site.route("/doc.pdf", {200, "application/pdf", minimalPdf()});
        m_site.route("/popup.html", {200, "text/html", "<script>window.open('/opened.html')</script>"});
        m_site.route("/opened.html", {200, "text/html", "opened"});
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
            QTRY_VERIFY_WITH_TIMEOUT(!tvtest::processRuns(pid), 10000);
    }

    void nothingRunningFindsNothing()
    {
        QVERIFY(m_browser->shellWindows().isEmpty());
        QCOMPARE(m_browser->foregroundWindow(), QString());
        QCOMPARE(m_browser->desktopProcessId(), qint64(0)); // looking never starts a browser
    }

    void browserThatCannotStartIsAnError_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("program-missing") << "/nonexistent/chromium";
        QTest::newRow("program-ends-at-once") << "false";
    }
    void browserThatCannotStartIsAnError()
    {
        QFETCH(QString, command);
        tv::CdpBrowserComponent broken(tv::BrowserChoice::find(command, {}, true));
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, broken.createWindow());
        QCOMPARE(broken.desktopProcessId(), qint64(0));
        QVERIFY(broken.shellWindows().isEmpty());
    }

    void stalePortFileIsNoBrowser()
    {
        const QString profile = tv::CdpBrowserComponent::desktopProfileDir();
        QVERIFY(QDir().mkpath(profile));
        const QString file = tv::devToolsActivePortFile(profile);
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::number(HttpServer::closedPort()) + "\n/devtools/browser/0b5e1e5e-dead-4bad-8bad-000000000000\n");
        }
        QVERIFY(m_browser->shellWindows().isEmpty());
        QCOMPARE(m_browser->foregroundWindow(), QString());
        QVERIFY(!QFile::exists(file));
        QCOMPARE(m_browser->desktopProcessId(), qint64(0));
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
        for (int i = 0; i < 2; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(m_windows[i]->locationUrl(), urls[i], 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_windows[0]->busy() && !m_windows[1]->busy() && !m_windows[2]->busy(), 20000);

        const QStringList created = idsOf(m_windows);
        QCOMPARE(orderOf(idsOf(m_browser->shellWindows()), created), created);
        QCOMPARE(orderOf(idsOf(m_browser->shellWindows()), created), created); // and again

        // A later start of the program finds the same windows in the same order.
        tv::CdpBrowserComponent second(choice());
        QCOMPARE(orderOf(idsOf(second.shellWindows()), created), created);
        second.shutdown();
        QVERIFY(tvtest::processRuns(m_browser->desktopProcessId())); // the user's browser stays open
    }

    void htmlDocumentTest_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("html");
        QTest::newRow("html-page") << 0 << true;
        QTest::newRow("plain-text-is-not-html") << 1 << false;
        QTest::newRow("pdf-is-not-html") << 2 << false;
    }
    void htmlDocumentTest()
    {
        QFETCH(int, index);
        QFETCH(bool, html);
        QVERIFY(index < m_windows.size());
        QCOMPARE(m_windows[index]->isHtmlDocument(), html);
        if (html)
            QCOMPARE(m_windows[index]->document()->links, QStringList{m_site.url("/x.html")});
        else
            QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[index]->document());
    }

    void visibleFollowsWindowState()
    {
        QVERIFY(!m_windows.isEmpty());
        auto w = m_windows[0];
        QVERIFY(!w->visible()); // new windows start hidden
        w->setVisible(true);
        QVERIFY(w->visible());
        w->setVisible(false);
        QVERIFY(!w->visible());
        w->showMaximized();
        QVERIFY(w->visible());
        w->showNoActivate();
        QVERIFY(w->visible());
        w->bringToForeground();
    }

    void popUpCancelledOrKept_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancel-closes-the-pop-up") << true;
        QTest::newRow("pop-up-kept-without-cancel") << false;
    }
    void popUpCancelledOrKept()
    {
        QFETCH(bool, cancel);
        tv::BrowserWindowPtr w = m_browser->createWindow();
        BrowserEventLog log(w.get(), cancel);
        const QStringList before = idsOf(m_browser->shellWindows());
        auto newPages = [&] {
            QStringList added = idsOf(m_browser->shellWindows());
            for (const QString &id : before)
                added.removeAll(id);
            return added;
        };
        w->navigate(m_site.url("/popup.html"));
        QTRY_VERIFY_WITH_TIMEOUT(log.topComplete(), 20000);
        QCOMPARE(log.count(QStringLiteral("newwindow")), 1);
        if (cancel) {
            QTRY_VERIFY_WITH_TIMEOUT(newPages().isEmpty(), 10000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(newPages().size(), 1, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(m_browser->shellWindows().last()->locationUrl(), m_site.url("/opened.html"), 10000);
            m_browser->shellWindows().last()->quit();
        }
        w->quit();
    }

    void killedBrowserEndsItsWindows()
    {
        QVERIFY(!m_windows.isEmpty());
        QList<std::shared_ptr<BrowserEventLog>> logs;
        for (const auto &w : std::as_const(m_windows))
            logs << std::make_shared<BrowserEventLog>(w.get());
        const qint64 pid = m_browser->desktopProcessId();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        for (const auto &log : std::as_const(logs)) {
            // (a page may still report progress of its own until then)
            QTRY_COMPARE_WITH_TIMEOUT(log->count(QStringLiteral("quit")), 1, 10000);
            QCOMPARE(log->lines.last(), QStringLiteral("quit"));
        }
        QTRY_VERIFY(!tvtest::processRuns(pid));
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[0]->navigate(m_site.url("/page.html")));
        // The port file it left points at nothing now.
        QVERIFY(m_browser->shellWindows().isEmpty());
        QCOMPARE(m_browser->foregroundWindow(), QString());

        // The next window starts a browser again.
        logs.clear();
        m_windows.clear();
        tv::BrowserWindowPtr w = m_browser->createWindow();
        BrowserEventLog log(w.get());
        QVERIFY(m_browser->desktopProcessId() > 0);
        QVERIFY(m_browser->desktopProcessId() != pid);
        w->navigate(m_site.url("/page.html"));
        QTRY_VERIFY_WITH_TIMEOUT(log.topComplete(), 20000);
        QVERIFY(idsOf(m_browser->shellWindows()).contains(w->hwnd()));
    }
};

TV_TEST_MAIN(TestBrowserDesktop)
#include "tst_browser_desktop.moc"
