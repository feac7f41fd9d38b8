#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace tv {

// Where a running browser's DevTools endpoint listens, as its profile's
// DevToolsActivePort file gives it: the port on line 1, the browser's
// WebSocket path on line 2.
struct DevToolsEndpoint
{
    quint16 port = 0;
    QString path;
    QUrl webSocketUrl() const;
};

std::optional<DevToolsEndpoint> parseDevToolsActivePort(const QByteArray &content);
std::optional<DevToolsEndpoint> readDevToolsActivePort(const QString &profileDir);
QString devToolsActivePortFile(const QString &profileDir);

// True when the endpoint answers /json/version with exactly its own WebSocket
// address. A file left by a browser that has ended points at a closed port, or
// at a port some other browser took since; both give false.
bool probeDevToolsEndpoint(const DevToolsEndpoint &endpoint, int timeoutMs);

} // namespace tv
