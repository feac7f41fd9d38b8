#include "support/httpserver.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace tvtest {

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

HttpServer::HttpServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpServer::onNewConnection);
}

HttpServer::~HttpServer() = default;

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

void HttpServer::route(const QString &path, const Response &response)
{
    m_routes.insert(path, [response](const Request &) { return response; });
}

void HttpServer::route(const QString &path, Handler handler)
{
    m_routes.insert(path, std::move(handler));
}

quint16 HttpServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void HttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void HttpServer::onReadyRead(QTcpSocket *socket)
{
    if (socket->property("answered").toBool())
        return;
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    const int end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("buffer", buffer);
        return;
    }
    socket->setProperty("answered", true);
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    Request request;
    request.method = requestLine.value(0);
    const QString target = QString::fromLatin1(requestLine.value(1));
    const int q = target.indexOf(QLatin1Char('?'));
    request.path = q < 0 ? target : target.left(q);
    request.query = q < 0 ? QString() : target.mid(q + 1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.headers.insert(lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed());
    }
    m_requests.append(request);
    ++m_hits[request.path];

    Response response;
    if (const auto it = m_routes.constFind(request.path); it != m_routes.constEnd())
        response = (*it)(request);
    else
        response = Response{404, "text/html", "<html><body><h1>Not Found</h1></body></html>"};
    if (request.method == "HEAD")
        response.body.clear();

    if (response.delayMs > 0) {
        const QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(response.delayMs, this, [this, guard, response] {
            if (guard)
                answer(guard, response);
        });
    } else {
        answer(socket, response);
    }
}

void HttpServer::answer(QTcpSocket *socket, const Response &response)
{
    if (response.dropConnection) {
        socket->disconnectFromHost();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    if (!response.contentType.isEmpty())
        head += "Content-Type: " + response.contentType + "\r\n";
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
