#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <functional>

class QTcpSocket;


namespace tvtest {

// A small HTTP/1.1 server on 127.0.0.1 for tests: a fixed answer per path,
// optionally late, cut short, misstating its length or ended by a reset.
// Paths without a route answer 404.
class HttpServer final : public QObject
{
    Q_OBJECT
public:
    struct Response
    {
        int status = 200;
        QByteArray contentType = "text/html";
        QByteArray body;
        int delayMs = 0; // wait this long before the headers
        QList<QPair<QByteArray, QByteArray>> headers = {}; // extra headers
        // How the body is sent: announced with its own length unless
        // declaredLength says otherwise (-1) or omitLength drops the header;
        // cut at cutAfter bytes (-1: whole), then ended as `end` says.
        enum class End { Close, Reset, Hold };
        qint64 declaredLength = -1;
        bool omitLength = false;
        qint64 cutAfter = -1;
        End end = End::Close;
    };

    explicit HttpServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 at a free port.
    bool listen() { return m_server->listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return m_server->serverPort(); }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path); }

    using Handler = std::function<Response()>;
    void route(const QString &path, const Response &response)
    {
        m_routes.insert(path, [response] { return response; });
    }
    // An answer made when asked.
    void route(const QString &path, Handler handler) { m_routes.insert(path, std::move(handler)); }
    // How many requests reached `path` so far.
    int hits(const QString &path) const { return m_hits.value(path); }

    // A port on 127.0.0.1 where nothing listens (taken and released again).
    static quint16 closedPort();

private:
    void onReadyRead(QTcpSocket *socket);
    static void answer(QTcpSocket *socket, const Response &response);
    static void reset(QTcpSocket *socket);

    QTcpServer *m_server;
    QHash<QString, Handler> m_routes;
    QHash<QString, int> m_hits;
};

} // namespace tvtest
