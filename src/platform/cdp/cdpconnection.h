#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>

namespace tv {

class CdpTransport;

// A string member of a protocol object ("" when absent).
inline QString jsonString(const QJsonObject &o, const char *key)
{
    return o.value(QLatin1String(key)).toString();
}

// The answer to one DevTools request: either a result object or an error.
struct CdpReply
{
    bool ok = false;
    QJsonObject result;
    int errorCode = 0;     // protocol error code, or 0 for a transport failure
    QString errorMessage;
};

// One message from the browser, decoded: the reply to request `id`, an
// event, or nothing usable (not JSON, no object, neither id nor method).
struct CdpIncoming
{
    enum class Kind { None, Reply, Event };
    Kind kind = Kind::None;
    int id = 0;
    CdpReply reply;
    QString sessionId;
    QString method;
    QJsonObject params;
};
CdpIncoming decodeCdpMessage(const QByteArray &message);

// One connection to a browser's DevTools endpoint. Requests are matched to
// their replies by id; events are handed on with their session ("" for the
// browser itself). Incoming messages are queued and dispatched from the event
// loop, never from inside the socket's own signal, so a handler may wait in a
// nested event loop without starving the socket.
class CdpConnection final : public QObject
{
    Q_OBJECT
public:
    using ReplyHandler = std::function<void(const CdpReply &)>;

    explicit CdpConnection(QObject *parent = nullptr);
    ~CdpConnection() override;

    // Connects over a WebSocket and waits up to timeoutMs; false on failure.
    bool open(const QUrl &endpoint, int timeoutMs);
    // Takes over a transport that is connected already (a browser's pipes);
    // request ids count on from firstId.
    void open(std::unique_ptr<CdpTransport> transport, int firstId = 1);
    bool isOpen() const;
    void close();

    // Sends a request; `handler` runs once with the reply, with a transport
    // failure when the connection closes first or when timeoutMs passes.
    int send(const QString &method, const QJsonObject &params = {}, const QString &sessionId = {},
             ReplyHandler handler = {}, int timeoutMs = 0);
    // Sends and waits (letting events run) up to timeoutMs.
    CdpReply call(const QString &method, const QJsonObject &params = {}, const QString &sessionId = {},
                  int timeoutMs = 10000);

    struct Request
    {
        QString method;
        QJsonObject params;
        QString sessionId;
    };
    // Sends all requests at once and waits for every reply (same order).
    QList<CdpReply> callAll(const QList<Request> &requests, int timeoutMs = 10000);

    int pendingCount() const { return int(m_pending.size()); }

    // Routes one raw message as if it had come from the socket (queued).
    void receive(const QByteArray &message);

signals:
    void eventReceived(const QString &sessionId, const QString &method, const QJsonObject &params);
    // The connection ended (browser closed, crashed, or close() was called).
    void closed();

private:
    void dispatchQueued();
    void dispatchOne(const QByteArray &message);
    void finish(int id, const CdpReply &reply);
    void failAll(const QString &why);
    void scheduleDispatch();

    void dropTransport();

    CdpTransport *m_transport = nullptr;
    QHash<int, ReplyHandler> m_pending; // request id -> who waits for the reply
    std::deque<QByteArray> m_inbox;
    bool m_dispatchScheduled = false;
    bool m_closedSignalled = false;
    int m_nextId = 1;
};

} // namespace tv
