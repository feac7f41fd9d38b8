// CPU used by the idle main window with a full list shown and the availability
// timer running, over a stretch of wall-clock time (60 s by default;
// TALLYVANE_IDLE_SECONDS changes it). For the figure that counts, run it on a
// real X server: xvfb-run -a env QT_QPA_PLATFORM=xcb build/bench/bench_idlecpu
#include "app/mainwindow.h"
#include "app/linklist.h"
#include "support/mainwindowfixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "benchmain.h"

#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_IdleWithFullList(benchmark::State &state)
{
    const int seconds = qEnvironmentVariableIntValue("TALLYVANE_IDLE_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("TALLYVANE_IDLE_SECONDS")
                            : 60;
    tvtest::FakeBrowserComponent browser;
    tv::Form1 form(&browser);
    form.Form_Load();
    QStringList links;
    for (int i = 0; i < tv::LinkList::MaxItems; ++i)
        links << QStringLiteral("http://127.0.0.1/idle/%1.html").arg(i);
    tvtest::list1(form).AppendMany(links);
    tvtest::list1(form).RefreshExtent();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();

    for (auto _ : state) {
        const double before = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double used = cpuSeconds() - before;
        state.counters["cpu_percent_of_one_core"] = 100.0 * used / (double(wall.elapsed()) / 1000.0);
        state.counters["wall_s"] = double(wall.elapsed()) / 1000.0;
    }
}
BENCHMARK(BM_IdleWithFullList)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

TV_BENCHMARK_MAIN()
