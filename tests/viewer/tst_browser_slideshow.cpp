// The viewer rule and the slideshow in a real (headless) Chromium against
// pages of our own server. Times are those at which the server saw each
// page asked for; their bounds are generous, the order is not.
#include "platform/cdpcomponent.h"
#include "settings/settingsstore.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"
#include "viewer/slideshow.h"
#include "viewer/viewerwindow.h"

#include <QElapsedTimer>
#include <QTimer>

#include <deque>

using namespace tv;
using tvtest::HttpServer;
using State = Slideshow::State;

namespace {

constexpr int LoadBound = 20000;

// The main window as the slideshow sees it, around a real viewer window.
class Host final : public QObject, public SlideshowHost
{
public:
    explicit Host(BrowserComponent &browser) : m_browser(browser) {}

    BrowserComponent &m_browser;
    Slideshow *show = nullptr;
    BrowserWindowPtr held;
    bool newwin = false, shown = true, hearQuit = true;
    int created = 0, dropped = 0, completions = 0, counts = 0;
    bool pressed = false;
    QString status;
    Pointer pointer = Pointer::Default;
    QStringList all, selected, warnings;
    std::deque<std::optional<SlideshowOptions>> answers; // none left: Cancel
    QList<SlideshowOptions> offered;
    std::function<bool()> resume = [] { return false; };

    ViewerHooks hooks()
    {
        return {[this](const BrowserWindowPtr &w, bool c) {
                    held = w;
                    created += c;
                    connect(w.get(), &BrowserWindow::DocumentComplete, this, [this, w = w.get()](const QString &p) {
                        if (p == w->name() && w == held.get()) {
                            ++completions;
                            show->documentComplete();
                        }
                    });
                    connect(w.get(), &BrowserWindow::OnQuit, this, [this, w = w.get()] {
                        if (hearQuit && w == held.get()) {
                            held.reset();
                            show->viewerQuit();
                        }
                    });
                },
                [this] {
                    held.reset();
                    ++dropped;
                }};
    }
    BrowserWindowPtr ready() { return held = readyViewer(m_browser, held, newwin, {shown, true}, hooks()); }

    QStringList links(bool justSelected) const override { return justSelected ? selected : all; }
    bool openLink(const QString &url) override
    {
        try {
            ready()->navigate(url);
            return true;
        } catch (const BrowserError &) {
            warnings << QStringLiteral("cannot open");
            return false;
        }
    }
    BrowserWindowPtr viewer() const override { return held; }
    bool viewerShown() const override { return shown; }
    void dropViewer() override { hooks().dropped(); }
    void setButtonPressed(bool p) override { pressed = p; }
    void setStatus(const QString &text) override { status = text; }
    void setPointer(Pointer p) override { pointer = p; }
    void showCount() override { ++counts; }
    std::optional<SlideshowOptions> askOptions(const SlideshowOptions &stored) override
    {
        offered << stored;
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    bool askResume() override { return resume(); }
    void warn(const QString &title, const QString &) override { warnings << title; }
};

SlideshowOptions options(int seconds, bool fromLoadComplete, bool justSelected = false)
{
    return {seconds, justSelected, fromLoadComplete};
}

} // namespace

class TestBrowserSlideshow : public QObject
{
    Q_OBJECT

    std::unique_ptr<CdpBrowserComponent> m_browser;
    HttpServer m_site;
    QElapsedTimer m_clock;
    QHash<QString, QList<qint64>> m_asked; // path -> times the server saw it asked for
    CRegSettings m_settings = CRegSettings::program();
    std::unique_ptr<Host> m_host;
    std::unique_ptr<QTimer> m_timer2;
    std::unique_ptr<Slideshow> m_show;
    std::function<void(const QString &path)> m_onAsked; // runs once the server has answered

    QString page(const QString &name) const { return m_site.url(QLatin1Char('/') + name); }
    qint64 askedAt(const QString &name, int i = 0) const { return m_asked.value(QLatin1Char('/') + name).value(i, -1); }
    QStringList pages(std::initializer_list<const char *> names) const
    {
        QStringList out;
        for (const char *n : names)
            out << page(QLatin1String(n));
        return out;
    }

