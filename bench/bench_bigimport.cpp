// "Build list from file" on a file far larger than the list holds: the time of
// one import and the memory it takes at its peak. The file's size is
// TALLYVANE_BENCH_IMPORT_MB (default 1024). Peak memory is per process, so
// run one case at a time:
//   bench_bigimport --benchmark_filter='BM_ImportBigFile/0$'
#include "app/mainwindow.h"
#include "app/linklist.h"
#include "benchmain.h"
#include "platform/messagebox.h"
#include "support/mainwindowfixture.h"
#include "support/testenv.h"
#include "winsupport/filedialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

const QTemporaryDir g_folders = tvtest::isolateUserFolders();

enum Content { Words, Links, OneItem };

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toDouble() * double(::getpagesize()) / (1024.0 * 1024.0);
}

double peakResidentMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Writes `mib` MiB of one kind of content.
bool writeFile(const QString &path, Content content, qint64 mib)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (content == OneItem && f.write("http://www.example.com/") < 0)
        return false;
    QByteArray block;
    while (block.size() < 1024 * 1024) {
        switch (content) {
        case Words: block += "lorem ipsum dolor sit amet, consectetur adipiscing elit\r\n"; break;
        case Links: block += "http://www.example.com/gallery/12/picture-00042.jpg\r\n"; break;
        case OneItem: block += "abcdefghijklmnopqrstuvwxyz0123456789"; break;
        }
    }
    for (qint64 i = 0; i < mib; ++i) {
        if (f.write(block.left(1024 * 1024)) != 1024 * 1024)
            return false;
    }
    return true;
}

void BM_ImportBigFile(benchmark::State &state)
{
    const qint64 mib = qEnvironmentVariableIsSet("TALLYVANE_BENCH_IMPORT_MB")
                           ? qEnvironmentVariableIntValue("TALLYVANE_BENCH_IMPORT_MB")
                           : 1024;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    if (!writeFile(path, Content(state.range(0)), mib)) {
        state.SkipWithError("the file could not be written");
        return;
    }
    tvtest::FakeBrowserComponent browser;
    tv::Form1 form(&browser);
    form.Form_Load();
    tv::setFileDialogHandler([&](const tv::FileDialogRequest &) { return path; });
    tv::setMessageBoxHandler([](const tv::MessageBoxRequest &) { return tv::MsgResult::Ok; });

    const double before = residentMiB();
    for (auto _ : state) {
        state.PauseTiming();
        tvtest::list1(form).Clear();
        state.ResumeTiming();
        tvtest::part(form, "mnufFile").trigger();
    }
    state.counters["file_MiB"] = double(mib);
    state.counters["listed"] = tvtest::list1(form).ListCount();
    state.counters["peak_rss_MiB"] = peakResidentMiB();
    state.counters["peak_growth_MiB"] = peakResidentMiB() - before;
    tv::setFileDialogHandler({});
    tv::setMessageBoxHandler({});
}
// 0: the first item is no link; 1: every item a link; 2: one item of the whole file.
BENCHMARK(BM_ImportBigFile)->Arg(Words)->Arg(Links)->Arg(OneItem)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

TV_BENCHMARK_MAIN()
