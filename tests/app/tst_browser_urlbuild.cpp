// Building lists from pages of our own server in a real (headless) Chromium:
// the main window's command, its events, and the other ways in.
#include "app/mainwindow.h"
#include "app/linklist.h"
#include "builders/urldialog.h"
#include "support/urldialoganswer.h"
#include "platform/cdpcomponent.h"
#include "platform/commoncontrols.h"
#include "settings/settingsstore.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

using namespace tv;
using tvtest::HttpServer;

namespace {

const QString Problem = QStringLiteral("Tallyvane encountered a problem building a list from this url.");
constexpr int LoadBound = 30000;

} // namespace

class TestBrowserUrlBuild : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void listedLinks_data();
    void listedLinks();
    void navigationError_data();
    void navigationError();
    void progressWhileLoading();
    void escMidLoad();
    void drop();
    void popUpsDoNotOpen();
    void pageOpenInDesktopBrowser_data();
    void pageOpenInDesktopBrowser();
    void filtersGifOnly();
    void startUpHarvest();
    void handOverHarvest();

private:
    void build(const QString &url, bool append);
    void waitForBuildEnd();
    // A desktop-browser window that shows the page, in `window`.
    void openInDesktop(const QString &url, BrowserWindowPtr &window);
    QString countText() const { return m_form->sbStatusBar->Panels("pnlProgress")->Text(); }
    QString site(const QString &path) const { return m_site.url(path); }

    std::unique_ptr<CdpBrowserComponent> m_browser;
    HttpServer m_site;
    int m_changingHits = 0;
    std::unique_ptr<tvtest::MessageBoxScript> m_boxes;
    std::unique_ptr<Form1> m_form;
    QList<BrowserWindowPtr> m_desktopWindows;
};

void TestBrowserUrlBuild::initTestCase()
{
    // The desktop browser runs headless too.
    m_browser = std::make_unique<CdpBrowserComponent>(BrowserChoice::find({}, {}, true));
    try {
        m_browser->createHarvestWindow();
    } catch (const BrowserError &e) {
        QSKIP(qPrintable(QStringLiteral("No Chromium-family browser could be started: %1").arg(QString::fromUtf8(e.what()))));
    }

    QVERIFY(m_site.listen());
    m_site.route("/aba.html", {200, "text/html", "<a href='A'>A</a> <a href='B'>B</a> <a href='A'>A again</a>"});
    m_site.route("/blank.html", {200, "text/html", "<a href='x%20y.html'>1</a> <a href='x y.html'>2</a> "
                                                   "<a href='p%2520q.html'>3</a>"});
    m_site.route("/frames.html", {200, "text/html", "<a href='top.html'>t</a><iframe src='f0.html'></iframe>"
                                                    "<iframe src='f1.html'></iframe>"});
    m_site.route("/f0.html", {200, "text/html", "<a href='f0a.html'>a</a><iframe src='f00.html'></iframe>"});
    m_site.route("/f00.html", {200, "text/html", "<a href='f00a.html'>a</a><a href='top.html'>t</a>"});
    m_site.route("/f1.html", {200, "text/html", "<a href='f1a.html'>a</a>"});
    m_site.route("/two.html", {200, "text/html", "<a href='one.html'>1</a><a href='two.html'>2</a>"});
    m_site.route("/teapot.html", {418, "text/html", "<a href='tea.html'>tea</a>"});
    m_site.route("/slow.html", {200, "text/html", "<a href='late.html'>late</a>", 3000});
    m_site.route("/with-slow-picture.html", {200, "text/html", "<img src='slow.gif'><img src='p1.gif'><a href='x.html'>x</a>"});
    m_site.route("/slow.gif", {200, "image/gif", "GIF89a", 2500});
    m_site.route("/p1.gif", {200, "image/gif", "GIF89a"});
    m_site.route("/popup.html", {200, "text/html", "<script>window.open('/opened.html')</script><a href='p.html'>p</a>"});
    m_site.route("/opened.html", {200, "text/html", "<a href='from-popup.html'>x</a>"});
    m_site.route("/types.html", {200, "text/html", "<a href='a.gif'>a</a><a href='b.GIF'>b</a><a href='c.html'>c</a>"
                                                   "<a href='http://bare-host.example'>host</a>"});
    // A page that changes between loads: a, b the first time, then a, c.
    m_site.route("/changing.html", [this](const HttpServer::Request &) {
        return HttpServer::Response{200, "text/html",
                                    ++m_changingHits == 1 ? "<a href='a'>a</a><a href='b'>b</a>" : "<a href='a'>a</a><a href='c'>c</a>"};
    });
}

