// The invisible (harvest) browser's start and its memory, in a real headless
// Chromium against a small page of our own server:
// - the first build after start against the second, the "Build List from
//   URL" dialog open for 2 s as a person would (the browser starts while it
//   is open), and, for reference, a first build with no dialog before it;
// - the PSS of all the harvest browser's processes after the small page, with
//   the footprint flags and without them (the reference), and the program's own;
// - the memory once the idle time has passed since the last build: the harvest
//   browser gone, the program alone. BM_IdleMemory/360 waits 6 minutes with the
//   real 5-minute limit (run it by hand); /6 uses a limit of 5 s.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "builders/urldialog.h"
#include "platform/cdp/cdpcomponent.h"
#include "platform/commoncontrols.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include "benchmain.h"

namespace {

constexpr int SmallPageLinks = 20;

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()> &done, int boundMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < boundMs)
        pause(2);
    return done();
}

struct SmallSite
{
    tvtest::HttpServer site;
    QString pageUrl;
    SmallSite()
    {
        site.listen();
        QByteArray page = "<html><body>\n";
        for (int i = 0; i < SmallPageLinks; ++i)
            page += "<a href=\"/item/" + QByteArray::number(i) + ".jpg\">item " + QByteArray::number(i) + "</a>\n";
        site.route(QStringLiteral("/small/"), {200, "text/html", page + "</body></html>\n"});
        pageUrl = site.url(QStringLiteral("/small/"));
    }
};

// One build from "Build" to the count text, in ms; the dialog stays open
// `dialogMs` first (-1: no dialog, the address dropped on the list).
double timedBuild(tv::Form1 &form, const QString &url, int dialogMs)
{
    QElapsedTimer clock;
    tvtest::list1(form).Clear();
    if (dialogMs < 0) {
        clock.start();
        emit tvtest::list1(form).textDropped(url);
    } else {
        tvtest::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<tv::Form5 *>(modal);
            if (!dialog)
                return;
            pause(dialogMs);
            (dialog->Text1->isHidden() ? dialog->Combo1->lineEdit() : dialog->Text1)->setText(url);
            dialog->Timer1_Timer();
            clock.start();
            dialog->Command1->click();
        });
        tvtest::part(form, "mnufURL").trigger();
    }
    const bool ended = waitFor([&] { return form.centralWidget()->isEnabled() && tvtest::list1(form).ListCount() == SmallPageLinks; }, 60000);
    return ended ? double(clock.nsecsElapsed()) / 1e6 : -1;
}

// Range 0: with the dialog open 2 s; 1: the address dropped (no dialog, the
// reference: the browser starts with the build).
void BM_FirstBuildAgainstSecond(benchmark::State &state)
{
    SmallSite s;
    const int dialogMs = state.range(0) == 0 ? 2000 : -1;
    for (auto _ : state) {
        tv::CdpBrowserComponent browser(tv::BrowserChoice::find());
        tv::Form1 form(&browser);
        tvtest::part<QTimer>(form, "Timer1").stop();
        form.show();
        const double first = timedBuild(form, s.pageUrl, dialogMs);
        const double second = timedBuild(form, s.pageUrl, dialogMs);
        if (first < 0 || second < 0)
            state.SkipWithError("a build did not end with the page's links");
        state.counters["first_ms"] = first;
        state.counters["second_ms"] = second;
        state.counters["ratio"] = second > 0 ? first / second : 0;
        state.SetIterationTime(first / 1000);
        browser.shutdown();
    }
}
BENCHMARK(BM_FirstBuildAgainstSecond)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

double mib(qint64 kib)
{
    return double(kib) / 1024.0;
}

qint64 groupPssKiB(qint64 pgid)
{
    qint64 total = 0;
    for (qint64 pid : tvtest::processGroup(pgid))
        total += tvtest::pssKiB(pid);
    return total;
}

// Range 0: the harvest browser as the program starts it (or with the flags
// in TALLYVANE_HARVEST_FLAGS, blank-separated, to try others); 1: without the
// footprint flags (the reference).
void BM_HarvestBrowserMemory(benchmark::State &state)
{
    SmallSite s;
    tv::BrowserChoice choice = tv::BrowserChoice::find();
    if (qEnvironmentVariableIsSet("TALLYVANE_HARVEST_FLAGS"))
        choice.harvestFlags = qEnvironmentVariable("TALLYVANE_HARVEST_FLAGS").split(u' ', Qt::SkipEmptyParts);
    if (state.range(0) == 1)
        choice.harvestFlags.clear();
    for (auto _ : state) {
        tv::CdpBrowserComponent browser(choice);
        tv::Form1 form(&browser);
        tvtest::part<QTimer>(form, "Timer1").stop();
        form.show();
        if (timedBuild(form, s.pageUrl, -1) < 0)
            state.SkipWithError("the build did not end with the page's links");
        pause(3000); // settled: helpers the browser starts late are counted too
        const qint64 pid = browser.harvestProcessId();
        state.counters["browser_MiB"] = mib(groupPssKiB(pid));
        state.counters["processes"] = double(tvtest::processGroup(pid).size());
        if (qEnvironmentVariableIsSet("TALLYVANE_BENCH_PROCESSES")) {
            for (qint64 member : tvtest::processGroup(pid)) {
                QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(member));
                cmdline.open(QIODevice::ReadOnly);
                const QByteArray line = cmdline.readAll().replace('\0', ' ');
                fprintf(stderr, "%6.1f MiB %s\n", mib(tvtest::pssKiB(member)), line.left(160).constData());
            }
        }
        state.counters["tallyvane_MiB"] = mib(tvtest::pssKiB(::getpid()));
        browser.shutdown();
    }
}
BENCHMARK(BM_HarvestBrowserMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// The argument: seconds waited after the last build.
void BM_IdleMemory(benchmark::State &state)
{
    SmallSite s;
    const int waitSeconds = int(state.range(0));
    for (auto _ : state) {
        tv::CdpBrowserComponent browser(tv::BrowserChoice::find());
        if (waitSeconds < 60)
            browser.setHarvestIdleLimit(5000);
        tv::Form1 form(&browser);
        tvtest::part<QTimer>(form, "Timer1").stop();
        form.show();
        if (timedBuild(form, s.pageUrl, -1) < 0)
            state.SkipWithError("the build did not end with the page's links");
        const qint64 pid = browser.harvestProcessId();
        state.counters["browser_after_build_MiB"] = mib(groupPssKiB(pid));
        pause(waitSeconds * 1000);
        state.counters["browser_processes_after_idle"] = double(tvtest::processGroup(pid).size());
        state.counters["tallyvane_after_idle_MiB"] = mib(tvtest::pssKiB(::getpid()));
        browser.shutdown();
    }
}
BENCHMARK(BM_IdleMemory)->Arg(6)->Arg(360)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

TV_BENCHMARK_MAIN()
