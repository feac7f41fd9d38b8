#include "support/netprobe.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

namespace tvtest {

QList<qint64> processTree(qint64 pid)
{
    QHash<qint64, QList<qint64>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 id = entry.toLongLong(&numeric);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!numeric || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1)
            children[rest.at(1).toLongLong()].append(id);
    }
    QList<qint64> tree{pid};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree.append(children.value(tree.at(i)));
    return tree;
}

QList<quint16> listeningTcpPorts(const QList<qint64> &pids)
{
    QSet<QByteArray> inodes;
    for (qint64 pid : pids) {
        const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
        const QStringList entries = QDir(fds).entryList(QDir::System | QDir::NoDotAndDotDot);
        for (const QString &fd : entries) {
            const QString target = QFile::symLinkTarget(fds + u'/' + fd);
            if (target.contains(QLatin1String("socket:[")))
                inodes.insert(target.section(u'[', 1).chopped(1).toLatin1());
        }
    }
    QList<quint16> ports;
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile f{QString::fromLatin1(table)};
        if (!f.open(QIODevice::ReadOnly))
            continue;
        f.readLine(); // column heads
        while (!f.atEnd()) {
            // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode
            const QList<QByteArray> cols = f.readLine().simplified().split(' ');
            if (cols.size() > 9 && cols.at(3) == "0A" && inodes.contains(cols.at(9)))
                ports.append(quint16(cols.at(1).mid(cols.at(1).lastIndexOf(':') + 1).toUShort(nullptr, 16)));
        }
    }
    return ports;
}

} // namespace tvtest
