// Saving many small link targets over loopback from a server that answers
// each request after 50 ms (a real host's round trip): "Saving Files" with
// 5 at once against `aria2c -j5 -i` and with 1 at once against `wget -i`,
// on the same list in the same run, and the longest pause of the window's
// thread with 8 at once. The server runs in a process of its own.
// TALLYVANE_MANY_FILES sets the count (200 by default).
#include "benchmain.h"
#include "savebench.h"
#include "support/httpserver.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int DelayMs = 50;
constexpr qsizetype FileSize = 64 << 10;

int files()
{
    const int n = qEnvironmentVariableIntValue("TALLYVANE_MANY_FILES");
    return n > 0 ? n : 200;
}

int serve()
{
    QCoreApplication app(*new int(0), nullptr);
    tvtest::HttpServer server;
    QByteArray body(FileSize, Qt::Uninitialized);
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = char(i * 131 + (i >> 11));
    for (int i = 0; i < files(); ++i) {
        tvtest::HttpServer::Response r{200, "application/octet-stream", body};
        r.delayMs = DelayMs;
        server.route(QStringLiteral("/f/%1.bin").arg(i), r);
    }
    if (!server.listen())
        return 1;
    std::printf("%d\n", server.port());
    std::fflush(stdout);
    return app.exec();
}

bool wholeFolder(const QString &folder)
{
    const QFileInfoList list = QDir(folder).entryInfoList(QDir::Files);
    return list.size() == files() && std::all_of(list.begin(), list.end(), [](const QFileInfo &f) {
               return f.size() == FileSize;
           });
}

// Seconds, or -1 when the run failed; the longest tick gap of this idle
// process meanwhile, which tells how busy the machine is.
double runTool(const QString &tool, QStringList arguments, double *idleGapMs)
{
    TickWatch watch;
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return -1;
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    const bool ended = waitForSignal(&process, 600000, &QProcess::finished, &QProcess::errorOccurred) &&
                       process.state() == QProcess::NotRunning;
    *idleGapMs = std::max(*idleGapMs, watch.longestMs());
    return ended && process.exitCode() == 0 ? double(timer.nsecsElapsed()) / 1e9 : -1;
}


bool failed = false;

void BM_ManyFilesVersusAria2AndWget(benchmark::State &state)
{
    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve")});
    if (!server.waitForStarted() || !server.waitForReadyRead(10000)) {
        state.SkipWithError("could not start the server");
        failed = true;
        return;
    }
    const int port = server.readLine().trimmed().toInt();
    QStringList links;
    for (int i = 0; i < files(); ++i)
        links << QStringLiteral("http://127.0.0.1:%1/f/%2.bin").arg(port).arg(i);
    QTemporaryDir work;
    QFile list(work.filePath(QStringLiteral("list.txt")));
    list.open(QIODevice::WriteOnly);
    list.write(links.join(u'\n').toUtf8() + '\n');
    list.close();
    int run = 0;
    const auto folder = [&] {
        const QString path = work.filePath(QString::number(++run));
        QDir().mkpath(path);
        return path;
    };
    for (auto _ : state) {
        double gap = 0;
        double gap8 = 0;
        double idleGap = 0;
        QString out = folder();
        const double aria2 = runTool(QStringLiteral("aria2c"), {QStringLiteral("-q"), QStringLiteral("-j5"),
                                                               QStringLiteral("-d"), out, QStringLiteral("-i"), list.fileName()},
                                    &idleGap);
        const bool aria2Whole = wholeFolder(out);
        out = folder();
        const double tv5 = runSavingFiles(links, out, 5, &gap);
        const bool tv5Whole = wholeFolder(out);
        out = folder();
        const double wget = runTool(QStringLiteral("wget"), {QStringLiteral("-q"), QStringLiteral("-P"), out,
                                                             QStringLiteral("-i"), list.fileName()},
                                   &idleGap);
        const bool wgetWhole = wholeFolder(out);
        out = folder();
        const double tv1 = runSavingFiles(links, out, 1, &gap);
        const bool tv1Whole = wholeFolder(out);
        out = folder();
        const double tv8 = runSavingFiles(links, out, 8, &gap8);
        if (tv5 < 0 || tv1 < 0 || tv8 < 0 || !tv5Whole || !tv1Whole || !wholeFolder(out)) {
            state.SkipWithError("a transfer did not save every file whole");
            failed = true;
            break;
        }
        state.counters["tallyvane_5_s"] = tv5;
        state.counters["tallyvane_1_s"] = tv1;
        state.counters["tallyvane_8_s"] = tv8;
        state.counters["max_tick_gap_8_ms"] = gap8;
        state.counters["idle_max_tick_gap_ms"] = idleGap;
        if (aria2 > 0 && aria2Whole) {
            state.counters["aria2_j5_s"] = aria2;
            state.counters["tallyvane5_per_aria2"] = tv5 / aria2;
        }
        if (wget > 0 && wgetWhole) {
            state.counters["wget_s"] = wget;
            state.counters["tallyvane1_per_wget"] = tv1 / wget;
        }
    }
    server.kill();
    server.waitForFinished();
}
BENCHMARK(BM_ManyFilesVersusAria2AndWget)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--serve") == 0)
        return serve();
    tvRunBenchmarks(argc, argv);
    return failed ? 1 : 0;
}
