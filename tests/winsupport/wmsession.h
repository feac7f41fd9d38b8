#pragma once

#include "winsupport/x11window.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace tvtest {

// An X server of the test's own with a real window manager on it, each
// stopped by its own process id. start() points DISPLAY and Qt at it, so it
// must run before the QApplication is made; stop only after it is gone.
class WindowManagerSession
{
public:
    WindowManagerSession() = default;
    WindowManagerSession(const WindowManagerSession &) = delete;
    WindowManagerSession &operator=(const WindowManagerSession &) = delete;
    ~WindowManagerSession()
    {
        for (pid_t pid : {m_wm, m_server}) {
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
        }
    }

    bool start()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        const std::string fd = std::to_string(fds[1]);
        m_server = spawn({"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ::close(fds[1]);
        char number[16] = {};
        const ssize_t n = m_server > 0 ? ::read(fds[0], number, sizeof number - 1) : -1;
        ::close(fds[0]);
        if (n <= 0) {
            std::fprintf(stderr, "Xvfb did not start\n");
            return false;
        }
        const QByteArray display = ":" + QByteArray(number, int(n)).trimmed();
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        m_wm = spawn({"openbox", "--sm-disable"});
        if (m_wm <= 0)
            std::fprintf(stderr, "openbox did not start\n");
        return m_wm > 0;
    }

    // Waits until the manager frames a window of ours: it announces itself on
    // the root window before it is ready to manage anything, and a window
    // mapped while it starts up may be left unmapped, so the probe is shown
    // again until it is framed.
    static bool waitForManager()
    {
        QWidget probe;
        probe.resize(50, 50);
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            probe.hide();
            probe.show();
            for (QDeadlineTimer retry(1000); !retry.hasExpired(); QThread::msleep(50)) {
                if (!tv::x11::property32(probe.winId(), "_NET_FRAME_EXTENTS").isEmpty())
                    return true;
                QCoreApplication::processEvents();
            }
        }
        std::fprintf(stderr, "the window manager did not come up\n");
        return false;
    }

    // Saves the whole screen, decorations included, where TALLYVANE_SCREENSHOTS points.
    static void snapshot(const QString &name)
    {
        const QString dir = qEnvironmentVariable("TALLYVANE_SCREENSHOTS");
        if (dir.isEmpty())
            return;
        // Give the manager time to draw its frame anew.
        QDeadlineTimer settle(300);
        while (!settle.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }

private:
    static pid_t spawn(std::initializer_list<const char *> args)
    {
        std::vector<char *> argv;
        for (const char *a : args)
            argv.push_back(const_cast<char *>(a));
        argv.push_back(nullptr);
        pid_t pid = 0;
        return ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
    }

    pid_t m_server = -1;
    pid_t m_wm = -1;
};

// The X window now behind a widget: Qt makes a new one when a window shown
// again has changed its stays-on-top flag, and QWidget::winId() misses that.
inline WId xid(const QWidget &w)
{
    return w.windowHandle()->winId();
}

inline QList<QByteArray> allowedActions(const QWidget &w)
{
    return tv::x11::atomNames(xid(w), "_NET_WM_ALLOWED_ACTIONS");
}

} // namespace tvtest

// Like TV_TEST_MAIN, on a display of the test's own with a window manager.
#define TV_WM_TEST_MAIN(TestObject)                                                                                    \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        tvtest::IsolatedUserFolders folders;                                                                           \
        tvtest::WindowManagerSession wm;                                                                               \
        if (!wm.start())                                                                                               \
            return 1;                                                                                                  \
        int result = 1;                                                                                                \
        {                                                                                                              \
            QApplication app(argc, argv);                                                                              \
            app.setAttribute(Qt::AA_Use96Dpi, true);                                                                   \
            if (tvtest::WindowManagerSession::waitForManager()) {                                                      \
                TestObject tc;                                                                                         \
                QTEST_SET_MAIN_SOURCE_PATH                                                                             \
                result = QTest::qExec(&tc, argc, argv);                                                                \
            }                                                                                                          \
        }                                                                                                              \
        return result;                                                                                                 \
    }
