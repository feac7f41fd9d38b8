#include "platform/cdp/cdpconnection.h"

#include "platform/cdp/cdptransport.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>

Q_LOGGING_CATEGORY(lcCdp, "tallyvane.cdp", QtWarningMsg)

namespace tv {

CdpIncoming decodeCdpMessage(const QByteArray &message)
{
    CdpIncoming in;
    QJsonParseError error;
    const QJsonObject m = QJsonDocument::fromJson(message, &error).object();
    if (error.error != QJsonParseError::NoError)
        return in;
    const auto idValue = m.value(QStringLiteral("id"));
    if (!idValue.isUndefined()) {
        in.kind = CdpIncoming::Kind::Reply;
        in.id = idValue.toInt();
        if (m.contains(QStringLiteral("error"))) {
            const QJsonObject err = m.value(QStringLiteral("error")).toObject();
            in.reply.errorCode = err.value(QStringLiteral("code")).toInt();
            in.reply.errorMessage = err.value(QStringLiteral("message")).toString();
        } else {
            in.reply.ok = true;
            in.reply.result = m.value(QStringLiteral("result")).toObject();
        }
        return in;
    }
    in.method = m.value(QStringLiteral("method")).toString();
    if (in.method.isEmpty())
        return in;
    in.kind = CdpIncoming::Kind::Event;
    in.sessionId = m.value(QStringLiteral("sessionId")).toString();
    in.params = m.value(QStringLiteral("params")).toObject();
    return in;
}

CdpConnection::CdpConnection(QObject *parent) : QObject(parent) {}

CdpConnection::~CdpConnection()
{
    // Waiting callers must learn that no answer will come.
    failAll(QStringLiteral("The connection to the web browser was closed."));
    dropTransport();
}

void CdpConnection::dropTransport()
{
    if (!m_transport)
        return;
    m_transport->disconnect(this);
    m_transport->close();
    // Its own signal may be running further up the stack.
    m_transport->deleteLater();
    m_transport = nullptr;
}

bool CdpConnection::open(const QUrl &endpoint, int timeoutMs)
{
    auto socket = std::make_unique<CdpWebSocketTransport>();
    if (!socket->open(endpoint, timeoutMs)) {
        dropTransport();
        return false;
    }
    open(std::move(socket));
    return true;
}

void CdpConnection::open(std::unique_ptr<CdpTransport> transport, int firstId)
{
    dropTransport();
    m_nextId = std::max(m_nextId, firstId);
    m_transport = transport.release();
    m_transport->setParent(this);
    m_closedSignalled = false;
    connect(m_transport, &CdpTransport::messageReceived, this, &CdpConnection::receive);
    connect(m_transport, &CdpTransport::disconnected, this, [this] {
        m_inbox.push_back(QByteArray()); // marks the end of the stream
        scheduleDispatch();
    });
    if (!m_transport->isOpen()) {
        m_inbox.push_back(QByteArray());
        scheduleDispatch();
    }
}

bool CdpConnection::isOpen() const
{
    return m_transport && m_transport->isOpen() && !m_closedSignalled;
}

void CdpConnection::close()
{
    if (m_transport && m_transport->isOpen())
        m_transport->close(); // its disconnected() ends the stream
    else if (!m_closedSignalled) {
        m_inbox.push_back(QByteArray());
        scheduleDispatch();
    }
}

int CdpConnection::send(const QString &method, const QJsonObject &params, const QString &sessionId,
                        ReplyHandler handler, int timeoutMs)
{
    const int id = m_nextId++;
    QJsonObject message{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}};
    if (!params.isEmpty())
        message.insert(QStringLiteral("params"), params);
    if (!sessionId.isEmpty())
        message.insert(QStringLiteral("sessionId"), sessionId);
    m_pending.insert(id, std::move(handler));
    if (!isOpen()) {
        QTimer::singleShot(0, this, [this, id] {
            finish(id, CdpReply{false, {}, 0, QStringLiteral("The web browser is not connected.")});
        });
        return id;
    }
    if (timeoutMs > 0) {
        QTimer::singleShot(timeoutMs, this, [this, id, method] {
            finish(id, CdpReply{false, {}, 0, QStringLiteral("The web browser did not answer in time (%1).").arg(method)});
        });
    }
    const QByteArray text = QJsonDocument(message).toJson(QJsonDocument::Compact);
    qCDebug(lcCdp).noquote() << "->" << text.left(65536);
    m_transport->sendMessage(text);
    return id;
}

CdpReply CdpConnection::call(const QString &method, const QJsonObject &params, const QString &sessionId,
                             int timeoutMs)
{
    // Everything the handler touches lives on this stack frame, so the wait
    // is safe even if the connection is deleted while it runs.
    CdpReply out;
    bool done = false;
    QEventLoop loop;
    send(method, params, sessionId,
         [&](const CdpReply &r) {
             out = r;
             done = true;
             loop.quit();
         },
         timeoutMs);
    if (!done)
        loop.exec();
    return out;
}

QList<CdpReply> CdpConnection::callAll(const QList<Request> &requests, int timeoutMs)
{
    QList<CdpReply> out(requests.size());
    qsizetype open = requests.size();
    QEventLoop loop;
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const Request &r = requests.at(i);
        send(r.method, r.params, r.sessionId,
             [&, i](const CdpReply &reply) {
                 out[i] = reply;
                 if (--open == 0)
                     loop.quit();
             },
             timeoutMs);
    }
    if (open > 0)
        loop.exec();
    return out;
}

void CdpConnection::receive(const QByteArray &message)
{
    m_inbox.push_back(message.isEmpty() ? QByteArray("{}") : message);
    scheduleDispatch();
}

void CdpConnection::scheduleDispatch()
{
    if (m_dispatchScheduled)
        return;
    m_dispatchScheduled = true;
    QMetaObject::invokeMethod(this, &CdpConnection::dispatchQueued, Qt::QueuedConnection);
}

void CdpConnection::dispatchQueued()
{
    m_dispatchScheduled = false;
    QPointer<CdpConnection> self(this);
    while (self && !m_inbox.empty()) {
        const QByteArray message = std::move(m_inbox.front());
        m_inbox.pop_front();
        if (message.isEmpty()) {
            if (!m_closedSignalled) {
                m_closedSignalled = true;
                failAll(QStringLiteral("The connection to the web browser was closed."));
                if (self)
                    emit closed();
            }
            continue;
        }
        dispatchOne(message);
    }
}

void CdpConnection::dispatchOne(const QByteArray &message)
{
    qCDebug(lcCdp).noquote() << "<-" << message.left(65536);
    const CdpIncoming in = decodeCdpMessage(message);
    if (in.kind == CdpIncoming::Kind::Reply)
        finish(in.id, in.reply);
    else if (in.kind == CdpIncoming::Kind::Event)
        emit eventReceived(in.sessionId, in.method, in.params);
}

void CdpConnection::finish(int id, const CdpReply &reply)
{
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return; // answered already, or timed out
    ReplyHandler handler = std::move(*it);
    m_pending.erase(it);
    if (handler)
        handler(reply);
}

void CdpConnection::failAll(const QString &why)
{
    const QList<int> ids = m_pending.keys();
    for (int id : ids)
        finish(id, CdpReply{false, {}, 0, why});
}

} // namespace tv
