// tallyvane-companion SOCKET PROGRAM [ARGUMENT...]
// Started by Tallyvane: runs the viewer's browser (PROGRAM with its
// arguments and --remote-debugging-pipe) and offers its DevTools pipe on the
// Unix-domain socket SOCKET until the browser ends.
#include "companion/browsercompanion.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>

#include <sys/signalfd.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOCKET PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    // The browser outlives Tallyvane and the terminal it was started from.
    ::setsid();
    std::signal(SIGHUP, SIG_IGN);
    // Asked to end (at logout, say), it ends the browser and removes its
    // socket as when the browser ends. The browser gets the signals back.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGINT);
    ::sigprocmask(SIG_BLOCK, &endSignals, nullptr);
    const int signalFd = ::signalfd(-1, &endSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    tv::BrowserCompanion companion(args.at(1), args.at(2), args.mid(3));
    QObject::connect(&companion, &tv::BrowserCompanion::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QSocketNotifier ending(signalFd, QSocketNotifier::Read);
    QObject::connect(&ending, &QSocketNotifier::activated, &companion, &tv::BrowserCompanion::stop);
    QString error;
    if (!companion.start(&error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], qPrintable(error));
        return 1;
    }
    return app.exec();
}
