#pragma once

#include <QList>

namespace tvtest {

// The TCP ports (IPv4 and IPv6) on which a process listens.
QList<quint16> listeningTcpPorts(qint64 pid);

} // namespace tvtest
