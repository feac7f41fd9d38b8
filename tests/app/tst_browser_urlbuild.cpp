// Building lists end to end in a real (headless) Chromium from pages of our
// own server: a framed page and its link texts, a failed load, Esc, and the page in front at
// start-up.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdpcomponent.h"
#include "platform/commoncontrols.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"
#include "support/mainwindowfixture.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <csignal>

using namespace tv;

namespace {

constexpr int LoadBound = 30000;

} // namespace

class TestBrowserUrlBuild : public QObject
{
    Q_OBJECT

    std::unique_ptr<CdpBrowserComponent> m_browser;
    tvtest::HttpServer m_site;
    std::unique_ptr<tvtest::MessageBoxScript> m_boxes;
    std::unique_ptr<Form1> m_form;

    QString site(const QString &path) const { return m_site.url(path); }
    QStringList sites(const QStringList &paths) const
    {
        QStringList out;
        for (const QString &p : paths)
            out << site(p);
        return out;
    }
    QStringList listed() const { return tvtest::list1(*m_form).Items(); }

    // Builds from the page at `path`; `wait` for the build to end.
    void build(const char *path, bool append, bool wait = true)
    {
        bool answered = false;
        // Listing the open browser windows may take a while before the dialog shows.
        tvtest::answerUrlDialog(site(QLatin1String(path)), append, &answered, {}, LoadBound);
        tvtest::trigger(*m_form, "mnufURL");
        QVERIFY(answered);
        if (wait)
            waitForBuildEnd();
    }
    void waitForBuildEnd()
    {
        QTRY_VERIFY_WITH_TIMEOUT(tvtest::formEnabled(*m_form), LoadBound);
        QVERIFY(!QApplication::overrideCursor() && tvtest::panel(*m_form, "pnlStatus") == idleBanner());
    }
    // Starts a build from the slow page over a list holding one link, once the page is asked for.
    void startSlowBuild(bool append)
    {
        m_form->Form_Load();
        tvtest::list1(*m_form).Append(site("/kept.html"));
        const int hits = m_site.hits("/slow.html");
        build("/slow.html", append, false);
        QVERIFY(!tvtest::formEnabled(*m_form));
        QTRY_COMPARE_WITH_TIMEOUT(m_site.hits("/slow.html"), hits + 1, LoadBound);
    }

private slots:
    void initTestCase()
    {
        // The desktop browser runs headless too.
        m_browser = std::make_unique<CdpBrowserComponent>(BrowserChoice::find({}, {}, true));
        if (const QString why = tvtest::harvestStartFailure(*m_browser); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_site.listen());
        m_site.route("/frames.html", {200, "text/html", "<a href='top.html'>t</a><iframe src='f0.html'></iframe>"
                                                        "<iframe src='f1.html'></iframe>"});
        m_site.route("/f0.html", {200, "text/html", "<a href='f0a.html'>a</a><iframe src='f00.html'></iframe>"});
        m_site.route("/f00.html", {200, "text/html", "<a href='f00a.html'>a</a><a href='top.html'>t</a>"});
        m_site.route("/f1.html", {200, "text/html", "<a href='f1a.html'>a</a>"});
        m_site.route("/slow.html", {200, "text/html", "<a href='late.html'>late</a>", 3000});
        m_site.route("/after.html", {200, "text/html", "<a href='after-link.html'>a</a>", 4000});
    }

    void cleanupTestCase()
    {
        // Both browsers this test started end with it.
        if (m_browser)
            m_browser->closeDesktopBrowser();
        m_browser.reset();
    }

    void init()
    {
        m_boxes = std::make_unique<tvtest::MessageBoxScript>();
        m_form = std::make_unique<Form1>(m_browser.get());
    }

    void cleanup()
    {
        if (m_form)
            QTest::keyClick(m_form.get(), Qt::Key_Escape);
        m_form.reset();
        m_boxes.reset();
    }

