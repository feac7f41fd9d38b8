#include "platform/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

namespace tv {

namespace {

QString runtimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

QString userName()
{
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
    return user.isEmpty() ? QStringLiteral("user") : user;
}

constexpr char Ack = '\x01';
constexpr quint32 BuildFlag = 0x80000000u;

// The byte length a message announces, or -1 when no copy could accept it.
qint64 announcedLength(const char *header, SingleInstance::Request *request)
{
    const quint32 field = qFromLittleEndian<quint32>(header);
    const quint32 length = field & ~BuildFlag;
    if (request)
        *request = field & BuildFlag ? SingleInstance::Request::Build : SingleInstance::Request::PageInFront;
    if (length % 2 != 0 || length > quint32(SingleInstance::MaxAddressChars) * 2)
        return -1;
    return length;
}

} // namespace

SingleInstance::SingleInstance(const QString &id, QObject *parent) : QObject(parent), m_id(id) {}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::socketPath() const
{
    return runtimeFolder() + u'/' + m_id + u'-' + userName() + QStringLiteral(".sock");
}

QString SingleInstance::lockPath() const
{
    return runtimeFolder() + u'/' + m_id + u'-' + userName() + QStringLiteral(".lock");
}

bool SingleInstance::tryBecomeFirst()
{
    if (m_server)
        return true;
    auto lock = std::make_unique<QLockFile>(lockPath());
    // Only a lock whose process is gone is stale, however old it is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);

    // We hold the lock, so a socket file left here belongs to a copy that died.
    QLocalServer::removeServer(socketPath());
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath())) {
        delete server;
        // Still the only copy; it just cannot be reached by a second start.
        m_server = nullptr;
        return true;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

QByteArray SingleInstance::encode(const QString &address, Request request)
{
    QByteArray bytes(4, Qt::Uninitialized);
    const quint32 length = quint32(address.size() * 2) | (request == Request::Build ? BuildFlag : 0);
    qToLittleEndian(length, bytes.data());
    for (QChar c : address) {
        char le[2];
        qToLittleEndian<quint16>(c.unicode(), le);
        bytes.append(le, 2);
    }
    return bytes;
}

bool SingleInstance::decode(const QByteArray &bytes, QString *address, qsizetype *consumed, Request *request)
{
    if (bytes.size() < 4)
        return false;
    const qint64 length = announcedLength(bytes.constData(), request);
    if (length < 0)
        return false;
    if (bytes.size() < 4 + length)
        return false;
    QString text(length / 2, Qt::Uninitialized);
    for (qint64 i = 0; i < length / 2; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 4 + 2 * i));
    *address = text;
    *consumed = 4 + length;
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        // A peer that never finishes its message is dropped.
        QTimer::singleShot(3000, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    const QByteArray pending = socket->peek(socket->bytesAvailable());
    if (pending.size() >= 4 && announcedLength(pending.constData(), nullptr) < 0) {
        socket->abort();
        return;
    }
    QString address;
    qsizetype consumed = 0;
    Request request = Request::PageInFront;
    if (!decode(pending, &address, &consumed, &request))
        return;
    socket->read(consumed);
    if (request == Request::Build)
        emit buildRequested(address);
    else
        emit handedOver(address);
    socket->write(&Ack, 1);
    socket->flush();
    socket->disconnectFromServer();
}

bool SingleInstance::handOver(const QString &address, int timeoutMs, Request request) const
{
    QDeadlineTimer deadline(timeoutMs);
    // The first copy may still be starting: try again until it listens.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(encode(address, request));
            if (!socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime()))))
                return false;
            while (socket.bytesAvailable() < 1) {
                if (deadline.hasExpired() || !socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
                    return false;
            }
            return socket.read(1) == QByteArray(1, Ack);
        }
        QThread::msleep(50);
    }
    return false;
}

} // namespace tv
