// The headless harvest browser against pages of our own server: links and
// frames, the events of a load, errors, pop-ups, Stop, Quit and release.
#include "platform/cdpcomponent.h"
#include "platform/cdpconnection.h"
#include "platform/cdperrors.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QJsonArray>
#include <QSignalSpy>

#include <signal.h>

using tvtest::BrowserEventLog;
using tvtest::HttpServer;

class TestBrowserHarvest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<tv::CdpBrowserComponent> m_browser;
    HttpServer m_site;   // the page's own origin
    HttpServer m_other;  // another port: same site, other origin
    qint64 m_pid = 0;

    tv::BrowserWindowPtr loaded(const QString &url, std::unique_ptr<BrowserEventLog> &log)
    {
        tv::BrowserWindowPtr w = m_browser->createHarvestWindow();
        log = std::make_unique<BrowserEventLog>(w.get());
        w->setSilent(true);
        w->navigate(url);
        return w;
    }

    // Ids and addresses of the harvest browser's pages, as the browser lists them.
    QStringList pageTargets(bool urls = false)
    {
        tv::CdpConnection raw;
        if (!raw.open(m_browser->harvestEndpoint(), 5000))
            return {};
        const tv::CdpReply r = raw.call(QStringLiteral("Target.getTargets"));
        QStringList ids;
        for (const QJsonValue &t : r.result.value(QLatin1String("targetInfos")).toArray())
            if (t.toObject().value(QLatin1String("type")).toString() == QLatin1String("page"))
                ids << t.toObject().value(QLatin1String(urls ? "url" : "targetId")).toString();
        return ids;
    }

