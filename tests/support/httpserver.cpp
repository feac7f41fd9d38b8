#include "support/httpserver.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

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

bool HttpServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 HttpServer::port() const
{
    return m_server->serverPort();
}

QString HttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
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
    Response response = m_routes.value(path, Response{404, "text/html", "<html><body><h1>Not Found</h1></body></html>"});
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
    const QByteArray reason = response.status == 200 ? "OK" : response.status == 404 ? "Not Found" : "Status";
    socket->write("HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason + "\r\nContent-Type: " +
                  response.contentType + "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                  "\r\nConnection: close\r\nCache-Control: no-store\r\n\r\n" + response.body);
    socket->disconnectFromHost();
}

} // namespace tvtest
