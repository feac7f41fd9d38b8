#include "support/httpserver.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace tvtest {

HttpServer::HttpServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        }
    });
}

quint16 HttpServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed when probe goes
}

void HttpServer::onReadyRead(QTcpSocket *socket)
{
    if (socket->property("answered").toBool())
        return;
    const QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("buffer", buffer);
        return;
    }
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    const QString path = QString::fromLatin1(requestLine.value(1)).section(u'?', 0, 0);
    ++m_hits[path];
    const Handler handler = m_routes.value(path);
    Response response = handler ? handler()
                                : Response{404, "text/html", "<html><body><h1>Not Found</h1></body></html>"};
    if (requestLine.value(0) == "HEAD")
        response.body.clear();
    const QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(response.delayMs, this, [guard, response] {
        if (guard)
            answer(guard, response);
    });
}

void HttpServer::answer(QTcpSocket *socket, const Response &response)
{
    static const QHash<int, QByteArray> reasons{{200, "OK"}, {302, "Found"}, {404, "Not Found"},
                                                {429, "Too Many Requests"}, {500, "Internal Server Error"},
                                                {503, "Service Unavailable"}};
    const QByteArray reason = reasons.value(response.status, "Status");
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason + "\r\nContent-Type: " +
                      response.contentType + "\r\n";
    if (!response.omitLength) {
        const qint64 length = response.declaredLength >= 0 ? response.declaredLength : response.body.size();
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    head += "Connection: close\r\nCache-Control: no-store\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    socket->write(head + "\r\n" + (response.cutAfter >= 0 ? response.body.left(response.cutAfter) : response.body));
    switch (response.end) {
    case Response::End::Close:
        socket->disconnectFromHost();
        break;
    case Response::End::Reset:
        if (socket->flush(), socket->bytesToWrite() == 0)
            reset(socket);
        else
            connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
                if (socket->bytesToWrite() == 0)
                    reset(socket);
            });
        break;
    case Response::End::Hold:
        break; // open until the client or the server goes
    }
}

void HttpServer::reset(QTcpSocket *socket)
{
    // No lingering: closing sends a reset instead of an orderly end.
    const linger now{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
    socket->abort();
}

} // namespace tvtest