void TestBrowserUrlBuild::cleanupTestCase()
{
    if (!m_browser)
        return;
    // Both browsers this test started end with it.
    const qint64 desktop = m_browser->desktopProcessId();
    const qint64 harvest = m_browser->harvestProcessId();
    m_browser->closeDesktopBrowser();
    m_browser->shutdown();
    for (const qint64 pid : {desktop, harvest}) {
        if (pid)
            QTRY_VERIFY_WITH_TIMEOUT(!tvtest::processRuns(pid), 10000);
    }
}

void TestBrowserUrlBuild::init()
{
    m_boxes = std::make_unique<tvtest::MessageBoxScript>();
    m_form = std::make_unique<Form1>(m_browser.get());
    m_changingHits = 0;
}

void TestBrowserUrlBuild::cleanup()
{
    if (m_form && m_form->wb2)
        m_form->CancelBuild();
    m_form.reset();
    m_boxes.reset();
    for (const BrowserWindowPtr &w : std::as_const(m_desktopWindows)) {
        try {
            w->quit();
        } catch (const BrowserError &) {
        }
    }
    m_desktopWindows.clear();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TestBrowserUrlBuild::build(const QString &url, bool append)
{
    bool answered = false;
    // Listing the open browser windows may take a while before the dialog shows.
    tvtest::answerUrlDialog(url, append, &answered, {}, LoadBound);
    m_form->mnufURL_Click();
    QVERIFY(answered);
}

void TestBrowserUrlBuild::waitForBuildEnd()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->wb2, LoadBound);
    QVERIFY(m_form->FormEnabled());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(m_form->Status(), idleBanner());
    QCOMPARE(countText(), QStringLiteral("%1 links found").arg(m_form->List1->ListCount()));
}

void TestBrowserUrlBuild::openInDesktop(const QString &url, BrowserWindowPtr &window)
{
    window = m_browser->createWindow();
    m_desktopWindows.append(window);
    window->navigate(url);
    const auto shown = [&window, &url] {
        try {
            return !window->busy() && window->locationUrl() == url && window->isHtmlDocument() &&
                   !window->document()->links.isEmpty();
        } catch (const BrowserError &) {
            return false;
        }
    };
    QTRY_VERIFY_WITH_TIMEOUT(shown(), LoadBound);
}

void TestBrowserUrlBuild::listedLinks_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<bool>("append");
    QTest::addColumn<QStringList>("expected");
    const QStringList kept{"/kept.html", "/two.html"};
    QTest::newRow("A-B-A-with-B-listed") << "/aba.html" << QStringList{"/B"} << true << QStringList{"/B", "/A"};
    // The browser writes the blank as "%20": both links are one entry.
    QTest::newRow("percent20-against-blank") << "/blank.html" << QStringList{} << false
                                             << QStringList{"/x y.html", "/p%2520q.html"};
    QTest::newRow("frames-in-order") << "/frames.html" << QStringList{} << false
                                     << QStringList{"/top.html", "/f0a.html", "/f00a.html", "/f1a.html"};
    QTest::newRow("replace") << "/two.html" << kept << false << QStringList{"/one.html", "/two.html"};
    QTest::newRow("append") << "/two.html" << kept << true << QStringList{"/kept.html", "/two.html", "/one.html"};
    QTest::newRow("replace-after-failure") << "/missing.html" << kept << false << QStringList{};
    QTest::newRow("append-after-failure") << "/missing.html" << kept << true << kept;
}

