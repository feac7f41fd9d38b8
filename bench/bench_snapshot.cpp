// Navigate to a 30,000-link page on 127.0.0.1 and take its document snapshot:
// through Tallyvane's browser component, and through a bare DevTools client
// written for this measurement (the floor).
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdpcomponent.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include "bareclient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

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
    for (auto _ : state) {
        const tv::HtmlDocumentPtr doc = w->document();
        if (doc->links.size() != LinkCount)
            state.SkipWithError("wrong link count");
    }
}
BENCHMARK(BM_Tallyvane_SnapshotOnly)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

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
