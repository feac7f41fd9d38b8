#pragma once

// What the saving benchmarks share: a main window that is not there, and a
// watch on the pauses of the window's thread.
#include "saving/savingfilesdialog.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

struct BenchSavingHost final : tv::SavingHost
{
    void setTransferCaption(const QString &) override {}
    void setTransferHostEnabled(bool) override {}
    void minimizeForTransfer() override {}
    void restoreForTransfer() override {}
    void transferEnded(bool) override {}
};

// The longest gap between two ticks of a 10 ms timer while it lives.
struct TickWatch
{
    QTimer tick;
    QElapsedTimer since;
    qint64 longest = 0;
    TickWatch()
    {
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [this] {
            longest = std::max(longest, since.nsecsElapsed());
            since.restart();
        });
        since.start();
        tick.start();
    }
    double longestMs() const { return double(longest) / 1e6; }
};
