// Building a list from a page of 30,000 links: from "Build" to the count
// text, with an empty list and with 20,000 entries listed (append on), in a
// real headless Chromium against a page of our own server and with a
// scripted browser (the program's own share); the page's own load for
// comparison; and what scanning the list for every address would have cost.
#include "app/mainwindow.h"
#include "app/linklist.h"
#include "builders/linkharvest.h"
#include "support/mainwindowfixture.h"
#include "platform/cdp/cdpcomponent.h"
#include "platform/commoncontrols.h"
#include "platform/messagebox.h"
#include "support/mainwindowfixture.h"
#include "support/httpserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "benchmain.h"

namespace {

constexpr int PageLinks = 30000;

QString pagePath(int i)
{
    return QStringLiteral("/gallery/section-%1/picture%20%2.jpg").arg(i % 97).arg(i);
}

QString pageLink(int i, const QString &root = QStringLiteral("http://127.0.0.1:8080"))
{
    return root + pagePath(i);
}

// Entries already listed: half of them are on the page too (in their
// listed form), half are not.
QStringList listedEntries(int count, const QString &root = QStringLiteral("http://127.0.0.1:8080"))
{
    QStringList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append(i % 2 == 0 ? tv::LinkHarvest::listedForm(pageLink(i, root))
                                  : QStringLiteral("http://elsewhere.test/%1").arg(i));
    return entries;
}

// Answers the "List Full" notice while it lives, and counts it.
class NoticeCounter
{
public:
    NoticeCounter()
    {
        m_previous = tv::setMessageBoxHandler([this](const tv::MessageBoxRequest &) {
            ++count;
            return tv::MsgResult::Ok;
        });
    }
    ~NoticeCounter() { tv::setMessageBoxHandler(m_previous); }
    int count = 0;

private:
    tv::MessageBoxHandler m_previous;
};

bool countShown(tv::Form1 &form)
{
    return tvtest::panel(form, "pnlProgress") ==
           QStringLiteral("%1 links found").arg(tvtest::list1(form).ListCount());
}

// One timed build per iteration: the list refilled with `entries`, "Build"
// pressed (the clock starts), then `finish` until the count text is shown.
void timeBuilds(benchmark::State &state, tv::BrowserComponent *browser, const QString &url, const QStringList &entries,
                const std::function<bool(tv::Form1 &)> &finish)
{
    // The page does not fit beside 20,000 entries: the "List Full" notice is answered at once.
    NoticeCounter notices;
    tv::Form1 form(browser);
    tvtest::part<QTimer>(form, "Timer1").stop();
    form.show();
    for (auto _ : state) {
        tvtest::list1(form).Clear();
        tvtest::list1(form).AppendMany(entries);
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        tvtest::answerUrlDialog(url, !entries.isEmpty(), nullptr, [&clock] { clock.start(); }, 30000);
        tvtest::part(form, "mnufURL").trigger();
        if (!finish(form) || !countShown(form))
            state.SkipWithError("the build did not end with the count text");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["entries"] = tvtest::list1(form).ListCount();
    state.counters["notices"] = benchmark::Counter(notices.count, benchmark::Counter::kAvgIterations);
}

tv::HtmlDocumentPtr pageDocument()
{
    QStringList links;
    links.reserve(PageLinks);
    for (int i = 0; i < PageLinks; ++i)
        links.append(pageLink(i));
    return tvtest::makeDocument(QStringLiteral("http://127.0.0.1:8080/gallery/"), links);
}

// The whole command with the dialog answered: the clock starts at "Build"
// and stops when the count text is shown. The page's own load is not in it:
// the fake browser has the document ready at once.
void BM_BuildFromUrl(benchmark::State &state)
{
    const QStringList entries = listedEntries(int(state.range(0)));
    const tv::HtmlDocumentPtr doc = pageDocument();
    tvtest::FakeBrowserComponent browser;
    timeBuilds(state, &browser, doc->url, entries, [&](tv::Form1 &) {
        auto page = browser.harvests.last().lock();
        page->doc = doc;
        page->fireDocumentComplete();
        QCoreApplication::processEvents();
        return true;
    });
}
BENCHMARK(BM_BuildFromUrl)->Arg(0)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Our own server with the 30,000-link page, and the browser component.
struct ChromiumSite
{
    tvtest::HttpServer site;
    std::unique_ptr<tv::CdpBrowserComponent> browser = std::make_unique<tv::CdpBrowserComponent>(tv::BrowserChoice::find());
    QString root;
    QString pageUrl;
    QString failure;

    ChromiumSite()
    {
        if (!site.listen()) {
            failure = QStringLiteral("no port for the test server");
            return;
        }
        QByteArray page = "<html><body>\n";
        page.reserve(PageLinks * 80);
        for (int i = 0; i < PageLinks; ++i)
            page += "<a href=\"" + pagePath(i).toUtf8() + "\">" + QByteArray::number(i) + "</a><br>\n";
        page += "</body></html>\n";
        site.route(QStringLiteral("/gallery/"), {200, "text/html", page});
        root = site.url(QString());
        pageUrl = site.url(QStringLiteral("/gallery/"));
        try {
            browser->createHarvestWindow();
        } catch (const tv::BrowserError &e) {
            failure = QString::fromUtf8(e.what());
        }
    }
    ~ChromiumSite() { browser->shutdown(); }
};

std::unique_ptr<ChromiumSite> chromiumSite;

ChromiumSite &chromium()
{
    if (!chromiumSite) {
        chromiumSite = std::make_unique<ChromiumSite>();
        // Closed while the application still runs its event loop machinery.
        qAddPostRoutine([] { chromiumSite.reset(); });
    }
    return *chromiumSite;
}

// Runs events until `done` holds or the bound passes.
bool waitUntil(const std::function<bool()> &done, int boundMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > boundMs)
            loop.quit();
    });
    check.start(1);
    if (!done())
        loop.exec();
    return done();
}

