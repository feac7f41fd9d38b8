// The headless harvest browser against pages of our own server: links and
// frames (30 levels deep too), link texts, images and media, shadow trees, the events of a load, errors, pop-ups, a crash,
// Quit and release; its pipes, no port, nothing written outside its profile.
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdpcomponent.h"
#include "platform/cdp/cdpconnection.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QDir>
#include <QJsonDocument>
#include <QStandardPaths>

#include <tuple>

using tvtest::BrowserEventLog;
using tvtest::HttpServer;

namespace {

// A harvest window sent to a page, and the log of its events.
struct Load
{
    tv::BrowserWindowPtr w;
    std::unique_ptr<BrowserEventLog> log;
    bool finished(int ms = 20000) const { return QTest::qWaitFor([this] { return log->topComplete(); }, ms); }
};

// Links of a document, each frame's between "[" and "]".
QStringList outline(const tv::HtmlDocumentPtr &doc)
{
    QStringList out = doc ? doc->links : QStringList{QStringLiteral("unreadable")};
    if (doc)
        for (const auto &frame : doc->frames)
            out << QStringLiteral("[") << outline(frame) << QStringLiteral("]");
    return out;
}

// Each link of the top document with its text, as "address | text".
QStringList withTexts(const tv::HtmlDocumentPtr &doc, const QString &root)
{
    QStringList out;
    for (qsizetype i = 0; i < doc->links.size(); ++i)
        out << QString(doc->links.at(i)).remove(root) + QStringLiteral(" | ") + doc->texts.value(i);
    return out;
}

} // namespace