    void harvestBrowserStartsOnDemandAndEndsWhenIdle()
    {
        CdpBrowserComponent browser(BrowserChoice::find({}, {}, true));
        browser.setHarvestIdleLimit(1500);
        Form1 form(&browser);
        form.Form_Load();
        QCOMPARE(browser.harvestProcessId(), 0); // not with the program
        // Up as soon as the dialog opens, before any build asks for it.
        qint64 atDialog = 0;
        tvtest::whenModal([&](QWidget *) { atDialog = browser.harvestProcessId(); }, LoadBound);
        tvtest::trigger(form, "mnufURL");
        QVERIFY(atDialog > 0);
        // Each build after an idle stop starts it again; each ends, processes and all.
        qint64 previous = 0;
        for (int round = 0; round < 2; ++round) {
            bool answered = false;
            tvtest::answerUrlDialog(site("/f1.html"), false, &answered, {}, LoadBound);
            tvtest::trigger(form, "mnufURL");
            QTRY_VERIFY_WITH_TIMEOUT(answered && tvtest::formEnabled(form) && tvtest::list1(form).ListCount() == 1, LoadBound);
            const qint64 pid = browser.harvestProcessId();
            QVERIFY(pid > 0 && pid != previous && !tvtest::processGroup(pid).isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(browser.harvestProcessId() == 0 && tvtest::processGroup(pid).isEmpty(), LoadBound);
            previous = pid;
        }
        QVERIFY(m_boxes->shown().isEmpty());
    }

    void framedPageThenAFailedLoad()
    {
        m_form->Form_Load();
        build("/frames.html", false);
        const QStringList framed = sites({"/top.html", "/f0a.html", "/f00a.html", "/f1a.html"});
        QVERIFY(listed() == framed && m_boxes->shown().isEmpty());
        // Each keeps its text, the first for an address named twice, shown as its tooltip.
        QCOMPARE(tvtest::list1(*m_form).Texts(), QStringList({"t", "a", "a", "a"}));
        QCOMPARE(tvtest::list1(*m_form).model()->index(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("t"));
        // A page that is not there ends with the error; appending keeps the list.
        build("/missing.html", true);
        QVERIFY(m_boxes->shown().size() == 1 && m_boxes->shown().first().text.endsWith(QStringLiteral("Error: Object not found. ")));
        QCOMPARE(listed(), framed);
    }

    void escMidLoad()
    {
        startSlowBuild(false);
        QTest::keyClick(&tvtest::list1(*m_form), Qt::Key_Escape);
        waitForBuildEnd();
        QCOMPARE(listed(), sites({"/kept.html"}));
        // A build that ends after the stopped page would have answered: the
        // stopped page adds nothing to it.
        build("/after.html", true);
        QVERIFY(listed() == sites({"/kept.html", "/after-link.html"}) && m_boxes->shown().isEmpty());
    }

    void killedHarvestBrowserEndsTheBuildAtOnce()
    {
        startSlowBuild(true);
        const qint64 pid = m_browser->harvestProcessId();
        const QString profile = m_browser->harvestBrowser()->profileDir();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QTRY_VERIFY_WITH_TIMEOUT(tvtest::formEnabled(*m_form), 5000); // not the 120 s the stall bound would take
        qInfo("the build ended %lld ms after its browser was killed", qint64(clock.elapsed()));
        waitForBuildEnd();
        QVERIFY(m_boxes->shown().size() == 1 && m_boxes->shown().first().text == "Tallyvane encountered a problem building a list from this url.");
        QCOMPARE(listed(), sites({"/kept.html"}));
        QTRY_VERIFY(!QFileInfo::exists(profile)); // its throwaway profile goes with it
        // The next build starts a fresh browser.
        build("/frames.html", true);
        QVERIFY(m_browser->harvestProcessId() != pid && listed().size() == 5);
    }

    void pageInFrontAtStartUp()
    {
        BrowserWindowPtr front = m_browser->createWindow();
        front->navigate(site("/frames.html"));
        const auto shown = [&] {
            try {
                return !front->busy() && front->isHtmlDocument() && front->document()->links.size() == 1;
            } catch (const BrowserError &) {
                return false;
            }
        };
        QTRY_VERIFY_WITH_TIMEOUT(shown(), LoadBound);
        m_form->Form_Load(front);
        QVERIFY(listed() == sites({"/top.html", "/f0a.html", "/f00a.html", "/f1a.html"}));
        front->quit();
    }
};

TV_TEST_MAIN(TestBrowserUrlBuild)
#include "tst_browser_urlbuild.moc"
