#include "companion/browsercompanion.h"

#include "platform/cdp/companionlink.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tv {

namespace {

// The largest request id the browser takes.
constexpr qint64 MaxId = 0x7fffffff;

bool peerIsMe(qintptr fd)
{
    ucred cred = {};
    socklen_t length = sizeof cred;
    return ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && cred.uid == ::geteuid();
}

} // namespace

BrowserCompanion::BrowserCompanion(QString socketPath, QString program, QStringList arguments, QObject *parent)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_program(std::move(program)), m_arguments(std::move(arguments))
{
}

BrowserCompanion::~BrowserCompanion()
{
    end();
}

bool BrowserCompanion::listen(QString *error)
{
    const QByteArray path = QFile::encodeName(m_socketPath);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path) {
        *error = QStringLiteral("The socket path %1 is too long.").arg(m_socketPath);
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Somebody listens there already: that companion's browser owns the profile.
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        ::close(fd);
        *error = QStringLiteral("Another companion listens on %1.").arg(m_socketPath);
        return false;
    }
    ::unlink(path.constData()); // left by a companion that has gone
    // The socket is made with mode 0600 from the start, never wider.
    const mode_t mask = ::umask(0177);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, 4) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    m_server = new QLocalServer(this);
    if (!m_server->listen(fd)) {
        *error = m_server->errorString();
        ::close(fd);
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &BrowserCompanion::accept);
    return true;
}

bool BrowserCompanion::start(QString *error)
{
    if (!listen(error))
        return false;
    auto pipe = std::make_unique<CdpPipeTransport>();
    if (!pipe->create(error)) {
        end();
        return false;
    }
    m_pipe = pipe.release();
    m_pipe->setParent(this);
    m_browser = new QProcess(this);
    m_browser->setProgram(m_program);
    m_browser->setArguments(m_arguments + QStringList{CdpPipeTransport::browserSwitch()});
    m_browser->setStandardInputFile(QProcess::nullDevice());
    m_browser->setProcessChannelMode(QProcess::ForwardedChannels);
    const CdpPipeTransport *ends = m_pipe;
    m_browser->setChildProcessModifier([ends] {
        ends->placeBrowserEnds();
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr); // the companion's blocked signals are not the browser's
    });
    m_browser->start();
    if (!m_browser->waitForStarted(20000)) {
        *error = QStringLiteral("The web browser \"%1\" could not be started.").arg(m_program);
        end();
        return false;
    }
    m_pipe->start();
    connect(m_pipe, &CdpTransport::messageReceived, this, &BrowserCompanion::fromBrowser);
    // Without its pipe the browser ends itself; either way this is the end.
    connect(m_pipe, &CdpTransport::disconnected, this, &BrowserCompanion::end);
    connect(m_browser, &QProcess::finished, this, &BrowserCompanion::end);
    return true;
}

void BrowserCompanion::accept()
{
    // A client that has just hung up may not have been noticed yet.
    if (m_client) {
        pollfd p{int(m_client->socketDescriptor()), POLLRDHUP, 0};
        if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) {
            fromClient();
            clientGone();
        }
    }
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        companion::Hello hello;
        if (m_ended)
            hello.refused = QStringLiteral("ending");
        else if (!peerIsMe(socket->socketDescriptor()))
            hello.refused = QStringLiteral("not yours");
        else if (m_client)
            hello.refused = QStringLiteral("in use");
        if (!hello.refused.isEmpty()) {
            socket->write(companion::encodeHello(hello) + '\0');
            socket->disconnectFromServer();
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        m_client = socket;
        m_clientFirstId = m_nextId;
        m_fromClient.clear();
        hello.pid = QCoreApplication::applicationPid();
        hello.browserPid = m_browser->processId();
        hello.firstId = int(m_clientFirstId);
        socket->write(companion::encodeHello(hello) + '\0');
        connect(socket, &QLocalSocket::readyRead, this, &BrowserCompanion::fromClient);
        connect(socket, &QLocalSocket::disconnected, this, &BrowserCompanion::clientGone);
    }
}