class TestBrowserHarvest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<tv::CdpBrowserComponent> m_browser;
    HttpServer m_site;   // the page's own origin
    HttpServer m_other;  // another port: same site, other origin
    static constexpr int DeepFrames = 30;

    Load load(const QString &path)
    {
        Load l{m_browser->createHarvestWindow(), nullptr};
        l.log = std::make_unique<BrowserEventLog>(l.w.get());
        l.w->setSilent(true);
        l.w->navigate(path.startsWith(u'/') ? m_site.url(path) : path);
        return l;
    }

    // Whether the harvest browser still lists a page of this id.
    bool pageOpen(const QString &id)
    {
        const tv::CdpReply r = m_browser->harvestBrowser()->connection()->call(QStringLiteral("Target.getTargets"));
        return QJsonDocument(r.result).toJson().contains(id.toUtf8());
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
        m_site.route("/popup.html", {200, "text/html", "<script>window.open('/opened.html')</script><a href='x'>x</a>"});
        m_site.route("/slow-image.html", {200, "text/html", "<a href='i'>i</a><img src='slow.png'>"});
        m_site.route("/slow.png", {200, "image/png", "", 10000});
        // Frames 30 deep; every third level on the other origin.
        for (int level = 0; level <= DeepFrames; ++level) {
            QByteArray page = "<a href='level-" + QByteArray::number(level) + ".html'>x</a>";
            if (level < DeepFrames) {
                const HttpServer &next = (level + 1) % 3 == 0 ? m_other : m_site;
                page += "<iframe src='" + next.url(QStringLiteral("/deep-%1.html").arg(level + 1)).toUtf8() + "'></iframe>";
            }
            for (HttpServer *server : {&m_site, &m_other})
                server->route(QStringLiteral("/deep-%1.html").arg(level), {200, "text/html", page});
        }
        // A frame that adds a link naming the text put into its element "insttxt".
        const QByteArray insttxtFrame =
            "<p id=insttxt>before</p><script>new MutationObserver(() => { const a = document.createElement('a');"
            " a.href = 'changed-' + document.getElementById('insttxt').innerText; document.body.append(a); })"
            ".observe(document.getElementById('insttxt'), {childList: true, subtree: true, characterData: true});"
            "</script>";
        for (HttpServer *server : {&m_site, &m_other})
            server->route("/insttxt-frame.html", {200, "text/html", insttxtFrame});
        m_site.route("/insttxt.html", {200, "text/html", "<iframe src='insttxt-frame.html'></iframe>"});
        m_site.route("/insttxt-cross.html", {200, "text/html", "<iframe src='" + otherRoot + "/insttxt-frame.html'></iframe>"});
        // One page of every kind of address a page names, in document order.
        m_site.route("/kinds.html", {200, "text/html", R"(<html><head><base href="/b/"></head><body>
<a href='t1'>  Visible
  <b>text</b> <span style='display:none'>hidden</span></a><a href='t2' title='Its title'> </a>
<a href='t3'><img alt='Its alt' src='t3.png'></a><area href='t4' alt='Area alt'>
<img src='plain.png'><img src='blob:http://127.0.0.1/x'><img data-lazy-src='ll.png'>
<picture><source srcset='p-1.png 1x, p-2.png 2x'><img src='p-fallback.png'></picture>
<img src='data:image/gif;base64,R0lGODlhAQABAAAAACw=' data-src='lazy.png' data-srcset='l-1.png 100w, l-3.png 300w'>
<div data-original='orig.png'></div>
<video src='v.mp4' poster='poster.png'><source src='v.webm'></video><audio><source src='a.ogg'></audio>
<div id=host><a href='light-child'>Light</a></div><div id=closed></div><a href='after'>After</a>
<script>
const open1 = document.getElementById('host').attachShadow({mode: 'open'});
open1.innerHTML = "<a href='shadow-1'>S1</a><span id=inner></span><img src='shadow.png'><slot></slot>";
open1.getElementById('inner').attachShadow({mode: 'open'}).innerHTML = "<a href='shadow-2'>S2</a>";
document.getElementById('closed').attachShadow({mode: 'closed'}).innerHTML = "<a href='closed'>C</a>";
</script></body></html>)"});
        // Shadow trees nested 300 deep, and a picture with a 10 MB srcset.
        m_site.route("/hostile.html", {200, "text/html", R"(<body><picture><source id=big></picture><div id=d></div><script>
document.getElementById('big').setAttribute('srcset', 'big.png 10w, '.repeat(1000000) + 'last.png 99w');
let at = document.getElementById('d');
for (let i = 0; i < 300; i++) {
  const r = at.attachShadow({mode: 'open'});
  r.innerHTML = "<a href='level-" + i + "'>x</a><div></div>";
  at = r.lastChild;
}</script></body>)"});
        m_browser = std::make_unique<tv::CdpBrowserComponent>(tv::BrowserChoice::find());
    }

    void cleanupTestCase()
    {
        if (!m_browser)
            return;
        const qint64 pid = m_browser->harvestProcessId();
        m_browser->shutdown();
        QVERIFY(!m_browser->harvestBrowser());
        if (pid)
            QTRY_VERIFY(!tv::processIsRunning(pid));
    }

    void linksAndFramesDepthFirstTopCompleteLast()
    {
        const Load l = load("/main.html");
        QVERIFY(l.finished());
        // Same origin with a frame of its own; another origin in the same
        // process, read by a walk of its own; another site in its own process.
        const QString site = m_site.url(QString()), other = m_other.url(QString());
        const QString oop = QStringLiteral("http://localhost:%1").arg(m_other.port());
        QCOMPARE(outline(l.w->document()),
                 QStringList({site + "/a1.html", site + "/dir/a2.html", site + "/area.html", "http://example.invalid/x%20y",
                              "[", site + "/s1.html", "[", site + "/n1.html", "]", "]", "[", other + "/c1.html", "[",
                              other + "/c2a.html", "]", "]", "[", oop + "/o1.html", "]"}));
        // One start, one DocumentComplete per frame with the page's own last, and the bar ends.
        const QStringList completes = l.log->matching(QStringLiteral("complete "));
        QCOMPARE(completes.size(), 6);
        QCOMPARE(completes.last(), QStringLiteral("complete top ") + m_site.url("/main.html"));
        QCOMPARE(l.log->lines.first(), QStringLiteral("before ") + m_site.url("/main.html"));
        QCOMPARE(l.log->count(QStringLiteral("before")) + l.log->count(QStringLiteral("error")), 1);
        QTRY_COMPARE(l.log->count(QStringLiteral("progress -1/")), 1);
        QVERIFY(!l.w->busy());

        // A limit: repeats left out ("%20" read as a blank), and the read
        // stops at that many different addresses, frames of its own and other
        // origins sharing it; cut only when an address was left unread.
        m_site.route("/repeats.html", {200, "text/html",
                                       "<a href='a'>a</a><a href='b%20c'>b</a><a href='b c'>b</a><a href='a'>a</a>"
                                       "<iframe src='" + other.toUtf8() + "/cross.html'></iframe><a href='d'>d</a>"});
        const Load r = load("/repeats.html");
        QVERIFY(r.finished());
        const std::tuple<qsizetype, QStringList, bool> limits[] = {
            {0, {}, true},
            {2, {site + "/a", site + "/b%20c"}, true},
            {4, {site + "/a", site + "/b%20c", site + "/d", "[", other + "/c1.html", "[", "]", "]"}, true},
            {5, {site + "/a", site + "/b%20c", site + "/d", "[", other + "/c1.html", "[", other + "/c2a.html", "]", "]"}, false},
        };
        for (const auto &[limit, links, cut] : limits) {
            const tv::HtmlDocumentPtr doc = r.w->document(limit);
            QCOMPARE(outline(doc), links);
            QCOMPARE(doc->cut, cut);
        }
    }

    void textsMediaAndShadowTreesInDocumentOrder()
    {
        const Load l = load("/kinds.html");
        QVERIFY(l.finished());
        const QString root = m_site.url("/b/");
        const QStringList links = {"t1 | Visible text", "t2 | Its title", "t3 | Its alt", "t4 | Area alt"};
        const QStringList shadow = {"shadow-1 | S1", "shadow-2 | S2"};
        const QStringList tail = {"light-child | Light", "after | After"};
        QCOMPARE(withTexts(l.w->document(), root), links + shadow + tail);
        // With media: the picture's source by its largest candidate, its img by
        // the one the browser chose; data: and blob: left out; no closed tree.
        const QStringList media = {"t3.png | ", "plain.png | ", "ll.png | ", "p-2.png | ", "p-1.png | ", "lazy.png | ",
                                   "l-3.png | ", "orig.png | ", "v.mp4 | ", "poster.png | ", "v.webm | ", "a.ogg | "};
        const tv::HtmlDocumentPtr all = l.w->document(tv::BrowserWindow::AllLinks, true);
        const QStringList expected = QStringList{links.at(0), links.at(1), links.at(2), media.at(0), links.at(3)} + media.mid(1)
                                     + shadow + QStringList{"shadow.png | "} + tail;
        QCOMPARE(withTexts(all, root), expected);
        QVERIFY(!all->unfinished);

        // A hostile page ends with what was found and says it stopped.
        const Load h = load("/hostile.html");
        QVERIFY(h.finished());
        const tv::HtmlDocumentPtr doc = h.w->document(tv::BrowserWindow::AllLinks, true);
        QVERIFY(doc->unfinished);
        QCOMPARE(doc->links.first(), m_site.url("/big.png"));
        QCOMPARE(doc->links.size(), 1 + 200);
        QCOMPARE(doc->links.last(), m_site.url("/level-199"));
    }

    void everyLevelOfDeepFrames()
    {
        const Load l = load("/deep-0.html");
        QVERIFY(l.finished(30000));
        QStringList levels, expected;
        for (const QString &item : outline(l.w->document()))
            if (item != u"[" && item != u"]")
                levels << QUrl(item).fileName();
        for (int level = 0; level <= DeepFrames; ++level)
            expected << QStringLiteral("level-%1.html").arg(level);
        QCOMPARE(levels, expected);
    }

    void navigateErrorsBeforeTheCompletion()
    {
        for (const auto &[url, code] : {std::pair{m_site.url("/missing.html"), 404u},
                                        {QStringLiteral("http://127.0.0.1:%1/").arg(HttpServer::closedPort()), 0x800C0004u}}) {
            const Load l = load(url);
            QVERIFY(l.finished());
            const QStringList errors = l.log->matching(QStringLiteral("error "));
            QCOMPARE(errors, QStringList{QStringLiteral("error top %1 %2").arg(url, QString::number(code, 16))});
            QVERIFY(l.log->lines.indexOf(errors.first()) < l.log->lines.indexOf(l.log->matching(QStringLiteral("complete top")).first()));
        }
    }

    void crashedPageEndsItsLoad()
    {
        const Load l = load("/slow-image.html");
        QTRY_COMPARE_WITH_TIMEOUT(m_site.hits(QStringLiteral("/slow.png")), 1, 10000); // committed, still loading
        const auto browser = m_browser->harvestBrowser();
        browser->connection()->send(QStringLiteral("Page.crash"), {}, browser->sessionOf(l.w->hwnd()));
        QVERIFY(l.finished(10000));
        QCOMPARE(l.log->matching(QStringLiteral("error ")),
                 QStringList{QStringLiteral("error top %1 800c0008").arg(m_site.url("/slow-image.html"))});
        QVERIFY(!l.w->busy());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, l.w->document());
    }

    void popupDeclinedThenQuitAndReleaseClose()
    {
        const Load l = load("/popup.html");
        QVERIFY(l.finished());
        QCOMPARE(l.log->count(QStringLiteral("newwindow")), 1);
        QCOMPARE(m_site.hits(QStringLiteral("/opened.html")), 0);
        QCOMPARE(l.w->document()->links, QStringList{m_site.url("/x")});
        const QString id = l.w->hwnd();
        l.w->quit();
        QTRY_COMPARE(l.log->count(QStringLiteral("quit")), 1);
        QVERIFY(!pageOpen(id));
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, l.w->document());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, l.w->navigate(m_site.url("/popup.html")));
        // Dropping the last reference to a page closes it too.
        const QString released = m_browser->createHarvestWindow()->hwnd();
        QTRY_VERIFY(!pageOpen(released));
    }

    void innerTextOfFirstFrame()
    {
        // A frame of the page's own origin, and one of another origin.
        for (const auto &[page, frameRoot] : {std::pair{"/insttxt.html", m_site.url(QString())},
                                              {"/insttxt-cross.html", m_other.url(QString())}}) {
            const Load l = load(QLatin1String(page));
            QVERIFY(l.finished());
            QVERIFY(l.w->setFirstFrameInnerText(QStringLiteral("insttxt"), QStringLiteral("poop")));
            QVERIFY(!l.w->setFirstFrameInnerText(QStringLiteral("nothing-by-this-name"), QStringLiteral("x")));
            QTRY_COMPARE(l.w->document()->frames.at(0)->links, QStringList{frameRoot + "/changed-poop"});
        }
    }

    // Driven over its pipes, with no DevTools port (the desktop browser has one),
    // and nothing written outside its own profile.
    void pipesNoPortNothingOutsideTheProfile()
    {
        const tv::BrowserWindowPtr w = m_browser->createHarvestWindow();
        const auto browser = m_browser->harvestBrowser();
        QVERIFY(browser && !browser->endpoint().isValid());
        QCOMPARE(tvtest::listeningTcpPorts(browser->processId()), QList<quint16>());
        // Many times the pipe's buffer, in one message; the next answer still finds its request.
        const QString session = browser->sessionOf(w->hwnd());
        const tv::CdpReply big = browser->connection()->call(
            QStringLiteral("Runtime.evaluate"), {{"expression", "'x'.repeat(24 * 1024 * 1024)"}, {"returnByValue", true}},
            session, 60000);
        QVERIFY2(big.ok, qPrintable(big.errorMessage));
        QCOMPARE(big.result.value("result").toObject().value("value").toString().size(), 24 * 1024 * 1024);
        QVERIFY(browser->connection()->call(QStringLiteral("Runtime.evaluate"), {{"expression", "1+1"}}, session).ok);
        const QDir profile(browser->profileDir());
        QVERIFY(!profile.exists(QStringLiteral("DevToolsActivePort")));
        QVERIFY(profile.exists(QStringLiteral("crash-reports"))); // not the user's Chromium folder
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QVERIFY(!QFileInfo::exists(config + QStringLiteral("/chromium")));
        // The sandbox is turned off only for root.
        const tv::BrowserChoice choice = tv::BrowserChoice::find();
        QVERIFY(!choice.launchArguments(true, false).contains(QStringLiteral("--no-sandbox")));
        QVERIFY(choice.launchArguments(true, true).contains(QStringLiteral("--no-sandbox")));
    }
};

TV_TEST_MAIN(TestBrowserHarvest)
#include "tst_browser_harvest.moc"
