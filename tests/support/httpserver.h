#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;

namespace tvtest {

// A small HTTP/1.1 server on 127.0.0.1 for tests: fixed or generated answers
// per path, optionally late or cut off. Every answer closes its connection.
//
//   tvtest::HttpServer server;
//   QVERIFY(server.listen());
//   server.route("/a.html", {200, "text/html", "<a href=b.html>b</a>"});
//   server.route("/slow", {200, "text/html", "late", /*delayMs*/ 2000});
//   server.route("/gen", [](const auto &req) { return HttpServer::Response{200, "text/plain", req.query.toUtf8()}; });
//   browser->navigate(server.url("/a.html"));   // "http://127.0.0.1:<port>/a.html"
//
// Paths without a route answer 404 with a short HTML body.
class HttpServer final : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QString path;   // without the query
        QString query;  // after '?', undecoded
        QHash<QByteArray, QByteArray> headers; // names in lower case
    };
    struct Response
    {
        Response(int status_ = 200, QByteArray contentType_ = "text/html", QByteArray body_ = {}, int delayMs_ = 0,
                 bool dropConnection_ = false)
            : status(status_), contentType(std::move(contentType_)), body(std::move(body_)), delayMs(delayMs_),
              dropConnection(dropConnection_)
        {
        }
        int status = 200;
        QByteArray contentType = "text/html";
        QByteArray body;
        int delayMs = 0;             // wait this long before the headers
        bool dropConnection = false; // close without answering (an empty response)
        QList<QPair<QByteArray, QByteArray>> headers; // extra headers
        // How the body is sent: announced with its own length unless
        // declaredLength says otherwise (-1) or omitLength drops the header;
        // cut at cutAfter bytes (-1: whole), then ended as `end` says.
        enum class End { Close, Reset, Hold };
        qint64 declaredLength = -1;
        bool omitLength = false;
        qint64 cutAfter = -1;
        End end = End::Close;
    };
    using Handler = std::function<Response(const Request &)>;

    explicit HttpServer(QObject *parent = nullptr);
    ~HttpServer() override;

    // Listens on 127.0.0.1 at a free port.
    bool listen();
    quint16 port() const;
    // "http://127.0.0.1:<port><path>"
    QString url(const QString &path) const;

    void route(const QString &path, const Response &response);
    void route(const QString &path, Handler handler);

    // How many requests reached `path` so far.
    int hits(const QString &path) const { return m_hits.value(path); }
    QList<Request> requests() const { return m_requests; }

    // A port on 127.0.0.1 where nothing listens (taken and released again).
    static quint16 closedPort();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Response &response);
    static void reset(QTcpSocket *socket);

    QTcpServer *m_server;
    QHash<QString, Handler> m_routes;
    QHash<QString, int> m_hits;
    QList<Request> m_requests;
};

} // namespace tvtest