void BrowserCompanion::fromClient()
{
    if (!m_client)
        return;
    m_fromClient.append(m_client->readAll());
    for (QByteArray message; m_client && m_fromClient.next(message);) {
        qint64 id = companion::leadingId(message).value_or(-1);
        if (id < 0)
            id = QJsonDocument::fromJson(message).object().value(QLatin1String("id")).toInteger(-1);
        // A reply to an id below the client's first could not be told from an
        // earlier client's; one near the top would leave no ids for later clients.
        if (id < m_clientFirstId || id >= MaxId / 2)
            continue;
        m_nextId = std::max(m_nextId, id + 1);
        m_pipe->sendMessage(message);
    }
    if (m_client && m_fromClient.pending() > CdpTransport::MaxIncomingMessage)
        m_client->abort();
}

void BrowserCompanion::clientGone()
{
    if (!m_client)
        return;
    m_client->disconnect(this);
    m_client->deleteLater();
    m_client = nullptr;
    m_fromClient.clear();
    resetBrowser();
}

void BrowserCompanion::resetBrowser()
{
    if (m_ended || !m_pipe->isOpen())
        return;
    // The browser as a fresh connection finds it: no auto-attach (which would
    // hold every new tab until a debugger lets it run), no discovery, no
    // sessions, each of which would go on sending events.
    sendOwn(QStringLiteral("Target.setAutoAttach"), {{QStringLiteral("autoAttach"), false},
                                                     {QStringLiteral("waitForDebuggerOnStart"), false},
                                                     {QStringLiteral("flatten"), true}});
    sendOwn(QStringLiteral("Target.setDiscoverTargets"), {{QStringLiteral("discover"), false}});
    const QSet<QString> sessions = m_sessions;
    for (const QString &session : sessions) {
        sendOwn(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, session);
        sendOwn(QStringLiteral("Target.detachFromTarget"), {{QStringLiteral("sessionId"), session}});
    }
}

void BrowserCompanion::sendOwn(const QString &method, const QJsonObject &params, const QString &sessionId)
{
    const qint64 id = m_nextId++;
    m_ownIds.insert(id);
    QJsonObject message{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}, {QStringLiteral("params"), params}};
    if (!sessionId.isEmpty())
        message.insert(QStringLiteral("sessionId"), sessionId);
    m_pipe->sendMessage(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void BrowserCompanion::fromBrowser(const QByteArray &message)
{
    std::optional<qint64> id = companion::leadingId(message);
    if (!id && !message.startsWith("{\"method\":")) {
        const QJsonValue v = QJsonDocument::fromJson(message).object().value(QLatin1String("id"));
        if (!v.isUndefined())
            id = v.toInteger(-1);
    }
    if (id) {
        if (m_ownIds.remove(*id) || !m_client || *id < m_clientFirstId)
            return; // ours, or meant for a client that has gone
    } else {
        watchSessions(message);
        if (!m_client)
            return;
    }
    m_client->write(message);
    m_client->write("\0", 1);
}

void BrowserCompanion::watchSessions(const QByteArray &message)
{
    // Only the browser's own sessions matter: a page's frame sessions end with it.
    if (!message.contains("\"Target.attachedToTarget\"") && !message.contains("\"Target.detachedFromTarget\""))
        return;
    const QJsonObject o = QJsonDocument::fromJson(message).object();
    if (o.contains(QLatin1String("sessionId")))
        return;
    const QString method = o.value(QLatin1String("method")).toString();
    const QString session = o.value(QLatin1String("params")).toObject().value(QLatin1String("sessionId")).toString();
    if (method == QLatin1String("Target.attachedToTarget") && !session.isEmpty())
        m_sessions.insert(session);
    else if (method == QLatin1String("Target.detachedFromTarget"))
        m_sessions.remove(session);
}

void BrowserCompanion::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_client) {
        m_client->disconnect(this);
        m_client->abort();
    }
    if (m_server) {
        m_server->close();
        QFile::remove(m_socketPath);
    }
    if (m_pipe)
        m_pipe->close(); // the browser ends without its pipe
    if (m_browser && m_browser->state() != QProcess::NotRunning) {
        m_browser->disconnect(this);
        if (!m_browser->waitForFinished(10000)) {
            m_browser->kill();
            m_browser->waitForFinished(2000);
        }
    }
    emit finished();
}

} // namespace tv
