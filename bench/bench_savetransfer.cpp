// Saving a large link target over loopback: Tallyvane's "Saving Files"
// against `curl -o` on the same file in the same run, and the longest gap
// between two ticks of a 10 ms timer on the window's thread meanwhile.
// The file is served by this program started again as a small sendfile(2)
// server in a process of its own, so neither client shares a thread with it.
// TALLYVANE_SAVE_BENCH_MIB sets the size (1024 by default).
#include "benchmain.h"
#include "savebench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>


#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Answers every GET with the whole file; one connection at a time.
int serve(const char *path)
{
    const int file = ::open(path, O_RDONLY);
    struct stat info{};
    if (file < 0 || ::fstat(file, &info) != 0)
        return 1;
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(listener, 4) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 1;
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int client = ::accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        char request[4096];
        std::size_t got = 0;
        while (got < sizeof request - 1) {
            const ssize_t n = ::read(client, request + got, sizeof request - 1 - got);
            if (n <= 0)
                break;
            got += std::size_t(n);
            request[got] = 0;
            if (std::strstr(request, "\r\n\r\n"))
                break;
        }
        char head[256];
        const int headLength = std::snprintf(head, sizeof head,
                                             "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                                             "Content-Length: %lld\r\nConnection: close\r\n\r\n",
                                             static_cast<long long>(info.st_size));
        if (::write(client, head, std::size_t(headLength)) == headLength) {
            off_t offset = 0;
            while (offset < info.st_size && ::sendfile(client, file, &offset, std::size_t(info.st_size - offset)) > 0) {
            }
        }
        ::close(client);
    }
}

qint64 mib()
{
    const int size = qEnvironmentVariableIntValue("TALLYVANE_SAVE_BENCH_MIB");
    return size > 0 ? size : 1024;
}

struct Source
{
    QTemporaryDir dir;
    QString path;
    QProcess server;
    QString url;

    bool start()
    {
        path = dir.filePath(QStringLiteral("source.bin"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < block.size(); ++i)
            block[i] = char(i * 131 + (i >> 11));
        for (qint64 i = 0; i < mib(); ++i) {
            block[0] = char(i);
            file.write(block);
        }
        file.close();
        server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), path});
        if (!server.waitForStarted() || !server.waitForReadyRead(10000))
            return false;
        url = QStringLiteral("http://127.0.0.1:%1/source.bin").arg(server.readLine().trimmed().toInt());
        return true;
    }
    ~Source()
    {
        server.kill();
        server.waitForFinished();
    }
};

double secondsOf(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

bool failed = false;

// Seconds taken by curl, or -1; the longest tick gap of this idle process
// meanwhile, which tells how busy the machine is.
double runCurl(const QString &url, const QString &target, double *maxGapMs)
{
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty())
        return -1;
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    TickWatch watch;
    process.start(curl, {QStringLiteral("-s"), QStringLiteral("-o"), target, url});
    const bool ended = waitForSignal(&process, 600000, &QProcess::finished, &QProcess::errorOccurred) &&
                       process.state() == QProcess::NotRunning;
    const double seconds = secondsOf(timer);
    *maxGapMs = watch.longestMs();
    return ended && process.exitCode() == 0 ? seconds : -1;
}


void BM_SaveTargetVersusCurl(benchmark::State &state)
{
    Source source;
    if (!source.start()) {
        state.SkipWithError("could not make or serve the source file");
        failed = true;
        return;
    }
    const qint64 bytes = mib() << 20;
    QTemporaryDir out;
    for (auto _ : state) {
        double curlBest = 1e9;
        double tvBest = 1e9;
        double worstGap = 0;
        double idleGap = 0;
        // Alternating rounds, each output removed before the next run.
        for (int round = 0; round < 2; ++round) {
            const QString curlTarget = out.filePath(QStringLiteral("curl.bin"));
            double curlGap = 0;
            const double curl = runCurl(source.url, curlTarget, &curlGap);
            idleGap = std::max(idleGap, curlGap);
            const bool curlWhole = QFileInfo(curlTarget).size() == bytes;
            QFile::remove(curlTarget);
            double gap = 0;
            const double tv = runSavingFiles({source.url}, out.path() + u'/', 1, &gap);
            const bool tvWhole = QFileInfo(out.filePath(QStringLiteral("source.bin"))).size() == bytes;
            QFile::remove(out.filePath(QStringLiteral("source.bin")));
            if (tv < 0 || !tvWhole) {
                state.SkipWithError("the transfer did not save the whole file");
                failed = true;
                return;
            }
            if (curl > 0 && curlWhole)
                curlBest = std::min(curlBest, curl);
            tvBest = std::min(tvBest, tv);
            worstGap = std::max(worstGap, gap);
        }
        const double mb = double(bytes) / 1e6;
        state.counters["tallyvane_MBps"] = mb / tvBest;
        state.counters["max_tick_gap_ms"] = worstGap;
        state.counters["idle_max_tick_gap_ms"] = idleGap;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
        if (curlBest < 1e9) {
            state.counters["curl_MBps"] = mb / curlBest;
            state.counters["ratio_to_curl"] = curlBest / tvBest;
        }
    }
}
BENCHMARK(BM_SaveTargetVersusCurl)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--serve") == 0)
        return serve(argv[2]);
    tvRunBenchmarks(argc, argv);
    return failed ? 1 : 0;
}
