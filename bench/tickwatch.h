#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

// The longest gap between two ticks of a 10 ms timer while it lives: how long
// the thread it runs on went without serving its events.
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
