#pragma once

#include <QList>

namespace tvtest {

// The process and every process it started, directly or not.
QList<qint64> processTree(qint64 pid);
// The TCP ports on which any of these processes listens (IPv4 and IPv6).
QList<quint16> listeningTcpPorts(const QList<qint64> &pids);

} // namespace tvtest
