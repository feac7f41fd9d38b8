// The slideshow's rules over a scripted viewer and a clock the test moves on:
// the interval from load start or completion, the bounded wait on a busy
// page, pause, the end of the list, links refused or failing, the viewer closed.
#include "settings/settingsstore.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"
#include "viewer/slideshow.h"

using namespace tv;

namespace {

// Time moves only when the test says so; a wait on a busy page takes its bound.
class FakeClock final : public SlideshowClock
{
public:
    qint64 now = 0;
    std::function<void()> afterTick;

    void setInterval(int ms) override { m_interval = ms; }
    int interval() const override { return m_interval; }
    void start() override { m_due = now + m_interval, m_active = true; }
    void stop() override { m_active = false; }
    void setTickHandler(std::function<void()> tick) override { m_tick = std::move(tick); }
    void waitUntil(const std::function<bool()> &done, int boundMs) override
    {
        if (!done())
            now += boundMs;
    }
    void advance(int ms)
    {
        const qint64 end = now + ms;
        while (m_active && m_due <= end) {
            now = m_due;
            m_due = now + m_interval;
            m_tick();
            afterTick();
        }
        now = std::max(now, end);
    }

private:
    int m_interval = 0;
    qint64 m_due = 0;
    bool m_active = false;
    std::function<void()> m_tick;
};

// The window around the slideshow; what it sees goes into `trace` as "ms what".
struct Rig final : SlideshowHost
{
    tvtest::FakeBrowserComponent browser;
    std::shared_ptr<tvtest::FakeBrowserWindow> window;
    FakeClock clock;
    CRegSettings settings = CRegSettings::program();
    Slideshow show{*this, settings, clock};
    QStringList all, trace;
    SlideshowOptions options;
    int answers = 1000;         // option dialogs answered before one is cancelled
    bool resume = true;
    bool openFails = false;
    bool pressed = false;
    QString status;
    qsizetype seen = 0;

    Rig() { clock.afterTick = [this] { noteNavigations(); }; }
    void note(const QString &what) { trace << QString::number(clock.now) + u' ' + what; }
    void noteNavigations()
    {
        for (; window && seen < window->navigations.size(); ++seen)
            note(window->navigations.at(seen));
    }
    // One step of a script: "+ms", "click" (the button), "load" (the page
    // is complete), "quit" (closed by the user), "gone" (without its event).
    void step(const QString &s)
    {
        if (s.startsWith(u'+')) {
            clock.advance(s.mid(1).toInt());
        } else if (s == u"click") {
            pressed = !pressed;
            show.buttonClicked(pressed);
        } else if (s == u"load") {
            window->m_busy = false;
            show.documentComplete();
        } else if (s == u"quit") {
            show.viewerQuit();
            window.reset();
        } else if (s == u"gone") {
            window->broken = true;
        }
    }

    QStringList links(bool justSelected) const override { return justSelected ? QStringList() : all; }
    bool openLink(const QString &url) override
    {
        if (openFails)
            return false;
        if (!window)
            window = std::static_pointer_cast<tvtest::FakeBrowserWindow>(browser.createWindow()), seen = 0;
        window->navigate(url);
        noteNavigations();
        return true;
    }
    BrowserWindowPtr viewer() const override { return window; }
    bool viewerShown() const override { return true; }
    void dropViewer() override { note(QStringLiteral("dropped")), window.reset(); }
    void setButtonPressed(bool on) override
    {
        if (pressed && !on)
            note(QStringLiteral("released"));
        pressed = on;
    }
    void setStatus(const QString &text) override { status = text; }
    void setPointer(Pointer) override {}
    void showCount() override { note(QStringLiteral("count")); }
    std::optional<SlideshowOptions> askOptions(const SlideshowOptions &) override
    {
        return answers-- > 0 ? std::optional(options) : std::nullopt;
    }
    bool askResume() override
    {
        note(status);
        clock.advance(400); // the user thinks it over
        return resume;
    }
    void warn(const QString &title, const QString &) override { note(title); }
};

} // namespace

