#include "app/terminalio.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace tv::terminalio {

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n > 0) {
            data += n;
            left -= n;
        } else if (n < 0 && errno == EAGAIN) {
            // A descriptor inherited non-blocking: wait until it takes more.
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, -1);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

void say(const QString &text)
{
    writeAll(STDERR_FILENO, QStringLiteral("tallyvane: %1\n").arg(text).toUtf8());
}

ReadEnd readAll(int fd, QByteArray &out, const std::function<bool()> &interrupted)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            out.append(buffer, n);
        else if (n == 0)
            return ReadEnd::Whole;
        else if (errno == EINTR && interrupted())
            return ReadEnd::Interrupted;
        else if (errno != EINTR)
            return ReadEnd::Failed;
    }
}

void whenAtTop(QObject *context, std::function<void()> act)
{
    if (QThread::currentThread()->loopLevel() <= 1) {
        act();
        return;
    }
    QTimer::singleShot(10, context, [context, act = std::move(act)]() mutable { whenAtTop(context, std::move(act)); });
}

} // namespace tv::terminalio
