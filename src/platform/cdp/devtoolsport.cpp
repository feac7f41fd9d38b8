#include "platform/cdp/devtoolsport.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTimer>

namespace tv {

QUrl DevToolsEndpoint::webSocketUrl() const
{
    return QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path));
}

std::optional<DevToolsEndpoint> parseDevToolsActivePort(const QByteArray &content)
{
    const QList<QByteArray> lines = content.split('\n');
    if (lines.size() < 2)
        return std::nullopt; // the browser writes the file in one go; a short one is still being written
    bool ok = false;
    const uint port = lines.at(0).trimmed().toUInt(&ok);
    const QString path = QString::fromUtf8(lines.at(1).trimmed());
    if (!ok || port == 0 || port > 65535 || !path.startsWith(QLatin1String("/devtools/browser/")))
        return std::nullopt;
    return DevToolsEndpoint{quint16(port), path};
}

QString devToolsActivePortFile(const QString &profileDir)
{
    return profileDir + QStringLiteral("/DevToolsActivePort");
}

std::optional<DevToolsEndpoint> readDevToolsActivePort(const QString &profileDir)
{
    QFile file(devToolsActivePortFile(profileDir));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseDevToolsActivePort(file.read(4096));
}

bool probeDevToolsEndpoint(const DevToolsEndpoint &endpoint, int timeoutMs)
{
    QTcpSocket socket;
    QByteArray data;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] {
        socket.write(QStringLiteral("GET /json/version HTTP/1.1\r\nHost: 127.0.0.1:%1\r\nConnection: close\r\n\r\n")
                         .arg(endpoint.port)
                         .toLatin1());
    });
    auto complete = [&] {
        const int split = data.indexOf("\r\n\r\n");
        if (split < 0)
            return false;
        const int lengthAt = data.toLower().indexOf("content-length:");
        if (lengthAt < 0 || lengthAt > split)
            return false;
        const int lineEnd = data.indexOf("\r\n", lengthAt);
        const int length = data.mid(lengthAt + 15, lineEnd - lengthAt - 15).trimmed().toInt();
        return data.size() >= split + 4 + length;
    };
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        data += socket.readAll();
        if (data.size() > 1 << 16 || complete())
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    socket.connectToHost(QStringLiteral("127.0.0.1"), endpoint.port);
    timer.start(timeoutMs);
    loop.exec();
    socket.abort();
    if (!data.startsWith("HTTP/1.1 200"))
        return false;
    const QJsonObject version = QJsonDocument::fromJson(data.mid(data.indexOf("\r\n\r\n") + 4)).object();
    return QUrl(version.value(QStringLiteral("webSocketDebuggerUrl")).toString()) == endpoint.webSocketUrl();
}

} // namespace tv
