#include "platform/cdp/cdptransport.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebSocket>

namespace tv {

CdpWebSocketTransport::CdpWebSocketTransport(QObject *parent)
    : CdpTransport(parent), m_socket(new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this))
{
    m_socket->setMaxAllowedIncomingMessageSize(MaxIncomingMessage);
    m_socket->setMaxAllowedIncomingFrameSize(MaxIncomingMessage);
}

CdpWebSocketTransport::~CdpWebSocketTransport()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

bool CdpWebSocketTransport::open(const QUrl &endpoint, int timeoutMs)
{
    QEventLoop loop;
    bool failed = false;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, [&] { failed = true; loop.quit(); });
    connect(m_socket, &QWebSocket::connected, &loop, &QEventLoop::quit);
    connect(m_socket, &QWebSocket::disconnected, &loop, [&] { failed = true; loop.quit(); });
    connect(m_socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), &loop,
            [&](QAbstractSocket::SocketError) { failed = true; loop.quit(); });
    m_socket->open(endpoint);
    timer.start(timeoutMs);
    loop.exec();
    if (failed || m_socket->state() != QAbstractSocket::ConnectedState) {
        m_socket->abort();
        m_ended = true;
        return false;
    }
    connect(m_socket, &QWebSocket::textMessageReceived, this, [this](const QString &m) { emit messageReceived(m.toUtf8()); });
    connect(m_socket, &QWebSocket::binaryMessageReceived, this, &CdpTransport::messageReceived);
    connect(m_socket, &QWebSocket::disconnected, this, [this] {
        if (!std::exchange(m_ended, true))
            emit disconnected();
    });
    return true;
}

bool CdpWebSocketTransport::isOpen() const
{
    return !m_ended && m_socket->state() == QAbstractSocket::ConnectedState;
}

void CdpWebSocketTransport::sendMessage(const QByteArray &message)
{
    m_socket->sendTextMessage(QString::fromUtf8(message));
}

void CdpWebSocketTransport::close()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_socket->close(); // disconnected() follows from the socket
        return;
    }
    if (!std::exchange(m_ended, true))
        emit disconnected();
}

} // namespace tv
