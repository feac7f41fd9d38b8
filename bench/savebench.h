#pragma once

// What the saving benchmarks share: a main window that is not there, and a
// watch on the pauses of the window's thread.
#include "saving/savingfilesdialog.h"

#include "tickwatch.h"

#include <QElapsedTimer>
#include <QTest>

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
    bool done = false;
    bool error = false;
    QObject::connect(form->transfer(), &tv::SaveTransfer::finished, form, [&](bool e) {
        done = true;
        error = e;
    });
    QElapsedTimer timer;
    timer.start();
    TickWatch watch;
    form->show();
    const bool ended = QTest::qWaitFor([&] { return done; }, 600000);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    *maxGapMs = watch.longestMs();
    delete form;
    return ended && !error ? seconds : -1;
}