void TestBrowserUrlBuild::listedLinks()
{
    QFETCH(QString, path);
    QFETCH(QStringList, listed);
    QFETCH(bool, append);
    QFETCH(QStringList, expected);
    m_form->Form_Load();
    for (const QString &p : std::as_const(listed))
        m_form->List1->Append(site(p));
    build(site(path), append);
    waitForBuildEnd();
    QStringList absolute;
    for (const QString &p : std::as_const(expected))
        absolute.append(site(p));
    QCOMPARE(m_form->List1->Items(), absolute);
    QCOMPARE(m_boxes->shown().size(), path == u"/missing.html" ? 1 : 0);
}

void TestBrowserUrlBuild::navigationError_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("errorText");
    QTest::newRow("404") << "/missing.html" << "Object not found. ";
    QTest::newRow("unlisted-418-in-decimal") << "/teapot.html" << "418";
    QTest::newRow("refused") << "closed-port" << "Unable to connect to server.";
    QTest::newRow("not-an-address") << "not an address" << "URL string is not valid.";
    QTest::newRow("unknown-scheme") << "foo://bar" << "Protocol is not recognized.";
}

void TestBrowserUrlBuild::navigationError()
{
    QFETCH(QString, url);
    QFETCH(QString, errorText);
    m_form->Form_Load();
    m_form->List1->Append(site("/kept.html"));
    const QString address = url == u"closed-port"
                                ? QStringLiteral("http://127.0.0.1:%1/x.html").arg(HttpServer::closedPort())
                                : url.startsWith(u'/') ? site(url) : url;
    build(address, true);
    waitForBuildEnd();
    QCOMPARE(m_boxes->shown().size(), 1);
    const MessageBoxRequest box = m_boxes->shown().first();
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.text, Problem + "\r\n\r\nError: " + errorText);
    QCOMPARE(m_form->List1->Items(), QStringList{site("/kept.html")});
}

void TestBrowserUrlBuild::progressWhileLoading()
{
    m_form->Form_Load();
    StatusPanel *panel = m_form->sbStatusBar->Panels("pnlProgress");
    build(site("/with-slow-picture.html"), false);
    // The picture holds the load back: the bar shows meanwhile.
    QTRY_VERIFY_WITH_TIMEOUT(panel->hasPicture(), LoadBound);
    QVERIFY(m_form->Progress() >= 1);
    QVERIFY(m_form->wb2);
    waitForBuildEnd();
    QVERIFY(!panel->hasPicture());
    QCOMPARE(panel->Text(), QStringLiteral("1 links found"));
    QCOMPARE(m_form->List1->Items(), QStringList{site("/x.html")});
}

