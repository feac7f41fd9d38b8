// The program in a Wayland session of the test's own (a headless weston,
// stopped by its own id): it starts, builds a list from an address it was
// started with, opens a link and saves targets, and what only X11 can do
// passes without a word on the log.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "platform/cdp/cdpcomponent.h"
#include "saving/savingfilesdialog.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/mainwindowfixture.h"
#include "support/testenv.h"
#include "winsupport/filedialogs.h"
#include "winsupport/mouseover.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

using namespace tv;

namespace {

constexpr int LoadBound = 30000;

// weston without a screen, stopped by its own id; Qt is pointed at it.
struct Compositor
{
    pid_t pid = -1;
    ~Compositor()
    {
        if (pid > 0 && ::kill(pid, SIGTERM) == 0)
            ::waitpid(pid, nullptr, 0);
    }
    bool start()
    {
        const char *argv[] = {"weston", "--backend=headless-backend.so", "--socket=tallyvane-test", "--idle-time=0",
                              "--log=/dev/null", nullptr};
        if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ) != 0) {
            pid = -1;
            return false;
        }
        const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/tallyvane-test");
        for (QDeadlineTimer deadline(15000); !QFileInfo::exists(socket); QThread::msleep(50)) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid)
                pid = -1;
            if (pid < 0 || deadline.hasExpired())
                return false;
        }
        qputenv("WAYLAND_DISPLAY", "tallyvane-test");
        qputenv("QT_QPA_PLATFORM", "wayland");
        qunsetenv("DISPLAY");
        return true;
    }
};

} // namespace

class TestBrowserWayland : public QObject
{
    Q_OBJECT

    std::unique_ptr<CdpBrowserComponent> m_browser;
    tvtest::HttpServer m_site;

    QString site(const QString &path) const { return m_site.url(path); }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        m_browser = std::make_unique<CdpBrowserComponent>(BrowserChoice::find({}, {}, true));
        if (const QString why = tvtest::harvestStartFailure(*m_browser); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_site.listen());
        m_site.route("/page.html", {200, "text/html", "<a href='a.txt'>a</a><a href='b.txt'>b</a>"});
        m_site.route("/a.txt", {200, "text/plain", "a"});
        m_site.route("/b.txt", {200, "text/plain", "bb"});
    }

    void cleanupTestCase()
    {
        if (m_browser)
            m_browser->closeDesktopBrowser();
        m_browser.reset();
    }

    void startBuildOpenSave()
    {
        // Any warning, of Qt's Wayland plugin or of ours, fails the test.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        tvtest::MessageBoxScript boxes;
        QTemporaryDir folder;
        setFileDialogHandler([&folder](const FileDialogRequest &) { return folder.path(); });
        auto window = std::make_unique<Form1>(m_browser.get());
        window->Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        window->buildFromArgument(site("/page.html"));
        LinkList &list = tvtest::list1(*window);
        QTRY_VERIFY_WITH_TIMEOUT(list.ListCount() == 2, LoadBound);
        QCOMPARE(list.Items(), (QStringList{site("/a.txt"), site("/b.txt")}));

        list.setListIndex(0);
        emit list.enterPressed();
        const auto shown = [&] {
            for (const BrowserWindowPtr &w : m_browser->shellWindows())
                if (w->locationUrl() == site("/a.txt"))
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(shown(), LoadBound);

        // What X11 does and Wayland may refuse: a second start's bringing to
        // front, border hints in compact mode, the pointer test.
        window->showMinimized();
        window->receiveHandOver(QString());
        tvtest::press(*window, "resize");
        QVERIFY(!window->menuBar()->isVisible());
        tvtest::press(*window, "resize");
        QVERIFY(!IsMouseOver(&list));

        list.SelectAll();
        tvtest::trigger(*window, "mnufsav");
        QTRY_VERIFY_WITH_TIMEOUT(QFile(folder.filePath("b.txt")).size() == 2 && QFile(folder.filePath("a.txt")).size() == 1, LoadBound);
        QPointer<Form4> dialog = window->findChild<Form4 *>();
        QVERIFY(dialog);
        QTRY_COMPARE(dialog->Command1->text(), QStringLiteral("Close"));
        dialog->Command1_Click();
        QTRY_VERIFY(!dialog && tvtest::formEnabled(*window));
        QVERIFY(boxes.shown().isEmpty());
        setFileDialogHandler({});
    }
};

// The compositor starts before the application and stops after it; without
// weston or Qt's Wayland plugin the test is skipped.
int main(int argc, char **argv)
{
    const QTemporaryDir folders = tvtest::isolateUserFolders();
    Compositor compositor;
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqwayland-generic.so");
    if (!QFileInfo::exists(plugin) || !compositor.start()) {
        std::puts("SKIP: weston or Qt's Wayland plugin is missing");
        return 77;
    }
    QApplication app(argc, argv);
    TestBrowserWayland tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_browser_wayland.moc"