class TestSlideshow : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("fromLoadComplete");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("trace");
        const QStringList abc{"http://a/", "http://b/", "http://c/"};
        // The last link was opened one interval ago: the run ends.
        QTest::newRow("from-load-start") << 1 << false << abc << "click +300 load +699 +1 +500 load +500 +300 load"
                                         << "0 http://a/|1000 http://b/|2000 http://c/|2300 released";
        QTest::newRow("last-never-complete-ends-at-the-tick") << 1 << false << abc.mid(0, 2) << "click load +1000 +1000"
                                                              << "0 http://a/|1000 http://b/|2000 released";
        QTest::newRow("from-load-complete") << 1 << true << abc << "click +1500 load +1000 +300 load +1000 +200 load +5000"
                                            << "0 http://a/|2500 http://b/|3800 http://c/|4000 released";
        // A page still loading holds the next one back by one interval, and never more than 10 s.
        QTest::newRow("busy-wait-one-interval") << 1 << false << abc.mid(0, 2) << "click +1000"
                                                << "0 http://a/|2000 http://b/";
        QTest::newRow("busy-wait-at-most-10-s") << 30 << false << abc.mid(0, 2) << "click +30000"
                                                << "0 http://a/|40000 http://b/";
        // Resuming waits a full interval from the answer; stopping leaves the link shown.
        QTest::newRow("pause-resume") << 1 << true << abc << "click load +600 click +999 +1"
                                      << "0 http://a/|600 Slideshow paused.|2000 http://b/";
        QTest::newRow("pause-stop") << 1 << true << abc << "click load +600 resume=0 click +5000"
                                    << "0 http://a/|600 Slideshow paused.|1000 count";
        QTest::newRow("non-web-link-stops") << 1 << false << QStringList{"http://a/", "mailto:x@y", "http://c/"}
                                            << "click load +1000 +5000" << "0 http://a/|1000 released|1000 count|1000 Slideshow";
        QTest::newRow("empty-first-link-opens-nothing") << 1 << false << QStringList{"", "http://a/"} << "click +5000" << "";
        QTest::newRow("link-that-cannot-open") << 1 << false << abc << "open=0 click +5000" << "0 released|0 count";
        QTest::newRow("viewer-closed") << 1 << false << abc << "click load +300 quit +5000" << "0 http://a/|300 released|300 count";
        QTest::newRow("viewer-gone-without-its-event") << 1 << false << abc << "click load +300 gone +5000"
                                                       << "0 http://a/|1000 dropped|1000 released|1000 count";
        QTest::newRow("no-links-selected-asks-again") << 1 << false << QStringList() << "selected answers=1 click"
                                                      << "0 Oops!|0 released";
    }
    void rules()
    {
        QFETCH(int, seconds);
        QFETCH(bool, fromLoadComplete);
        QFETCH(QStringList, links);
        QFETCH(QString, script);
        QFETCH(QString, trace);
        Rig rig;
        rig.all = links;
        rig.options = {seconds, false, fromLoadComplete};
        for (const QString &s : script.split(u' ')) {
            if (s == u"resume=0")
                rig.resume = false;
            else if (s == u"open=0")
                rig.openFails = true;
            else if (s == u"selected")
                rig.options.justSelected = true;
            else if (s.startsWith(u"answers="))
                rig.answers = s.mid(8).toInt();
            else
                rig.step(s);
            if (s == u"click" && rig.pressed)
                QCOMPARE(rig.status, Slideshow::inProgressText());
        }
        QCOMPARE(rig.trace.join(u'|'), trace);
        // The button is pressed exactly while a run is on.
        QCOMPARE(rig.pressed, rig.show.running());
    }
};

TV_TEST_MAIN(TestSlideshow)
#include "tst_slideshow.moc"