private slots:
    void initTestCase()
    {
        if (tv::BrowserChoice::find().program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
        QVERIFY(m_site.listen());
        QVERIFY(m_other.listen());
        const QByteArray otherRoot = m_other.url(QString()).toUtf8();
        const QByteArray oopRoot = QStringLiteral("http://localhost:%1").arg(m_other.port()).toUtf8();
        m_site.route("/main.html", {200, "text/html",
                                    "<html><body><a href='a1.html'>1</a> <a href='/dir/a2.html'>2</a>"
                                    "<iframe src='same.html'></iframe>"
                                    "<iframe src='" + otherRoot + "/cross.html'></iframe>"
                                    "<iframe src='" + oopRoot + "/oop.html'></iframe>"
                                    "<map name=m><area href='area.html' shape=rect coords='0,0,1,1'></map>"
                                    "<a href='http://example.invalid/x%20y'>3</a><a>no href</a></body></html>"});
        m_site.route("/same.html", {200, "text/html", "<a href='s1.html'>s1</a><iframe src='nested.html'></iframe>"});
        m_site.route("/nested.html", {200, "text/html", "<a href='n1.html'>n1</a>"});
        m_other.route("/cross.html", {200, "text/html", "<a href='c1.html'>c1</a><iframe src='c2.html'></iframe>"});
        m_other.route("/c2.html", {200, "text/html", "<a href='c2a.html'>c2a</a>"});
        m_other.route("/oop.html", {200, "text/html", "<a href='o1.html'>o1</a>"});
        m_site.route("/plain.html", {200, "text/html", "<a href='p.html'>p</a>"});
        m_site.route("/framed-404.html", {200, "text/html", "<iframe src='missing.html'></iframe>"});
        m_site.route("/popup.html", {200, "text/html", "<script>window.open('/opened.html')</script><a href='x'>x</a>"});
        m_site.route("/opened.html", {200, "text/html", "opened"});
        m_site.route("/slow.html", {200, "text/html", "slow", 4000});
        m_site.route("/slow-image.html", {200, "text/html", "<a href='i'>i</a><img src='slow.png'>"});
        m_site.route("/slow.png", {200, "image/png", "", 10000});
        m_site.route("/empty", {200, "text/html", "", 0, true});
        m_site.route("/insttxt.html", {200, "text/html", "<iframe src='insttxt-frame.html'></iframe>"});
        const QByteArray insttxtFrame =
            "<p id=insttxt>before</p><script>new MutationObserver(() => { const a = document.createElement('a');"
            " a.href = 'changed-' + document.getElementById('insttxt').innerText; document.body.append(a); })"
            ".observe(document.getElementById('insttxt'), {childList: true, subtree: true, characterData: true});"
            "</script>";
        m_site.route("/insttxt-frame.html", {200, "text/html", insttxtFrame});
        m_other.route("/insttxt-frame.html", {200, "text/html", insttxtFrame});
        m_site.route("/insttxt-cross.html", {200, "text/html", "<iframe src='" + otherRoot + "/insttxt-frame.html'></iframe>"});
        m_browser = std::make_unique<tv::CdpBrowserComponent>(tv::BrowserChoice::find());
    }

    void cleanupTestCase()
    {
        if (!m_browser)
            return;
        const qint64 pid = m_browser->harvestProcessId();
        m_browser->shutdown();
        QVERIFY(!m_browser->harvestEndpoint().isValid());
        if (pid)
            QTRY_VERIFY(!tvtest::processRuns(pid));
    }

    void linksAndFramesDepthFirstTopCompleteLast()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/main.html"), log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        const tv::HtmlDocumentPtr doc = w->document();
        QVERIFY(doc);
        const QString site = m_site.url(QString()), other = m_other.url(QString());
        const QString oop = QStringLiteral("http://localhost:%1").arg(m_other.port());
        QCOMPARE(doc->url, m_site.url("/main.html"));
        QCOMPARE(doc->links, QStringList({site + "/a1.html", site + "/dir/a2.html", site + "/area.html",
                                          "http://example.invalid/x%20y"}));
        QCOMPARE(doc->frames.size(), size_t(3));
        // same origin, with its own frame
        QVERIFY(doc->frames[0]);
        QCOMPARE(doc->frames[0]->links, QStringList{site + "/s1.html"});
        QCOMPARE(doc->frames[0]->frames.size(), size_t(1));
        QCOMPARE(doc->frames[0]->frames[0]->links, QStringList{site + "/n1.html"});
        // another origin in the same process, read by a walk of its own
        QVERIFY(doc->frames[1]);
        QCOMPARE(doc->frames[1]->links, QStringList{other + "/c1.html"});
        QCOMPARE(doc->frames[1]->frames.size(), size_t(1));
        QVERIFY(doc->frames[1]->frames[0]);
        QCOMPARE(doc->frames[1]->frames[0]->links, QStringList{other + "/c2a.html"});
        // another site, in a process of its own
        QVERIFY(doc->frames[2]);
        QCOMPARE(doc->frames[2]->url, oop + "/oop.html");
        QCOMPARE(doc->frames[2]->links, QStringList{oop + "/o1.html"});

        // One DocumentComplete per frame, the page's own last.
        const QStringList completes = log->matching(QStringLiteral("complete "));
        QCOMPARE(completes.size(), 6); // five frames, then the page
        QCOMPARE(completes.last(), QStringLiteral("complete top ") + m_site.url("/main.html"));
        QCOMPARE(log->count(QStringLiteral("complete top")), 1);
        QCOMPARE(log->matching(QStringLiteral("before ")), QStringList{QStringLiteral("before ") + m_site.url("/main.html")});
        QCOMPARE(log->lines.first(), QStringLiteral("before ") + m_site.url("/main.html"));
        QTRY_VERIFY(log->lastProgress() < 1);
        QCOMPARE(log->count(QStringLiteral("error")), 0);
        QVERIFY(!w->busy());
    }

    void navigateErrors_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<quint32>("code");
        QTest::newRow("not-found-gives-404") << m_site.url("/missing.html") << 404u;
        QTest::newRow("refused-connection") << QStringLiteral("http://127.0.0.1:%1/").arg(HttpServer::closedPort()) << 0x800C0004u;
        QTest::newRow("empty-response") << m_site.url("/empty") << 0x800C0007u;
        QTest::newRow("unknown-scheme-never-loads") << QStringLiteral("foo://bar/") << 0x800C000Du;
    }
    void navigateErrors()
    {
        QFETCH(QString, url);
        QFETCH(quint32, code);
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(url, log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        const QStringList errors = log->matching(QStringLiteral("error "));
        QCOMPARE(errors, QStringList{QStringLiteral("error top %1 %2").arg(url, QString::number(code, 16))});
        // the error comes before the completion that ends the load
        QVERIFY(log->lines.indexOf(errors.first()) < log->lines.indexOf(log->matching(QStringLiteral("complete top")).first()));
        QTRY_VERIFY(log->lastProgress() < 1);
        QCOMPARE(w->locationUrl().isEmpty(), false);
    }

    void frameErrorNamesTheFrame()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/framed-404.html"), log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        QCOMPARE(log->matching(QStringLiteral("error ")),
                 QStringList{QStringLiteral("error frame %1 194").arg(m_site.url("/missing.html"))});
    }

    void popupOnLoadIsCancelled()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/popup.html"), log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        QCOMPARE(log->count(QStringLiteral("newwindow")), 1);
        QCOMPARE(m_site.hits(QStringLiteral("/opened.html")), 0);
        QVERIFY(!pageTargets(true).contains(m_site.url("/opened.html")));
        QCOMPARE(w->document()->links, QStringList{m_site.url("/x")});
    }

    void stopAbandonsTheLoad()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/slow.html"), log);
        QVERIFY(w->busy());
        QTRY_COMPARE(m_site.hits(QStringLiteral("/slow.html")), 1);
        w->stop();
        QTRY_VERIFY(!w->busy());
        // A later load completes; the stopped one reported nothing.
        w->navigate(m_site.url("/plain.html"));
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        QCOMPARE(log->matching(QStringLiteral("complete top")), QStringList{"complete top " + m_site.url("/plain.html")});
        QCOMPARE(log->count(QStringLiteral("error")), 0);
        QCOMPARE(w->document()->links, QStringList{m_site.url("/p.html")});
    }

    void nextLoadInTheSameWindowIsReadAfresh()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/plain.html"), log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        QCOMPARE(w->document()->links, QStringList{m_site.url("/p.html")});
        QCOMPARE(w->document()->links, QStringList{m_site.url("/p.html")}); // a second read of the same document
        log->clear();
        w->navigate(m_site.url("/nested.html"));
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        QCOMPARE(w->document()->url, m_site.url("/nested.html"));
        QCOMPARE(w->document()->links, QStringList{m_site.url("/n1.html")});
    }

    void quitEndsWithOnQuit_data()
    {
        QTest::addColumn<bool>("fromTheBrowser");
        QTest::newRow("program-quits") << false;
        QTest::newRow("closed-by-the-browser") << true;
    }
    void quitEndsWithOnQuit()
    {
        QFETCH(bool, fromTheBrowser);
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/plain.html"), log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        const QString id = w->hwnd();
        if (fromTheBrowser) {
            tv::CdpConnection raw;
            QVERIFY(raw.open(m_browser->harvestEndpoint(), 5000));
            QVERIFY(raw.call(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), id}}).ok);
        } else {
            w->quit();
        }
        QTRY_COMPARE(log->count(QStringLiteral("quit")), 1);
        QVERIFY(!pageTargets().contains(id));
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, w->busy());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, w->document());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, w->navigate(m_site.url("/plain.html")));
    }

    void crashedPageEndsItsLoad()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/slow-image.html"), log);
        QTRY_COMPARE_WITH_TIMEOUT(m_site.hits(QStringLiteral("/slow.png")), 1, 10000); // committed, still loading
        tv::CdpConnection raw;
        QVERIFY(raw.open(m_browser->harvestEndpoint(), 5000));
        const tv::CdpReply attached = raw.call(QStringLiteral("Target.attachToTarget"),
                                               {{QStringLiteral("targetId"), w->hwnd()}, {QStringLiteral("flatten"), true}});
        QVERIFY(attached.ok);
        raw.send(QStringLiteral("Page.crash"), {}, attached.result.value(QLatin1String("sessionId")).toString());
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 10000);
        QCOMPARE(log->matching(QStringLiteral("error ")),
                 QStringList{QStringLiteral("error top %1 800c0008").arg(m_site.url("/slow-image.html"))});
        QVERIFY(!w->busy());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, w->document());
    }

    void releaseClosesThePage()
    {
        QString id;
        {
            auto w = m_browser->createHarvestWindow();
            id = w->hwnd();
            QVERIFY(pageTargets().contains(id));
        }
        QTRY_VERIFY(!pageTargets().contains(id));
    }

    void innerTextOfFirstFrame_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("frameRoot");
        QTest::newRow("same-origin-frame") << "/insttxt.html" << m_site.url(QString());
        QTest::newRow("other-origin-frame") << "/insttxt-cross.html" << m_other.url(QString());
        QTest::newRow("page-without-frames") << "/plain.html" << QString();
    }
    void innerTextOfFirstFrame()
    {
        QFETCH(QString, page);
        QFETCH(QString, frameRoot);
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url(page), log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        if (frameRoot.isEmpty()) {
            QVERIFY(!w->setFirstFrameInnerText(QStringLiteral("insttxt"), QStringLiteral("poop")));
            return;
        }
        QVERIFY(w->setFirstFrameInnerText(QStringLiteral("insttxt"), QStringLiteral("poop")));
        QVERIFY(!w->setFirstFrameInnerText(QStringLiteral("nothing-by-this-name"), QStringLiteral("x")));
        QTRY_COMPARE(w->document()->frames.at(0)->links, QStringList{frameRoot + "/changed-poop"});
    }

    void registeredWindowTakesPartInLookups()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/plain.html"), log);
        auto listed = [&] {
            for (const auto &x : m_browser->shellWindows())
                if (x->hwnd() == w->hwnd())
                    return true;
            return false;
        };
        QVERIFY(!listed());
        w->setRegisterAsBrowser(true);
        QVERIFY(listed());
    }

    // Ends the shared harvest browser; the cases after it get a new one.
    void killedHarvestBrowserIsReplaced()
    {
        std::unique_ptr<BrowserEventLog> log;
        auto w = loaded(m_site.url("/plain.html"), log);
        QTRY_VERIFY_WITH_TIMEOUT(log->topComplete(), 20000);
        const qint64 pid = m_browser->harvestProcessId();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(log->count(QStringLiteral("quit")), 1, 10000);
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, w->document());
        std::unique_ptr<BrowserEventLog> again;
        auto next = loaded(m_site.url("/plain.html"), again);
        QTRY_VERIFY_WITH_TIMEOUT(again->topComplete(), 20000);
        QVERIFY(m_browser->harvestProcessId() != pid);
        QCOMPARE(next->document()->links, QStringList{m_site.url("/p.html")});
    }
};

TV_TEST_MAIN(TestBrowserHarvest)
#include "tst_browser_harvest.moc"
