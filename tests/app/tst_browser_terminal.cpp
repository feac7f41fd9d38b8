// The program run from a terminal, as a real process against a real headless
// Chromium and our own server: `--list` gives what the window's build lists,
// failures and bad usage have their exit statuses, Ctrl-C leaves no browser
// behind, `--save-targets` saves a piped list.
#include "app/linklist.h"
#include "builders/filters.h"
#include "platform/cdp/cdpbrowser.h"
#include "platform/cdp/cdpcomponent.h"
#include "support/browserprobe.h"
#include "support/httpserver.h"
#include "support/mainwindowfixture.h"

#include <QDir>
#include <QProcess>

#include <csignal>

using namespace tv;

namespace {

constexpr int LoadBound = 60000;
constexpr int FramesLinks = 4;

struct Run
{
    int status = -1;
    QStringList out;
    QString err;
};

QStringList lines(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
}

void startProgram(QProcess &p, const QStringList &arguments)
{
    p.setProgram(qEnvironmentVariable("TALLYVANE_TEST_BINARY_DIR") + QStringLiteral("/src/tallyvane"));
    p.setArguments(arguments);
    p.start();
}

Run runProgram(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess p;
    startProgram(p, arguments);
    p.write(input);
    p.closeWriteChannel();
    // Events run meanwhile: the server is ours.
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, LoadBound)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, lines(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The process and everything it started, found through each process's parent.
QList<qint64> processTree(qint64 root)
{
    QMultiHash<qint64, qint64> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toLongLong() > 0 && stat.open(QIODevice::ReadOnly)) {
            const QByteArray line = stat.readAll();
            children.insert(line.mid(line.lastIndexOf(')') + 4).split(' ').value(0).toLongLong(), entry.toLongLong());
        }
    }
    QList<qint64> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.values(tree.at(i));
    return tree;
}

} // namespace

class TestBrowserTerminal : public QObject
{
    Q_OBJECT

    std::unique_ptr<CdpBrowserComponent> m_browser;
    tvtest::HttpServer m_site;

    QString site(const QString &path) const { return m_site.url(path); }
    // The same server as another origin.
    QString other(const QString &path) const { return QStringLiteral("http://localhost:%1%2").arg(m_site.port()).arg(path); }

    // The window's list after building from each page in turn, appending.
    QStringList windowList(const QStringList &paths)
    {
        tvtest::MessageBoxScript boxes;
        Form1 form(m_browser.get());
        form.Form_Load();
        for (const QString &path : paths) {
            bool answered = false;
            tvtest::answerUrlDialog(site(path), true, &answered, {}, LoadBound);
            tvtest::trigger(form, "mnufURL");
            if (!answered || !QTest::qWaitFor([&] { return tvtest::formEnabled(form); }, LoadBound))
                return {QStringLiteral("<the window's build did not end>")};
        }
        return tvtest::list1(form).Items();
    }

private slots:
    void initTestCase()
    {
        m_browser = std::make_unique<CdpBrowserComponent>(BrowserChoice::find({}, {}, true));
        if (const QString why = tvtest::harvestStartFailure(*m_browser); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_site.listen());
        // The frame comes from another origin (localhost against 127.0.0.1).
        m_site.route("/frames.html", {200, "text/html", "<a href='top.html'>t</a><iframe src='f0.html'></iframe>"
                                                        "<iframe src='" + other("/f1.html").toUtf8() + "'></iframe>"});
        m_site.route("/f0.html", {200, "text/html", "<a href='f0a.jpg'>a</a><a href='top.html'>t</a>"});
        m_site.route("/f1.html", {200, "text/html", "<a href='f1a.html'>a</a><a href='pic.jpg'>p</a>"});
        m_site.route("/script.html", {200, "text/html", "<a href='top.html'>t</a><script>const a = "
                                                        "document.createElement('a'); a.href = 'made%20by-script.jpg';"
                                                        " document.body.append(a);</script><a href='after.zip'>z</a>"});
        m_site.route("/held.html", {200, "text/html", "<a href='late.html'>l</a>", LoadBound});
        m_site.route("/files/a.bin", {200, "application/octet-stream", QByteArray(200000, 'a')});
        m_site.route("/files/c.bin", {200, "application/octet-stream", QByteArray("c\0c", 3)});
    }

    void cleanupTestCase()
    {
        if (m_browser)
            m_browser->closeDesktopBrowser();
        m_browser.reset();
    }

