// `tallyvane --list` on a 30,000-link page of our own server, the whole run
// from the program's start to its end (its browser's start and end
// included), against a bare DevTools client that starts the same browser,
// loads the same page, reads document.links and closes the browser. The two
// take turns in each iteration so that the machine's load falls on both.
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdpcomponent.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include "bareclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

constexpr int LinkCount = 30000;
constexpr int Bound = 120000;

// Milliseconds of one `tallyvane --list`, or -1 when it did not list the page.
double terminalList(const QString &url)
{
    QProcess p;
    p.setProgram(QStringLiteral(TALLYVANE_BINARY));
    p.setArguments({QStringLiteral("--list"), url});
    p.setStandardErrorFile(QProcess::nullDevice());
    QByteArray out;
    QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] { out += p.readAllStandardOutput(); });
    QElapsedTimer clock;
    clock.start();
    p.start();
    waitFor([&] { return p.state() == QProcess::NotRunning; }, Bound, &p, &QProcess::stateChanged);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    out += p.readAllStandardOutput();
    return p.exitCode() == 0 && out.count('\n') == LinkCount ? ms : -1;
}

// The same with a bare client over a freshly started browser.
double bareClient(const QString &url)
{
    QElapsedTimer clock;
    clock.start();
    const tv::BrowserChoice choice = tv::BrowserChoice::find();
    tv::BrowserLaunchOptions options;
    options.program = choice.program;
    options.arguments = choice.launchArguments(true);
    options.pipe = true;
    const auto browser = tv::CdpBrowser::launch(options, tv::CdpBrowser::Kind::Harvest, Bound);
    BareClient client(browser->connection());
    client.navigate(url);
    const qsizetype links = client.links().size();
    browser->close();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return links == LinkCount ? ms : -1;
}

void BM_TerminalListAgainstBareClient(benchmark::State &state)
{
    tvtest::HttpServer site;
    site.listen();
    site.route("/links.html", {200, "text/html", linksPage(LinkCount)});
    const QString url = site.url("/links.html");

    double terminal = 0;
    double bare = 0;
    bool first = true;
    for (auto _ : state) {
        double t = 0;
        double b = 0;
        try {
            // Turns alternate, so that neither always runs on a warm cache.
            if (std::exchange(first, !first)) {
                t = terminalList(url);
                b = bareClient(url);
            } else {
                b = bareClient(url);
                t = terminalList(url);
            }
        } catch (const tv::BrowserError &e) {
            state.SkipWithError(e.what());
            return;
        }
        if (t < 0 || b < 0) {
            state.SkipWithError("a run did not list the page");
            return;
        }
        terminal += t;
        bare += b;
        state.SetIterationTime(t / 1000);
    }
    state.counters["terminal_ms"] = benchmark::Counter(terminal, benchmark::Counter::kAvgIterations);
    state.counters["bare_ms"] = benchmark::Counter(bare, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = terminal / bare;
}
BENCHMARK(BM_TerminalListAgainstBareClient)->Unit(benchmark::kMillisecond)->Iterations(10)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    const QTemporaryDir folders = tvtest::isolateUserFolders();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
