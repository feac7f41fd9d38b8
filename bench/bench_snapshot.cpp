// Navigate to a 30,000-link page on 127.0.0.1 and take its document snapshot:
// through Tallyvane's browser component, and through a bare DevTools client
// written for this measurement (the floor); the snapshot alone also with
// images and media, and by the walk as it was before it read link texts and
// shadow trees (the reference for their cost).
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdpcomponent.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include "bareclient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

#include <unistd.h>

// The walk's script is a resource of a static library: registered by name.
static void registerWalkScript()
{
    Q_INIT_RESOURCE(cdpscripts);
}

namespace {

constexpr int LinkCount = 30000;

struct Environment
{
    tvtest::HttpServer site;
    tv::CdpBrowserComponent browser{tv::BrowserChoice::find()};
    QString pageUrl;

    Environment()
    {
        site.listen();
        site.route("/links.html", {200, "text/html", linksPage(LinkCount)});
        pageUrl = site.url("/links.html");
    }
};

std::unique_ptr<Environment> env;

Environment &environment()
{
    if (!env)
        env = std::make_unique<Environment>();
    return *env;
}

// Processor seconds used so far by a process and all its descendants (the
// browser's renderers): a figure the load of other programs does not stretch.
double treeCpuSeconds(qint64 root)
{
    QHash<qint64, qint64> parent;
    QHash<qint64, double> used;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isPid || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        parent.insert(pid, fields.value(1).toLongLong());
        used.insert(pid, double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(sysconf(_SC_CLK_TCK)));
    }
    double total = 0;
    for (auto it = used.cbegin(); it != used.cend(); ++it) {
        for (qint64 p = it.key(); p > 1; p = parent.value(p, 0)) {
            if (p == root) {
                total += it.value();
                break;
            }
        }
    }
    return total;
}

void loadWithComponent(tv::BrowserWindow &w, const QString &url)
{
    bool complete = false;
    const auto c = QObject::connect(&w, &tv::BrowserWindow::DocumentComplete, [&](const QString &pDisp, const QString &) {
        if (pDisp == w.name())
            complete = true;
    });
    w.navigate(url);
    waitFor([&] { return complete; }, 30000, &w, &tv::BrowserWindow::DocumentComplete);
    QObject::disconnect(c);
}

