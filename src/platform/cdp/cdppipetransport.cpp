#include "platform/cdp/cdppipetransport.h"

#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace tv {

namespace {

constexpr qsizetype ReadChunk = 256 * 1024;
// Read per wake-up before other events get their turn.
constexpr qsizetype ReadBudget = 8 * 1024 * 1024;
// Larger pipes take big snapshots in fewer reads; the system may refuse.
constexpr int ReplyPipeSize = 1024 * 1024;

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

char *CdpFrameReader::reserve(qsizetype n)
{
    const qsizetype had = m_in.size();
    m_in.resize(had + n);
    return m_in.data() + had;
}

void CdpFrameReader::commit(qsizetype reserved, qsizetype used)
{
    m_in.resize(m_in.size() - reserved + std::max<qsizetype>(used, 0));
}

void CdpFrameReader::append(QByteArrayView bytes)
{
    m_in.append(bytes);
}

bool CdpFrameReader::next(QByteArray &message)
{
    for (qsizetype nul; (nul = m_in.indexOf('\0', std::max(m_from, m_scanned))) >= 0;) {
        message = m_in.mid(m_from, nul - m_from);
        m_from = nul + 1;
        if (!message.isEmpty())
            return true;
    }
    if (m_from == m_in.size())
        m_in.clear(); // gives back the room a big message took
    else
        m_in.remove(0, m_from);
    m_from = 0;
    m_scanned = m_in.size();
    return false;
}

void CdpFrameReader::clear()
{
    m_in.clear();
    m_from = m_scanned = 0;
}

QString CdpPipeTransport::browserSwitch()
{
    return QStringLiteral("--remote-debugging-pipe");
}

CdpPipeTransport::CdpPipeTransport(QObject *parent) : CdpTransport(parent) {}

CdpPipeTransport::~CdpPipeTransport()
{
    delete m_readable;
    delete m_writable;
    closeFd(m_commands);
    closeFd(m_replies);
    closeBrowserEnds();
}

bool CdpPipeTransport::create(QString *error)
{
    // A write to a browser that has just died must fail with EPIPE, not end
    // this program.
    std::signal(SIGPIPE, SIG_IGN);
    int commands[2] = {-1, -1};
    int replies[2] = {-1, -1};
    // Close-on-exec keeps these out of every other program started meanwhile;
    // the browser gets its copies explicitly.
    if (::pipe2(commands, O_CLOEXEC) != 0 || ::pipe2(replies, O_CLOEXEC) != 0) {
        const int why = errno;
        for (int fd : {commands[0], commands[1], replies[0], replies[1]})
            if (fd >= 0)
                ::close(fd);
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(why));
        return false;
    }
    m_browserCommands = commands[0];
    m_commands = commands[1];
    m_replies = replies[0];
    m_browserReplies = replies[1];
    // Only this side waits without blocking; the browser's ends stay as it expects them.
    ::fcntl(m_commands, F_SETFL, ::fcntl(m_commands, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_replies, F_SETFL, ::fcntl(m_replies, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_replies, F_SETPIPE_SZ, ReplyPipeSize);
    return true;
}

void CdpPipeTransport::placeBrowserEnds() const noexcept
{
    // Copies above 4 first: either end may itself be descriptor 3 or 4.
    const int commands = ::fcntl(m_browserCommands, F_DUPFD, 5);
    const int replies = ::fcntl(m_browserReplies, F_DUPFD, 5);
    if (commands < 0 || replies < 0)
        return; // the browser then finds no pipe and ends at once
    ::dup2(commands, 3);
    ::dup2(replies, 4);
    ::close(commands);
    ::close(replies);
}

void CdpPipeTransport::closeBrowserEnds()
{
    closeFd(m_browserCommands);
    closeFd(m_browserReplies);
}

void CdpPipeTransport::start()
{
    if (m_started || m_ended)
        return;
    m_started = true;
    closeBrowserEnds();
    m_readable = new QSocketNotifier(m_replies, QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &CdpPipeTransport::readAvailable);
    m_writable = new QSocketNotifier(m_commands, QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &CdpPipeTransport::writePending);
    writePending();
}

bool CdpPipeTransport::isOpen() const
{
    return m_started && !m_ended;
}

void CdpPipeTransport::sendMessage(const QByteArray &message)
{
    if (m_ended)
        return;
    m_out.append(message);
    m_out.append('\0');
    if (m_started)
        writePending();
}

void CdpPipeTransport::writePending()
{
    while (!m_out.isEmpty() && !m_ended) {
        const ssize_t n = ::write(m_commands, m_out.constData(), size_t(m_out.size()));
        if (n > 0) {
            m_out.remove(0, n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writable->setEnabled(true); // the browser is busy; go on when it reads
            return;
        } else {
            // The browser has gone: take what it said before it went, then end.
            readAvailable();
            end();
            return;
        }
    }
    if (m_writable)
        m_writable->setEnabled(false);
}

void CdpPipeTransport::readAvailable()
{
    if (m_ended)
        return;
    bool gone = false;
    for (qsizetype budget = ReadBudget; budget > 0;) {
        char *room = m_in.reserve(ReadChunk);
        const ssize_t n = ::read(m_replies, room, size_t(ReadChunk));
        m_in.commit(ReadChunk, n);
        if (n > 0) {
            budget -= n;
        } else if (n == 0) {
            gone = true; // every copy of the browser's end is closed: it has ended
            break;
        } else if (errno != EINTR) {
            gone = errno != EAGAIN && errno != EWOULDBLOCK;
            break;
        }
    }

    const QPointer<CdpPipeTransport> self(this);
    for (QByteArray message; m_in.next(message);) {
        emit messageReceived(message);
        if (!self || m_ended)
            return;
    }
    if (m_in.pending() > MaxIncomingMessage)
        gone = true; // a runaway message: the connection cannot be trusted any further
    if (gone)
        end();
}

void CdpPipeTransport::close()
{
    end();
}

void CdpPipeTransport::end()
{
    if (m_ended)
        return;
    m_ended = true;
    // Either may be the very notifier whose signal is running now.
    for (QSocketNotifier *n : {std::exchange(m_readable, nullptr), std::exchange(m_writable, nullptr)}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    closeFd(m_commands);
    closeFd(m_replies);
    closeBrowserEnds();
    m_in.clear();
    m_out.clear();
    emit disconnected();
}

} // namespace tv
