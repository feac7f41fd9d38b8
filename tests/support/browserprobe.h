#pragma once

#include "platform/browser.h"

#include <QStringList>

#include <memory>

namespace tvtest {

// Records the events of one browser window as short lines, in order:
//   "before <url>", "complete top|frame <url>", "error top|frame <url> <code>",
//   "newwindow", "progress <p>/<max>", "quit".
// "top" means the event's object was the window itself (its name()).
class BrowserEventLog : public QObject
{
    Q_OBJECT
public:
    // Pop-ups are declined.
    explicit BrowserEventLog(tv::BrowserWindow *window);

    QStringList lines;
    int count(const QString &prefix) const { return int(matching(prefix).size()); }
    QStringList matching(const QString &prefix) const;
    bool topComplete() const { return count(QStringLiteral("complete top")) > 0; }
};

// Why the invisible browser could not start, or "" once it runs: a test
// without a browser skips with this reason.
QString harvestStartFailure(tv::BrowserComponent &browser);

// The TCP ports (IPv4 and IPv6) on which a process listens.
QList<quint16> listeningTcpPorts(qint64 pid);

// The living (not zombie) processes of a process group.
QList<qint64> processGroup(qint64 pgid);
// A process's proportional share of memory (PSS) in KiB; 0 when unreadable.
qint64 pssKiB(qint64 pid);

} // namespace tvtest