    // Closes every desktop window, so the next row starts from none.
    void closeAll()
    {
        m_host->held.reset();
        for (const BrowserWindowPtr &w : m_browser->shellWindows())
            w->quit();
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->shellWindows().isEmpty(), LoadBound);
    }
    BrowserWindowPtr openWindow(const QString &url)
    {
        BrowserWindowPtr w = m_browser->createWindow();
        w->navigate(url);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!w->busy() && w->locationUrl() == url, LoadBound); }();
        return w;
    }
    // Starts a run with the given options answered in the dialog.
    void start(const SlideshowOptions &chosen)
    {
        m_host->answers = {chosen};
        m_host->pressed = true; // the click presses the button
        m_show->buttonClicked(true);
    }

private slots:
    void initTestCase()
    {
        QString whyNot;
        m_browser = tvtest::startHeadlessDesktop(&whyNot);
        if (!m_browser)
            QSKIP(qPrintable(whyNot));
        QVERIFY(m_site.listen());
        m_clock.start();
        const auto record = [this](QByteArray body, int delayMs = 0) {
            return [this, body, delayMs](const HttpServer::Request &r) {
                m_asked[r.path] << m_clock.elapsed();
                if (m_onAsked)
                    QTimer::singleShot(0, this, [this, path = r.path] { m_onAsked(path); });
                return HttpServer::Response{200, "text/html", body, delayMs};
            };
        };
        for (const char *name : {"a", "b", "c", "d"})
            m_site.route(QStringLiteral("/%1").arg(QLatin1String(name)), record(QByteArray("<title>") + name + "</title>"));
        m_site.route(QStringLiteral("/slow"), record("slow", 1500));
        m_site.route(QStringLiteral("/stuck"), record("stuck", 15000));
        m_site.route(QStringLiteral("/text"), {200, "text/plain", "not a page"});
    }

    void cleanupTestCase()
    {
        m_show.reset();
        m_host.reset();
        if (m_browser)
            QVERIFY(tvtest::endBrowsers(*m_browser));
    }

    void init()
    {
        m_asked.clear();
        m_settings.DeleteSetting(QStringLiteral("slideshow"));
        m_host = std::make_unique<Host>(*m_browser);
        m_timer2 = std::make_unique<QTimer>();
        m_show = std::make_unique<Slideshow>(*m_host, m_settings, m_timer2.get());
        m_host->show = m_show.get();
    }
    void cleanup()
    {
        m_onAsked = {};
        m_show.reset();
        m_timer2.reset();
    }

    void adoptionRule_data()
    {
        QTest::addColumn<QStringList>("open"); // pages open before the first link
        QTest::addColumn<bool>("newwin");
        QTest::addColumn<int>("adopted");      // index into `open`, -1: a new window
        QTest::newRow("page-and-text-window") << QStringList{"a", "text"} << false << 0;
        QTest::newRow("two-pages-last-adopted") << QStringList{"a", "b"} << false << 1;
        QTest::newRow("no-page-creates") << QStringList{"text"} << false << -1;
        QTest::newRow("newwin-creates") << QStringList{"a"} << true << -1;
    }
    void adoptionRule()
    {
        QFETCH(QStringList, open);
        QFETCH(bool, newwin);
        QFETCH(int, adopted);
        closeAll();
        QList<BrowserWindowPtr> before;
        for (const QString &name : open)
            before << openWindow(page(name));
        m_host->newwin = newwin;
        QVERIFY(m_host->openLink(page("c")));
        QCOMPARE(m_host->created, adopted < 0 ? 1 : 0);
        if (adopted >= 0)
            QCOMPARE(m_host->held->hwnd(), before[adopted]->hwnd());
        QTRY_COMPARE_WITH_TIMEOUT(m_host->held->locationUrl(), page("c"), LoadBound);
        // Later opens reuse the viewer while it lives.
        const QString viewer = m_host->held->hwnd();
        QVERIFY(m_host->openLink(page("d")));
        QCOMPARE(m_host->held->hwnd(), viewer);
        QCOMPARE(m_host->created, adopted < 0 ? 1 : 0);
    }

    void hiddenViewerStillLoads()
    {
        m_host->shown = false;
        QVERIFY(m_host->openLink(page("b")));
        QTRY_COMPARE_WITH_TIMEOUT(m_host->completions, 1, LoadBound);
        QVERIFY(!m_host->held->visible());
        QCOMPARE(m_host->held->locationUrl(), page("b"));
    }

    void vanishedViewerIsReplacedQuietly()
    {
        m_host->hearQuit = false; // its quit event never reaches the host
        QVERIFY(m_host->openLink(page("a")));
        m_host->held->quit();
        QTRY_VERIFY_WITH_TIMEOUT(!m_browser->shellWindows().contains(m_host->held), LoadBound);
        const QString gone = m_host->held->hwnd();
        QVERIFY(m_host->openLink(page("b")));
        QCOMPARE(m_host->dropped, 1);
        QVERIFY(m_host->held->hwnd() != gone);
        QVERIFY(m_host->warnings.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_host->held->locationUrl(), page("b"), LoadBound);
    }

    void countingModes_data()
    {
        QTest::addColumn<QStringList>("run");
        QTest::addColumn<bool>("fromLoadComplete");
        QTest::addColumn<QList<int>>("minGaps"); // ms between the pages being asked for
        QTest::addColumn<QList<int>>("maxGaps");
        QTest::newRow("from-load-start") << pages({"a", "b", "c"}) << false << QList<int>{900, 900} << QList<int>{3000, 3000};
        // Each interval starts when its page is complete: 1.5 s for the slow one.
        QTest::newRow("from-load-complete") << pages({"slow", "a", "b"}) << true << QList<int>{2400, 900}
                                            << QList<int>{5000, 3000};
        // A page that stays busy holds the next one back by at most one interval.
        QTest::newRow("busy-wait-is-bounded") << pages({"stuck", "a"}) << false << QList<int>{1900} << QList<int>{4500};
    }
    void countingModes()
    {
        QFETCH(QStringList, run);
        QFETCH(bool, fromLoadComplete);
        QFETCH(QList<int>, minGaps);
        QFETCH(QList<int>, maxGaps);
        m_host->all = run;
        start(options(1, fromLoadComplete));
        QCOMPARE(m_show->state(), fromLoadComplete ? State::Loading : State::Counting);
        QCOMPARE(m_host->status, Slideshow::inProgressText());
        QCOMPARE(m_host->pointer, SlideshowHost::Pointer::ArrowHourglass);
        QCOMPARE(m_timer2->interval(), 1000);
        // The run ends once its last page has loaded.
        QTRY_COMPARE_WITH_TIMEOUT(m_show->state(), State::Idle, LoadBound);
        QVERIFY(!m_host->pressed);
        QVERIFY(!m_timer2->isActive());
        QCOMPARE(m_host->pointer, SlideshowHost::Pointer::Default);
        QCOMPARE(m_host->held->locationUrl(), run.last());
        for (int i = 0; i < minGaps.size(); ++i) {
            const QString from = run[i].section(QLatin1Char('/'), -1), to = run[i + 1].section(QLatin1Char('/'), -1);
            const qint64 gap = askedAt(to) - askedAt(from);
            QVERIFY2(gap >= minGaps[i] && gap <= maxGaps[i], qPrintable(QStringLiteral("%1 -> %2: %3 ms").arg(from, to).arg(gap)));
        }
        QCOMPARE(m_settings.GetSetting(QStringLiteral("slideshow"), QStringLiteral("Wait")), fromLoadComplete ? "1" : "0");
    }

    void pauseThenResumeOrStop_data()
    {
        QTest::addColumn<bool>("resume");
        QTest::newRow("resume-restarts-a-full-interval") << true;
        QTest::newRow("stop-leaves-the-link-shown") << false;
    }
    void pauseThenResumeOrStop()
    {
        QFETCH(bool, resume);
        m_host->all = pages({"a", "b"});
        start(options(1, true));
        QTRY_COMPARE_WITH_TIMEOUT(m_show->state(), State::Counting, LoadBound); // "a" is complete
        qint64 resumedAt = 0;
        m_host->resume = [&] {
            [&] {
                QCOMPARE(m_host->status, QStringLiteral("Slideshow paused."));
                QVERIFY(!m_timer2->isActive());
            }();
            QTest::qWait(400); // the user thinks it over
            resumedAt = m_clock.elapsed();
            return resume;
        };
        m_host->pressed = false;
        m_show->buttonClicked(false);
        QVERIFY(m_show->ssPaused == resume ? false : true);
        QCOMPARE(m_host->pressed, resume);
        if (resume) {
            QCOMPARE(m_host->status, Slideshow::inProgressText());
            QTRY_COMPARE_WITH_TIMEOUT(m_show->state(), State::Idle, LoadBound);
            QVERIFY2(askedAt("b") - resumedAt >= 950, qPrintable(QString::number(askedAt("b") - resumedAt)));
            return;
        }
        QCOMPARE(m_show->state(), State::Idle);
        QVERIFY(m_show->ssStopped && !m_timer2->isActive());
        QCOMPARE(m_host->status, QString());
        QCOMPARE(m_host->counts, 1);
        QCOMPARE(m_host->held->locationUrl(), page("a"));
        // Starting again offers the options last confirmed.
        start(options(2, false));
        QCOMPARE(m_host->offered.last(), options(1, true));
        m_show->stopByOtherButton();
        QCOMPARE(m_show->state(), State::Idle);
        QCOMPARE(m_host->counts, 2);
    }

    void optionsAnswers_data()
    {
        QTest::addColumn<int>("answers"); // Start with "Just selected", nothing selected, this many times
        QTest::addColumn<bool>("thenAll");
        QTest::newRow("cancel") << 0 << false;
        QTest::newRow("nothing-selected-then-cancel") << 1 << false;
        QTest::newRow("nothing-selected-then-all") << 2 << true;
    }
    void optionsAnswers()
    {
        QFETCH(int, answers);
        QFETCH(bool, thenAll);
        m_host->all = pages({"a"});
        m_host->answers.assign(answers, options(3, true, true));
        if (thenAll)
            m_host->answers.push_back(options(3, true));
        m_host->pressed = true;
        m_show->buttonClicked(true);
        QCOMPARE(m_host->offered.size(), answers + (thenAll ? 1 : 1));
        QCOMPARE(m_host->warnings, QStringList(answers, QStringLiteral("Oops!")));
        QCOMPARE(m_host->pressed, thenAll);
        QCOMPARE(m_show->state(), thenAll ? State::Loading : State::Idle);
        QCOMPARE(m_settings.GetSetting(QStringLiteral("slideshow"), QStringLiteral("Interval"), QStringLiteral("none")),
                 answers ? "3" : "none");
        if (!thenAll)
            QCOMPARE(m_host->status, QString());
        else
            QTRY_COMPARE_WITH_TIMEOUT(m_show->state(), State::Idle, LoadBound);
    }

    void viewerClosedDuringRun_data()
    {
        QTest::addColumn<bool>("hearQuit");
        QTest::newRow("closed-by-the-user") << true;
        QTest::newRow("gone-without-its-quit-event") << false;
    }
    void viewerClosedDuringRun()
    {
        QFETCH(bool, hearQuit);
        m_host->hearQuit = hearQuit;
        m_host->all = pages({"a", "b", "c"});
        // Closed as "b" arrives, while the window commits its load.
        m_onAsked = [this](const QString &path) {
            if (path == QLatin1String("/b"))
                m_host->held->quit();
        };
        start(options(1, false));
        QTRY_COMPARE_WITH_TIMEOUT(m_show->state(), State::Idle, LoadBound);
        QVERIFY(!m_host->pressed && !m_timer2->isActive());
        QVERIFY(!m_host->held);
        QCOMPARE(m_host->dropped, hearQuit ? 0 : 1);
        QVERIFY(m_host->warnings.isEmpty());
        QCOMPARE(askedAt("c"), -1);
    }
};

TV_TEST_MAIN(TestBrowserSlideshow)
#include "tst_browser_slideshow.moc"
