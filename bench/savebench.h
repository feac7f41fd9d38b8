#pragma once

// What the saving benchmarks share: a main window that is not there, and a
// watch on the pauses of the window's thread.
#include "saving/savingfilesdialog.h"

#include "tickwatch.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

// Runs the event loop as the program does until one of the signals comes or
// ms pass. QTest::qWaitFor sleeps 10 ms between passes, which put up to 10 ms
// on each hop between the network thread and this one: some 12 ms a file.
template <typename Sender, typename... Signals>
bool waitForSignal(const Sender *sender, int ms, Signals... ends)
{
    QEventLoop loop;
    bool fired = false;
    (QObject::connect(sender, ends, &loop, [&] {
         fired = true;
         loop.quit();
     }),
     ...);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return fired;
}

struct BenchSavingHost final : tv::SavingHost
{
    void setTransferCaption(const QString &) override {}
    void setTransferHostEnabled(bool) override {}
    void minimizeForTransfer() override {}
    void restoreForTransfer() override {}
    void transferEnded(bool) override {}
};

// Seconds the Saving Files dialog took over the links, or -1 when it failed;
// the longest pause of the window's thread meanwhile, in ms.
inline double runSavingFiles(const QStringList &links, const QString &folder, int simultaneous, double *maxGapMs)
{
    BenchSavingHost host;
    auto *form = new tv::Form4(links, folder, tv::OwOverwrite, false, &host, nullptr, simultaneous);
    bool error = false;
    QObject::connect(form->transfer(), &tv::SaveTransfer::finished, form, [&](bool e) { error = e; });
    QElapsedTimer timer;
    timer.start();
    TickWatch watch;
    form->show();
    const bool ended = waitForSignal(form->transfer(), 600000, &tv::SaveTransfer::finished);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    *maxGapMs = watch.longestMs();
    delete form;
    return ended && !error ? seconds : -1;
}