void BM_Tallyvane_NavigateToSnapshot(benchmark::State &state)
{
    Environment &e = environment();
    tv::BrowserWindowPtr w = e.browser.createHarvestWindow();
    for (auto _ : state) {
        loadWithComponent(*w, e.pageUrl);
        const tv::HtmlDocumentPtr doc = w->document();
        if (doc->links.size() != LinkCount)
            state.SkipWithError("wrong link count");
        state.PauseTiming();
        loadWithComponent(*w, QStringLiteral("about:blank"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Tallyvane_NavigateToSnapshot)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

void BM_Tallyvane_SnapshotOnly(benchmark::State &state)
{
    Environment &e = environment();
    tv::BrowserWindowPtr w = e.browser.createHarvestWindow();
    loadWithComponent(*w, e.pageUrl);
    const qint64 browserPid = e.browser.harvestProcessId();
    const double cpuBefore = treeCpuSeconds(browserPid);
    for (auto _ : state) {
        const tv::HtmlDocumentPtr doc = w->document();
        if (doc->links.size() != LinkCount)
            state.SkipWithError("wrong link count");
    }
    state.counters["browser_cpu_ms"] = benchmark::Counter((treeCpuSeconds(browserPid) - cpuBefore) * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Tallyvane_SnapshotOnly)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

// The walk before link texts, shadow trees and media, run the same way.
const char *const PreviousWalk = R"js(
// Walks a document and the frames it can reach: link addresses in document
// order, then the frames in order, depth first, at most maxDepth levels down.
// A frame it may not read keeps its place as a slot whose frame element is
// kept for a walk of its own (globalThis.__tallyvaneKept). With maxLinks of 0
// or more, only that many different addresses (a "%20" read as a blank, as
// the list does) are collected; the walk then stops and says it was cut.
((maxDepth, maxLinks) => {
  const kept = [];
  const seen = maxLinks >= 0 ? new Set() : null;
  let cut = false;
  const walk = (w, d, depth) => {
    const links = [];
    const frames = [];
    const all = d.links;
    for (let i = 0; i < all.length && !cut; i++) {
      const h = all[i].href;
      if (typeof h !== 'string') continue;
      if (seen) {
        const key = h.split('%20').join(' ');
        if (seen.has(key)) continue;
        if (seen.size >= maxLinks) { cut = true; break; }
        seen.add(key);
      }
      links.push(h);
    }
    let n = 0;
    try { n = w.frames.length; } catch (e) {}
    for (let i = 0; i < n && !cut; i++) {
      let fw = null, fd = null;
      try { fw = w.frames[i]; fd = fw.document; } catch (e) { fd = null; }
      if (fd && depth < maxDepth) { frames.push(walk(fw, fd, depth + 1)); continue; }
      let owner = null;
      for (const o of d.querySelectorAll('iframe,frame')) {
        if (o.contentWindow === fw) { owner = o; break; }
      }
      kept.push(owner);
      frames.push({slot: kept.length - 1});
    }
    return {url: d.URL, type: d.contentType, links, frames};
  };
  globalThis.__tallyvaneKept = kept;
  const root = walk(window, document, 0);
  root.cut = cut;
  root.collected = seen ? seen.size : -1;
  return root;
})
)js";

// One walk evaluated over the bare connection, its addresses taken out of
// the answer: the previous walk (first argument 0) against today's (1), the
// rest alike; the page loaded again before each read (second argument 1) or
// read as it stands (0). The browser's own processor time is the figure the
// load of other programs stretches least.
void BM_Walk(benchmark::State &state)
{
    Environment &e = environment();
    tv::BrowserWindowPtr w = e.browser.createHarvestWindow();
    loadWithComponent(*w, e.pageUrl);
    const auto browser = e.browser.harvestBrowser();
    const QString session = browser->sessionOf(w->hwnd());
    registerWalkScript();
    QFile current(QStringLiteral(":/cdp/snapshot.js"));
    current.open(QIODevice::ReadOnly);
    const QString walk = state.range(0) == 0 ? QStringLiteral("(%1)(100, -1)").arg(QString::fromUtf8(PreviousWalk))
                                             : QStringLiteral("(%1)(100, -1, false, 20000)").arg(QString::fromUtf8(current.readAll()));
    const qint64 browserPid = e.browser.harvestProcessId();
    double cpu = 0;
    for (auto _ : state) {
        const double before = treeCpuSeconds(browserPid);
        if (state.range(1) == 1)
            loadWithComponent(*w, e.pageUrl);
        // A world lives as long as its document.
        const int context = browser->connection()
                                ->call("Page.createIsolatedWorld", {{"frameId", w->hwnd()}, {"worldName", "reference"}}, session)
                                .result.value("executionContextId")
                                .toInt();
        const QJsonObject r = browser->connection()
                                  ->call("Runtime.evaluate", {{"expression", walk}, {"contextId", context}, {"returnByValue", true}},
                                         session, 30000)
                                  .result;
        QStringList links;
        for (const QJsonValue &l : r.value("result").toObject().value("value").toObject().value("links").toArray())
            links.append(l.toString());
        if (links.size() != LinkCount)
            state.SkipWithError("wrong link count");
        cpu += treeCpuSeconds(browserPid) - before;
        if (state.range(1) == 1) {
            state.PauseTiming();
            loadWithComponent(*w, QStringLiteral("about:blank"));
            state.ResumeTiming();
        }
    }
    state.counters["browser_cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Walk)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

void BM_Tallyvane_SnapshotWithMedia(benchmark::State &state)
{
    Environment &e = environment();
    tv::BrowserWindowPtr w = e.browser.createHarvestWindow();
    loadWithComponent(*w, e.pageUrl);
    for (auto _ : state) {
        if (w->document(tv::BrowserWindow::AllLinks, true)->links.size() != LinkCount)
            state.SkipWithError("wrong link count");
    }
}
BENCHMARK(BM_Tallyvane_SnapshotWithMedia)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

void BM_BareClient_NavigateToSnapshot(benchmark::State &state)
{
    Environment &e = environment();
    e.browser.createHarvestWindow(); // makes sure the harvest browser runs
    BareClient client(e.browser.harvestBrowser()->connection());
    for (auto _ : state) {
        client.navigate(e.pageUrl);
        if (client.links().size() != LinkCount)
            state.SkipWithError("wrong link count");
        state.PauseTiming();
        client.navigate(QStringLiteral("about:blank"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareClient_NavigateToSnapshot)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

void BM_BareClient_SnapshotOnly(benchmark::State &state)
{
    Environment &e = environment();
    e.browser.createHarvestWindow();
    BareClient client(e.browser.harvestBrowser()->connection());
    client.navigate(e.pageUrl);
    for (auto _ : state) {
        if (client.links().size() != LinkCount)
            state.SkipWithError("wrong link count");
    }
}
BENCHMARK(BM_BareClient_SnapshotOnly)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    const QTemporaryDir folders = tvtest::isolateUserFolders();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (env)
        env->browser.shutdown();
    env.reset();
    benchmark::Shutdown();
    return 0;
}
