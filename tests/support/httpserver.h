#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace tvtest {

// A small HTTP/1.1 server on 127.0.0.1 for tests: a fixed answer per path,
// optionally late. Every answer closes its connection; paths without a route
// answer 404.
//
//   tvtest::HttpServer server;
//   QVERIFY(server.listen());
//   server.route("/a.html", {200, "text/html", "<a href=b.html>b</a>"});
//   server.route("/slow", {200, "text/html", "late", /*delayMs*/ 2000});
//   browser->navigate(server.url("/a.html"));   // "http://127.0.0.1:<port>/a.html"
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
    };

    explicit HttpServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 at a free port.
    bool listen();
    quint16 port() const;
    // "http://127.0.0.1:<port><path>"
    QString url(const QString &path) const;

    void route(const QString &path, const Response &response) { m_routes.insert(path, response); }
    // How many requests reached `path` so far.
    int hits(const QString &path) const { return m_hits.value(path); }

    // A port on 127.0.0.1 where nothing listens (taken and released again).
    static quint16 closedPort();

private:
    void onReadyRead(QTcpSocket *socket);
    static void answer(QTcpSocket *socket, const Response &response);

    QTcpServer *m_server;
    QHash<QString, Response> m_routes;
    QHash<QString, int> m_hits;
};

} // namespace tvtest
