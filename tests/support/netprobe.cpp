#include "support/netprobe.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace tvtest {

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

} // namespace tvtest