// The browser's share without the program: with the argument 0, the page's
// own load (navigate to the top-level completion); with 1, also a new
// harvest window before it and the document snapshot after it.
void BM_ChromiumPageLoad(benchmark::State &state)
{
    ChromiumSite &c = chromium();
    if (!c.failure.isEmpty()) {
        state.SkipWithError(qPrintable(c.failure));
        return;
    }
    const bool whole = state.range(0) != 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        tv::BrowserWindowPtr w = c.browser->createHarvestWindow();
        bool complete = false;
        QObject::connect(w.get(), &tv::BrowserWindow::DocumentComplete, w.get(),
                         [&](const QString &pDisp, const QString &) { complete = complete || pDisp == w->name(); });
        if (!whole)
            clock.start();
        w->navigate(c.pageUrl);
        if (!waitUntil([&] { return complete; }, 60000))
            state.SkipWithError("the page did not complete");
        if (whole && w->document()->links.size() != PageLinks)
            state.SkipWithError("the snapshot lacks links");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_ChromiumPageLoad)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// "Build" to the count text, the page loaded in the harvest browser.
void BM_ChromiumBuildFromUrl(benchmark::State &state)
{
    ChromiumSite &c = chromium();
    if (!c.failure.isEmpty()) {
        state.SkipWithError(qPrintable(c.failure));
        return;
    }
    timeBuilds(state, c.browser.get(), c.pageUrl, listedEntries(int(state.range(0)), c.root),
               [](tv::Form1 &form) { return waitUntil([&form] { return form.centralWidget()->isEnabled(); }, 60000); });
}
BENCHMARK(BM_ChromiumBuildFromUrl)->Arg(0)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The harvest walk alone, with its hash set.
void BM_HarvestWalk(benchmark::State &state)
{
    const QStringList entries = listedEntries(int(state.range(0)));
    const tv::HtmlDocumentPtr doc = pageDocument();
    qsizetype added = 0;
    for (auto _ : state) {
        tv::LinkHarvest harvest(entries, tv::LinkList::MaxItems - entries.size());
        harvest.walk(*doc);
        added = harvest.added().size();
        benchmark::DoNotOptimize(added);
    }
    state.counters["added"] = double(added);
}
BENCHMARK(BM_HarvestWalk)->Arg(0)->Arg(20000)->Unit(benchmark::kMillisecond);

// The rule as first written: every address compared with every entry of the
// list, the list growing as addresses are added.
void BM_QuadraticListScan(benchmark::State &state)
{
    const QStringList entries = listedEntries(int(state.range(0)));
    const tv::HtmlDocumentPtr doc = pageDocument();
    qsizetype added = 0;
    for (auto _ : state) {
        QStringList list = entries;
        for (const QString &href : doc->links) {
            if (list.size() >= tv::LinkList::MaxItems)
                break;
            const QString address = tv::LinkHarvest::listedForm(href);
            bool found = false;
            for (qsizetype i = 0; i < list.size(); ++i) {
                if (list.at(i) == address) {
                    found = true;
                    break;
                }
            }
            if (!found)
                list.append(address);
        }
        added = list.size() - entries.size();
        benchmark::DoNotOptimize(added);
    }
    state.counters["added"] = double(added);
}
BENCHMARK(BM_QuadraticListScan)->Arg(0)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

TV_BENCHMARK_MAIN()
