// The desktop browser (run headless here) behind its companion: found or not
// found through the companion's socket, no port of either, created windows in
// a stable order, the HTML-document test, one client at a time and nothing
// left of it for the next, the socket closed to other users, and a browser or
// a companion that is killed.
#include "platform/cdp/cdpcomponent.h"
#include "platform/cdp/companionlink.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

using tvtest::BrowserEventLog;
using tvtest::HttpServer;

namespace {

// The ids of `windows` that are among `wanted`, in the order `windows` lists them.
QStringList idsOf(const QList<tv::BrowserWindowPtr> &windows, const QStringList &wanted = {})
{
    QStringList ids;
    for (const auto &w : windows)
        if (wanted.isEmpty() || wanted.contains(w->hwnd()))
            ids << w->hwnd();
    return ids;
}

tv::BrowserChoice choice()
{
    return tv::BrowserChoice::find({}, {}, true);
}

QString socketPath()
{
    return tv::companion::socketPath(tv::CdpBrowserComponent::desktopProfileDir());
}

int mode(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Connects to `path` as user `uid` in a child process: 0 when the companion
// greeted it as a client, 1 when the connection was refused at the door,
// 2 when the companion turned it away.
int probeAs(uid_t uid, gid_t gid, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(3);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            ::_exit(1);
        char reply[512] = {};
        pollfd p{fd, POLLIN, 0};
        const ssize_t n = ::poll(&p, 1, 10000) == 1 ? ::read(fd, reply, sizeof reply - 1) : 0;
        ::_exit(n > 0 && std::strstr(reply, "firstId") ? 0 : 2);
    }
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 20000)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

class TestBrowserDesktop : public QObject
{
    Q_OBJECT

private:
    HttpServer m_site;
    std::unique_ptr<tv::CdpBrowserComponent> m_browser;
    QList<tv::BrowserWindowPtr> m_windows; // html, text

private slots:
    void initTestCase()
    {
        if (choice().program.isEmpty())
            QSKIP("No Chromium-family browser is installed.");
        QVERIFY(m_site.listen());
        m_site.route("/page.html", {200, "text/html", "<title>p</title><a href='x.html'>x</a>"});
        m_site.route("/text.txt", {200, "text/plain", "http://example.invalid/not-a-link"});
        m_browser = std::make_unique<tv::CdpBrowserComponent>(choice());
    }

    void cleanupTestCase()
    {
        m_windows.clear();
        if (!m_browser)
            return;
        m_browser->shellWindows(); // takes the browser again if a test let go of it
        const qint64 pid = m_browser->desktopProcessId();
        const qint64 companionPid = m_browser->desktopCompanionProcessId();
        m_browser->closeDesktopBrowser();
        if (pid)
            QTRY_VERIFY_WITH_TIMEOUT(!tv::processIsRunning(pid) && !tv::processIsRunning(companionPid), 10000);
        QVERIFY(!QFile::exists(socketPath()));
    }

    void nothingRunningFindsNothing()
    {
        QVERIFY(m_browser->shellWindows().isEmpty());
        QCOMPARE(m_browser->foregroundWindow(), QString());
        QCOMPARE(m_browser->desktopProcessId(), qint64(0)); // looking never starts a browser
        tv::CdpBrowserComponent broken(tv::BrowserChoice::find(QStringLiteral("false"), {}, true));
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, broken.createWindow());
    }

    void browserOfAnEarlierVersionIsAdopted()
    {
        const QString profile = tv::CdpBrowserComponent::desktopProfileDir();
        QDir().mkpath(profile);
        QProcess old;
        old.setProgram(choice().program);
        old.setArguments(choice().launchArguments(true) << QStringLiteral("--remote-debugging-port=0")
                                                        << QStringLiteral("--user-data-dir=") + profile
                                                        << m_site.url("/page.html"));
        old.start();
        QVERIFY(old.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(profile + QStringLiteral("/DevToolsActivePort")), 20000);
        {
            tv::CdpBrowserComponent adopter(choice());
            QTRY_COMPARE_WITH_TIMEOUT(adopter.shellWindows().size(), 1, 10000);
            QCOMPARE(adopter.shellWindows().first()->locationUrl(), m_site.url("/page.html"));
            QCOMPARE(adopter.desktopCompanionProcessId(), qint64(0));
        }
        old.terminate();
        if (!old.waitForFinished(10000))
            old.kill();
        old.waitForFinished(5000);
    }

