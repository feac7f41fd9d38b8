#pragma once

// An X server and an openbox of the test's own, each stopped by its own id,
// for tests that need a real window manager. Header-only: it needs
// winsupport/, which the support library does not see.

#include "support/testenv.h"
#include "winsupport/x11window.h"

#include <QAbstractScrollArea>
#include <QDeadlineTimer>
#include <QScrollBar>
#include <QTest>
#include <QDir>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <csignal>
#include <initializer_list>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tvtest {

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

    // Points DISPLAY and Qt at the new server.
    bool start(const char *screen = "1024x768x24")
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        const std::string fd = std::to_string(fds[1]);
        m_server = spawn({"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp"});
        ::close(fds[1]);
        char number[16] = {};
        const ssize_t n = m_server > 0 ? ::read(fds[0], number, sizeof number - 1) : -1;
        ::close(fds[0]);
        if (n <= 0)
            return false;
        qputenv("DISPLAY", ":" + QByteArray(number, int(n)).trimmed());
        qputenv("QT_QPA_PLATFORM", "xcb");
        m_wm = spawn({"openbox", "--sm-disable"});
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
        for (QDeadlineTimer deadline(15000); !deadline.hasExpired();) {
            probe.hide();
            probe.show();
            for (QDeadlineTimer retry(1000); !retry.hasExpired(); QThread::msleep(50)) {
                if (!tv::x11::property32(probe.winId(), "_NET_FRAME_EXTENTS").isEmpty())
                    return true;
                QCoreApplication::processEvents();
            }
        }
        qWarning("the window manager did not come up");
        return false;
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

// Saves the whole screen, decorations included, where TALLYVANE_SCREENSHOTS points.
inline void snapshot(const QString &name)
{
    const QString dir = qEnvironmentVariable("TALLYVANE_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    // Give the manager time to draw its frame anew.
    for (QDeadlineTimer settle(300); !settle.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

// Counts the resizes of a widget.
class ResizeCounter : public QObject
{
public:
    explicit ResizeCounter(QWidget *w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Resize;
        return false;
    }
};

// Runs the events of a while; true when the area's viewport was not resized
// in the second half and its horizontal range stayed put: a layout that does
// not settle resizes the viewport again and again.
inline bool staysIdle(QAbstractScrollArea &area)
{
    QTest::qWait(60);
    ResizeCounter resizes(area.viewport());
    const int range = area.horizontalScrollBar()->maximum();
    QTest::qWait(120);
    return resizes.count == 0 && area.horizontalScrollBar()->maximum() == range;
}

} // namespace tvtest

// Like TV_TEST_MAIN, on a display of the test's own with a window manager:
// the session starts before the application and stops after it. `setup`
// runs first (environment the application reads at its start).
#define TV_WM_TEST_MAIN(TestObject, screen, setup)                                                                     \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        const QTemporaryDir folders = tvtest::isolateUserFolders();                                                    \
        tvtest::WindowManagerSession wm;                                                                               \
        if (!wm.start(screen)) {                                                                                       \
            qWarning("Xvfb or openbox did not start");                                                                 \
            return 1;                                                                                                  \
        }                                                                                                              \
        setup;                                                                                                         \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        if (!tvtest::WindowManagerSession::waitForManager())                                                           \
            return 1;                                                                                                  \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
