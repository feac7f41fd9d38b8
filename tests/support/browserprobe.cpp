#include "support/browserprobe.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace tvtest {

BrowserEventLog::BrowserEventLog(tv::BrowserWindow *window)
{
    const QString self = window->name();
    auto who = [self](const QString &pDisp) { return pDisp == self ? QStringLiteral("top") : QStringLiteral("frame"); };
    connect(window, &tv::BrowserWindow::BeforeNavigate2, this,
            [this](const QString &, const QString &url) { lines << QStringLiteral("before ") + url; });
    connect(window, &tv::BrowserWindow::DocumentComplete, this,
            [this, who](const QString &pDisp, const QString &url) { lines << QStringLiteral("complete %1 %2").arg(who(pDisp), url); });
    connect(window, &tv::BrowserWindow::NavigateError, this,
            [this, who](const QString &pDisp, const QString &url, const QString &, qint32 code) {
                lines << QStringLiteral("error %1 %2 %3").arg(who(pDisp), url, QString::number(quint32(code), 16));
            });
    connect(window, &tv::BrowserWindow::NewWindow2, this, [this](bool *cancel) {
        lines << QStringLiteral("newwindow");
        *cancel = true;
    });
    connect(window, &tv::BrowserWindow::ProgressChange, this,
            [this](qint32 p, qint32 max) { lines << QStringLiteral("progress %1/%2").arg(p).arg(max); });
    connect(window, &tv::BrowserWindow::OnQuit, this, [this] { lines << QStringLiteral("quit"); });
}

QStringList BrowserEventLog::matching(const QString &prefix) const
{
    QStringList out;
    for (const QString &l : lines)
        if (l.startsWith(prefix))
            out << l;
    return out;
}

QList<quint16> listeningTcpPorts(qint64 pid)
{
    QSet<QByteArray> inodes;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (target.contains(QLatin1String("socket:[")))
            inodes.insert(target.section(u'[', 1).chopped(1).toLatin1());
    }
    QList<quint16> ports;
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile f{QString::fromLatin1(table)};
        if (!f.open(QIODevice::ReadOnly))
            continue;
        f.readLine(); // column heads
        while (!f.atEnd()) {
            // sl local_address rem_address st ... inode: state 0A is LISTEN
            const QList<QByteArray> cols = f.readLine().simplified().split(' ');
            if (cols.size() > 9 && cols.at(3) == "0A" && inodes.contains(cols.at(9)))
                ports.append(quint16(cols.at(1).mid(cols.at(1).lastIndexOf(':') + 1).toUShort(nullptr, 16)));
        }
    }
    return ports;
}

QString harvestStartFailure(tv::BrowserComponent &browser)
{
    try {
        browser.createHarvestWindow();
    } catch (const tv::BrowserError &e) {
        return QStringLiteral("No browser could be started: %1").arg(QString::fromUtf8(e.what()));
    }
    return {};
}

QList<qint64> processGroup(qint64 pgid)
{
    QList<qint64> members;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile stat(proc.filePath(entry + QStringLiteral("/stat")));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid pgrp ...: the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(0) != "Z" && fields.at(2).toLongLong() == pgid)
            members.append(pid);
    }
    return members;
}

qint64 pssKiB(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    // Files under /proc report no size: read them whole.
    const QList<QByteArray> lines = rollup.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("Pss:"))
            return line.simplified().split(' ').value(1).toLongLong();
    }
    return 0;
}

} // namespace tvtest