    void createdWindowsFoundAgainInStableOrder()
    {
        const QStringList urls{m_site.url("/page.html"), m_site.url("/text.txt")};
        for (const QString &url : urls) {
            m_windows << m_browser->createWindow();
            m_windows.last()->navigate(url);
        }
        QTRY_COMPARE(m_browser->shellWindows().size(), 2); // the blank start page is not left behind
        QVERIFY((QFile::permissions(tv::CdpBrowserComponent::desktopProfileDir()) & (QFile::ReadGroup | QFile::ReadOther)) == 0);
        // Neither the browser nor its companion listens on a port; the socket is the user's alone.
        QVERIFY(m_browser->desktopCompanionProcessId() > 0);
        for (qint64 pid : {m_browser->desktopProcessId(), m_browser->desktopCompanionProcessId()})
            QCOMPARE(tvtest::listeningTcpPorts(pid), QList<quint16>());
        QVERIFY(!QFile::exists(tv::CdpBrowserComponent::desktopProfileDir() + QStringLiteral("/DevToolsActivePort")));
        QCOMPARE(mode(QFileInfo(socketPath()).path()), 0700);
        QCOMPARE(mode(socketPath()), 0600);
        for (int i = 0; i < 2; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(m_windows[i]->locationUrl(), urls[i], 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_windows[0]->busy() && !m_windows[1]->busy(), 20000);
        // A page is an HTML document; plain text is not.
        QCOMPARE(m_windows[0]->document()->links, QStringList{m_site.url("/x.html")});
        QVERIFY(m_windows[0]->isHtmlDocument() && !m_windows[1]->isHtmlDocument());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[1]->document());

        const QStringList created = idsOf(m_windows);
        QCOMPARE(idsOf(m_browser->shellWindows(), created), created);
        // A later start of the program finds the same windows in the same order.
        const qint64 pid = m_browser->desktopProcessId();
        m_browser->releaseDesktopBrowser();
        tv::CdpBrowserComponent second(choice());
        QCOMPARE(idsOf(second.shellWindows(), created), created);
        QCOMPARE(second.desktopProcessId(), pid);
        // While it holds the browser, no other copy gets in.
        QVERIFY(m_browser->shellWindows().isEmpty());
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_browser->createWindow());
        QCOMPARE(second.desktopProcessId(), pid);
        second.shutdown();
        QVERIFY(tv::processIsRunning(pid)); // the user's browser stays open
        QCOMPARE(idsOf(m_browser->shellWindows(), created), created);
    }

    void nothingOfOneClientReachesTheNext()
    {
        m_browser->releaseDesktopBrowser();
        // A bare client: every page target is free of the sessions the last one attached.
        auto socket = std::make_unique<tv::CdpSocketTransport>();
        QCOMPARE(socket->open(socketPath(), 5000), tv::CdpSocketTransport::Result::Connected);
        tv::CdpConnection bare;
        const int firstId = socket->hello().firstId;
        bare.open(std::move(socket), firstId);
        const tv::CdpReply targets = bare.call(QStringLiteral("Target.getTargets"));
        QVERIFY(targets.ok);
        int pages = 0;
        for (const QJsonValue &t : targets.result.value(QLatin1String("targetInfos")).toArray()) {
            if (t[QLatin1String("type")] == QLatin1String("page")) {
                ++pages;
                QVERIFY2(!t[QLatin1String("attached")].toBool(), qPrintable(t[QLatin1String("url")].toString()));
            }
        }
        QCOMPARE(pages, 2);
        bare.close();
        QTRY_COMPARE(m_browser->shellWindows().size(), 2);
    }

    void socketRefusesOtherUsers_data()
    {
        QTest::addColumn<bool>("opened"); // folder and socket opened to everyone
        QTest::addColumn<int>("expected");
        QTest::newRow("as-made") << false << 1;
        QTest::newRow("opened-up-the-companion-still-refuses") << true << 2;
    }
    void socketRefusesOtherUsers()
    {
        QFETCH(bool, opened);
        QFETCH(int, expected);
        if (::geteuid() != 0)
            QSKIP("Probing as another user needs root, to make that user.");
        const QString name = QStringLiteral("tvprobe%1").arg(QCoreApplication::applicationPid() % 100000);
        QProcess add;
        add.start(QStringLiteral("useradd"), {QStringLiteral("--system"), QStringLiteral("--no-create-home"), name});
        if (!add.waitForFinished(20000) || add.exitCode() != 0)
            QSKIP("useradd could not make a second user.");
        const passwd *user = ::getpwnam(name.toLocal8Bit().constData());
        QVERIFY(user);
        const uid_t uid = user->pw_uid;
        const gid_t gid = user->pw_gid;
        const QString path = socketPath();
        // The socket's folder, the runtime folder and the test's own folder above it.
        const QStringList dirs{QFileInfo(path).path(), QFileInfo(QFileInfo(path).path()).path(),
                               QFileInfo(QFileInfo(QFileInfo(path).path()).path()).path()};
        QList<int> modes;
        for (const QString &dir : dirs) {
            modes << mode(dir);
            if (opened)
                ::chmod(QFile::encodeName(dir).constData(), 0711);
        }
        if (opened)
            ::chmod(QFile::encodeName(path).constData(), 0666);
        const int got = probeAs(uid, gid, path);
        for (qsizetype i = 0; i < dirs.size(); ++i)
            ::chmod(QFile::encodeName(dirs[i]).constData(), mode_t(modes[i]));
        ::chmod(QFile::encodeName(path).constData(), 0600);
        QProcess del;
        del.start(QStringLiteral("userdel"), {name});
        del.waitForFinished(20000);
        QCOMPARE(got, expected);
        QCOMPARE(m_browser->shellWindows().size(), 2); // the owner still gets in
    }

    void killedBrowserOrCompanionEndsItsWindows_data()
    {
        QTest::addColumn<bool>("companion"); // kill the companion, else the browser
        QTest::newRow("browser") << false;
        QTest::newRow("companion") << true;
    }
    void killedBrowserOrCompanionEndsItsWindows()
    {
        QFETCH(bool, companion);
        m_windows = {m_browser->createWindow(), m_browser->createWindow()};
        BrowserEventLog log(m_windows[0].get());
        const qint64 pid = m_browser->desktopProcessId();
        const qint64 companionPid = m_browser->desktopCompanionProcessId();
        QCOMPARE(::kill(pid_t(companion ? companionPid : pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("quit")), 1, 10000);
        QVERIFY_THROWS_EXCEPTION(tv::BrowserError, m_windows[1]->navigate(m_site.url("/page.html")));
        m_windows.clear();
        // A browser without its companion ends; a companion without its browser ends and takes its socket along.
        QTRY_VERIFY_WITH_TIMEOUT(!tv::processIsRunning(pid) && !tv::processIsRunning(companionPid), 20000);
        QCOMPARE(QFile::exists(socketPath()), companion); // a killed companion leaves it
        QVERIFY(m_browser->shellWindows().isEmpty());
        QVERIFY(!QFile::exists(socketPath())); // found stale and removed
        // The next window starts a fresh pair.
        tv::BrowserWindowPtr w = m_browser->createWindow();
        BrowserEventLog next(w.get());
        QVERIFY(m_browser->desktopProcessId() != pid && m_browser->desktopCompanionProcessId() != companionPid);
        w->navigate(m_site.url("/page.html"));
        QTRY_VERIFY_WITH_TIMEOUT(next.topComplete(), 20000);
        QVERIFY(idsOf(m_browser->shellWindows()).contains(w->hwnd()));
    }
};

TV_TEST_MAIN(TestBrowserDesktop)
#include "tst_browser_desktop.moc"
