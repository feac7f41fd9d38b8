#include "platform/cdp/cdpsockettransport.h"

#include "platform/boundedwait.h"

#include <QLocalSocket>
#include <QPointer>

namespace tv {

CdpSocketTransport::CdpSocketTransport(QObject *parent) : CdpTransport(parent), m_socket(new QLocalSocket(this)) {}

CdpSocketTransport::~CdpSocketTransport()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

CdpSocketTransport::Result CdpSocketTransport::open(const QString &path, int timeoutMs)
{
    connect(m_socket, &QLocalSocket::readyRead, this, &CdpSocketTransport::readAvailable);
    connect(m_socket, &QLocalSocket::disconnected, this, &CdpSocketTransport::end);
    m_socket->connectToServer(path);
    if (m_socket->state() == QLocalSocket::UnconnectedState) {
        const auto error = m_socket->error();
        m_ended = true;
        return error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError
                   ? Result::NoCompanion
                   : Result::Failed;
    }
    waitUntil([this] { return m_greeted || m_ended; }, timeoutMs);
    if (m_greeted && m_hello.refused.isEmpty())
        return Result::Connected;
    const bool refused = m_greeted;
    m_socket->abort();
    m_ended = true;
    return refused ? Result::Refused : Result::Failed;
}

bool CdpSocketTransport::isOpen() const
{
    return m_greeted && !m_ended;
}

void CdpSocketTransport::sendMessage(const QByteArray &message)
{
    if (!isOpen())
        return;
    m_socket->write(message);
    m_socket->write("\0", 1);
}

void CdpSocketTransport::close()
{
    end();
}

void CdpSocketTransport::readAvailable()
{
    m_in.append(m_socket->readAll());
    const QPointer<CdpSocketTransport> self(this);
    for (QByteArray message; !m_ended && m_in.next(message);) {
        if (!m_greeted) {
            const auto hello = companion::decodeHello(message);
            if (!hello) {
                end(); // not a companion
                return;
            }
            m_hello = *hello;
            m_greeted = true;
            continue;
        }
        emit messageReceived(message);
        if (!self)
            return;
    }
    if (m_in.pending() > MaxIncomingMessage)
        end(); // a runaway message: the connection cannot be trusted any further
}

void CdpSocketTransport::end()
{
    if (m_ended)
        return;
    const bool wasOpen = m_greeted;
    m_ended = true;
    m_socket->disconnect(this);
    m_socket->abort();
    m_in.clear();
    if (wasOpen)
        emit disconnected();
}

} // namespace tv