    void listIsTheWindowsBuild_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("filtered"); // jpg only, through the settings
        QTest::addColumn<int>("expected");  // links listed
        QTest::addColumn<QString>("witness"); // one of them
        const QStringList both{"/frames.html", "/script.html"};
        QTest::newRow("frames, one from another origin") << QStringList{"/frames.html"} << false << FramesLinks
                                                         << other("/f1a.html");
        QTest::newRow("links made by script") << QStringList{"/script.html"} << false << 3 << site("/made by-script.jpg");
        QTest::newRow("two pages, repeats left out") << both << false << FramesLinks + 2 << site("/after.zip");
        QTest::newRow("filters of the settings") << both << true << 3 << other("/pic.jpg");
    }
    void listIsTheWindowsBuild()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, filtered);
        QFETCH(int, expected);
        QFETCH(QString, witness);
        CRegSettings settings = CRegSettings::program();
        Filters::save(settings, {QStringLiteral("Pictures - jpg")});
        Filters::setApplyFilters(settings, filtered);
        const QStringList window = windowList(paths);

        QStringList arguments{QStringLiteral("--list"), QStringLiteral("--use-settings")};
        for (const QString &path : paths)
            arguments << site(path);
        const QByteArray settingsBefore = tvtest::readFile(settings.fileName());
        const Run run = runProgram(arguments);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, window);
        QCOMPARE(run.out.size(), expected);
        QVERIFY(run.out.contains(witness));
        QCOMPARE(tvtest::readFile(settings.fileName()), settingsBefore);
    }

    void failedPageSaysWhy()
    {
        const Run run = runProgram({"--list", "--text", site("/frames.html"), site("/missing.html")});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out.size(), FramesLinks);
        QCOMPARE(run.out.first(), site("/top.html") + QStringLiteral("\tt"));
        QVERIFY2(run.err.contains(site("/missing.html") + QStringLiteral(": ")) && run.err.contains("Object not found"),
                 qPrintable(run.err));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no address") << QStringList{"--list"};
        QTest::newRow("not a page") << QStringList{"--list", "javascript:alert(1)"};
        QTest::newRow("filter alone") << QStringList{"--filter", "jpg", "http://127.0.0.1:9/"};
        QTest::newRow("empty filter") << QStringList{"--list", "--filter", ",", "http://127.0.0.1:9/"};
        QTest::newRow("both commands") << QStringList{"--list", "http://127.0.0.1:9/", "--save-targets", "/tmp"};
        QTest::newRow("unknown option") << QStringList{"--list", "--bogus", "http://127.0.0.1:9/"};
        QTest::newRow("no folder") << QStringList{"--save-targets", "/nonexistent/folder"};
        QTest::newRow("bad action") << QStringList{"--save-targets", "/tmp", "--overwrite", "maybe"};
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        const Run run = runProgram(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty() && run.err.contains("--help"));
    }

    void interruptedListKeepsWhatWasFoundAndLeavesNoBrowser()
    {
        QProcess p;
        QTemporaryDir temporary; // where the browser's throw-away profile goes
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temporary.path());
        p.setProcessEnvironment(environment);
        startProgram(p, {"--list", site("/frames.html"), site("/held.html")});
        QStringList out;
        QTRY_VERIFY_WITH_TIMEOUT((out += lines(p.readAllStandardOutput()), out.size() == FramesLinks), LoadBound);
        QTRY_VERIFY_WITH_TIMEOUT(m_site.hits("/held.html") == 1, LoadBound);
        const QList<qint64> tree = processTree(p.processId());
        QVERIFY2(tree.size() > 1, "the browser runs as a child of the program");
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, LoadBound));
        QCOMPARE(p.exitCode(), 128 + SIGINT);
        QCOMPARE(out + lines(p.readAllStandardOutput()), out);
        for (qint64 pid : tree)
            QTRY_VERIFY_WITH_TIMEOUT(!processIsRunning(pid), 10000);
        QVERIFY(QDir(temporary.path()).isEmpty());
    }

    void savedFromStandardInput()
    {
        QTemporaryDir folder;
        const QByteArray list = (site("/files/a.bin") + '\n' + site("/files/gone.bin") + '\n' + site("/files/c.bin")).toUtf8();
        const Run run = runProgram({"--save-targets", folder.path()}, list);
        QCOMPARE(run.status, 1);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"a.bin", "c.bin"}));
        QCOMPARE(tvtest::readFile(folder.filePath("a.bin")), QByteArray(200000, 'a'));
        QCOMPARE(tvtest::readFile(folder.filePath("c.bin")), QByteArray("c\0c", 3));
        QVERIFY2(run.err.contains("[2/3] failed") && run.err.contains("404"), qPrintable(run.err));
        // Again, told to skip what exists: nothing fails, nothing changes.
        const Run again = runProgram({"--save-targets", folder.path(), "--overwrite", "skip"}, list.left(list.indexOf('\n')));
        QVERIFY2(again.status == 0 && again.err.contains("skipped"), qPrintable(again.err));
    }
};

TV_TEST_MAIN(TestBrowserTerminal)
#include "tst_browser_terminal.moc"
