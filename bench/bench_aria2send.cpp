// 32,767 links handed to a local aria2 daemon through "Send to aria2": the
// time from Send to the summary, and the longest gap between two ticks of a
// 10 ms timer on the window's thread meanwhile (and while the dialog opens).
// The links point at a loopback port that takes connections and never
// answers, and aria2 runs one download at a time: nothing is fetched.
#include "platform/messagebox.h"
#include "saving/sendtoaria2dialog.h"
#include "settings/settingsstore.h"
#include "support/testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include "benchmain.h"
#include "tickwatch.h"

#include <unistd.h>

namespace {

// CPU seconds a process has used so far, from /proc.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void BM_SendToAria2(benchmark::State &state)
{
    const QTemporaryDir folders = tvtest::isolateUserFolders();
    const QString aria2c = QStandardPaths::findExecutable(QStringLiteral("aria2c"));
    if (aria2c.isEmpty()) {
        state.SkipWithError("aria2c is not installed");
        return;
    }
    QTcpServer silent;   // listens, never accepts: aria2's one download waits
    silent.listen(QHostAddress::LocalHost, 0);
    QTemporaryDir dir;
    const quint16 port = freePort();
    const QString secret = QString::number(QRandomGenerator::system()->generate64(), 36);
    QProcess daemon;
    daemon.start(aria2c, {QStringLiteral("--enable-rpc"), QStringLiteral("--rpc-listen-port=%1").arg(port),
                          QStringLiteral("--rpc-secret=") + secret, QStringLiteral("--dir=") + dir.path(),
                          QStringLiteral("--no-conf"), QStringLiteral("--quiet"),
                          QStringLiteral("--max-concurrent-downloads=1")});
    const bool up = daemon.waitForStarted() && QTest::qWaitFor([port] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        return probe.waitForConnected(100);
    }, 10000);
    if (!up) {
        state.SkipWithError("aria2c did not start");
        return;
    }

    QStringList urls;
    for (int i = 0; i < 32767; ++i)
        urls << QStringLiteral("http://127.0.0.1:%1/gallery/%2/picture-%3.jpg").arg(silent.serverPort()).arg(i / 100).arg(i);
    const QStringList pages(urls.size(), QStringLiteral("http://127.0.0.1:%1/gallery.html").arg(silent.serverPort()));

    tv::CRegSettings settings;
    QString summary;
    tv::setMessageBoxHandler([&summary](const tv::MessageBoxRequest &r) {
        summary = r.text;
        return tv::MsgResult::Ok;
    });
    for (auto _ : state) {
        TickWatch opening;
        tv::SendToAria2Dialog dialog(urls, pages, settings);
        dialog.show();
        QTest::qWait(50);
        const double openGap = opening.longestMs();

        dialog.txtAddress->setText(QStringLiteral("http://127.0.0.1:%1/jsonrpc").arg(port));
        dialog.txtToken->setText(secret);
        bool done = false;
        tv::Aria2SendResult result;
        QObject::connect(&dialog, &tv::SendToAria2Dialog::sendFinished, [&](const tv::Aria2SendResult &r) {
            result = r;
            done = true;
        });
        const double aria2Before = cpuSeconds(daemon.processId());
        TickWatch sending;
        QElapsedTimer timer;
        timer.start();
        dialog.cmdSend->click();
        (void)QTest::qWaitFor([&] { return done; }, 300000);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!done || result.sent != urls.size()) {
            state.SkipWithError(qPrintable(QStringLiteral("not all sent: ") + summary));
            break;
        }
        state.counters["send_to_summary_s"] = seconds;
        state.counters["max_tick_gap_ms"] = sending.longestMs();
        state.counters["open_max_tick_gap_ms"] = openGap;
        state.counters["links"] = double(result.sent);
        state.counters["aria2_cpu_s"] = cpuSeconds(daemon.processId()) - aria2Before;
    }
    tv::setMessageBoxHandler({});
    daemon.terminate();
    if (!daemon.waitForFinished(5000))
        daemon.kill();
    daemon.waitForFinished();
}
BENCHMARK(BM_SendToAria2)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

TV_BENCHMARK_MAIN();