void TestBrowserUrlBuild::escMidLoad()
{
    m_form->Form_Load();
    m_form->List1->Append(site("/kept.html"));
    build(site("/slow.html"), false);
    QVERIFY(m_form->wb2);
    QVERIFY(!m_form->FormEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(m_site.hits("/slow.html"), 1, LoadBound);
    QTest::keyClick(m_form->List1, Qt::Key_Escape);
    QVERIFY(!m_form->wb2);
    QVERIFY(m_form->FormEnabled());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(m_form->Progress(), 0);
    QCOMPARE(m_form->List1->Items(), QStringList{site("/kept.html")});

    // A build that ends after the stopped page would have answered: the
    // stopped page adds nothing to it.
    m_site.route("/after.html", {200, "text/html", "<a href='after-link.html'>a</a>", 4000});
    build(site("/after.html"), true);
    waitForBuildEnd();
    QCOMPARE(m_form->List1->Items(), QStringList({site("/kept.html"), site("/after-link.html")}));
    QVERIFY(m_boxes->shown().isEmpty());
}

void TestBrowserUrlBuild::drop()
{
    m_form->Form_Load();
    m_form->List1->Append(site("/kept.html"));
    m_form->append = true;
    m_form->List1_OLEDragDrop(site("/two.html"));
    // No dialog, and the window stays usable.
    QVERIFY(m_form->FormEnabled());
    QVERIFY(m_form->wb2);
    waitForBuildEnd();
    QVERIFY(m_form->append);
    QCOMPARE(m_form->List1->Items(), QStringList({site("/kept.html"), site("/one.html"), site("/two.html")}));
    QCOMPARE(m_form->goturl, QString());
}

void TestBrowserUrlBuild::popUpsDoNotOpen()
{
    m_form->Form_Load();
    build(site("/popup.html"), false);
    waitForBuildEnd();
    QCOMPARE(m_form->List1->Items(), QStringList{site("/p.html")});
    QCOMPARE(m_site.hits("/opened.html"), 0);
}

void TestBrowserUrlBuild::pageOpenInDesktopBrowser_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<QStringList>("atOnce");
    QTest::addColumn<QStringList>("afterLoad");
    QTest::newRow("replace") << false << QStringList{"/a", "/b"} << QStringList{"/a", "/c"};
    QTest::newRow("append") << true << QStringList{"/kept.html", "/a", "/b"}
                            << QStringList{"/kept.html", "/a", "/b", "/c"};
}

void TestBrowserUrlBuild::pageOpenInDesktopBrowser()
{
    QFETCH(bool, append);
    QFETCH(QStringList, atOnce);
    QFETCH(QStringList, afterLoad);
    auto absolute = [this](const QStringList &paths) {
        QStringList list;
        for (const QString &p : paths)
            list.append(site(p));
        return list;
    };

    m_form->Form_Load();
    m_form->List1->Append(site("/kept.html"));
    const QString url = site("/changing.html");
    BrowserWindowPtr open;
    openInDesktop(url, open);
    if (QTest::currentTestFailed())
        return;
    build(url, append);
    QCOMPARE(m_form->List1->Items(), absolute(atOnce));
    waitForBuildEnd();
    QCOMPARE(m_form->List1->Items(), absolute(afterLoad));
    QCOMPARE(m_changingHits, 2);
}

void TestBrowserUrlBuild::filtersGifOnly()
{
    m_form->Form_Load();
    m_form->ftypes = QStringList{"gif"};
    m_form->mnuopappfilt->setEnabled(true);
    m_form->mnuopappfilt->setChecked(true);
    build(site("/types.html"), false);
    waitForBuildEnd();
    QCOMPARE(m_form->List1->Items(), QStringList{site("/a.gif")});
}

void TestBrowserUrlBuild::startUpHarvest()
{
    BrowserWindowPtr front;
    openInDesktop(site("/frames.html"), front);
    if (QTest::currentTestFailed())
        return;
    m_form->setWb2(front);
    m_form->Form_Load();
    QCOMPARE(m_form->List1->Items(),
             QStringList({site("/top.html"), site("/f0a.html"), site("/f00a.html"), site("/f1a.html")}));
    QCOMPARE(countText(), QStringLiteral("4 links found"));
    QVERIFY(!m_form->wb2);
}

void TestBrowserUrlBuild::handOverHarvest()
{
    m_form->Form_Load();
    m_form->List1->Append(site("/kept.html"));
    BrowserWindowPtr open;
    openInDesktop(site("/two.html"), open);
    if (QTest::currentTestFailed())
        return;
    m_form->receiveHandOver(site("/two.html"));
    QTRY_COMPARE_WITH_TIMEOUT(m_form->List1->Items(), QStringList({site("/one.html"), site("/two.html")}), LoadBound);
    QVERIFY(!m_form->Timer3->isActive());
    QVERIFY(m_boxes->shown().isEmpty());
}

TV_TEST_MAIN(TestBrowserUrlBuild)
#include "tst_browser_urlbuild.moc"
