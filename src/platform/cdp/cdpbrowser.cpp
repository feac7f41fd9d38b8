#include "platform/cdp/cdpbrowser.h"

#include "platform/boundedwait.h"
#include "platform/browser.h"
#include "platform/cdp/cdpeventmapper.h"
#include "platform/cdp/cdppipetransport.h"
#include "platform/cdp/cdpwindow.h"
#include "platform/cdp/devtoolsport.h"
#include "platform/cdp/harvestprofile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace tv {

bool processIsRunning(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return false;
    // A process that ended but was not yet reaped by its parent counts as gone.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const int close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

qint64 browserHoldingProfile(const QString &profileDir, bool *locked)
{
    // The lock is a symbolic link to "<host>-<pid>"; a killed browser leaves it.
    char link[256] = {};
    const ssize_t n =
        ::readlink(QFile::encodeName(profileDir + QStringLiteral("/SingletonLock")).constData(), link, sizeof link - 1);
    if (locked)
        *locked = n > 0;
    if (n <= 0)
        return 0;
    const QString target = QString::fromLocal8Bit(link, n);
    const qsizetype dash = target.lastIndexOf(u'-');
    if (dash < 0 || target.left(dash) != QSysInfo::machineHostName())
        return -1; // another machine's, or unreadable: not ours to judge
    const qint64 pid = target.mid(dash + 1).toLongLong();
    return processIsRunning(pid) ? pid : 0;
}

CdpBrowser::CdpBrowser(Kind kind) : m_kind(kind), m_connection(new CdpConnection(this)), m_popups(m_connection, m_pages)
{
    connect(m_connection, &CdpConnection::eventReceived, this, &CdpBrowser::onEvent);
    connect(m_connection, &CdpConnection::closed, this, &CdpBrowser::onClosed);
}

CdpBrowser::~CdpBrowser()
{
    m_connection->disconnect(this);
    if (m_process) {
        // Only a harvest browser is a child process; it never outlives us.
        m_process->disconnect(this);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(2000);
        }
    }
}

std::shared_ptr<CdpBrowser> CdpBrowser::attach(const QString &profileDir, Kind kind, int timeoutMs)
{
    const auto endpoint = readDevToolsActivePort(profileDir);
    if (!endpoint)
        return nullptr;
    if (!probeDevToolsEndpoint(*endpoint, timeoutMs)) {
        QFile::remove(devToolsActivePortFile(profileDir)); // left by a browser that has ended
        return nullptr;
    }
    std::shared_ptr<CdpBrowser> browser(new CdpBrowser(kind), &CdpBrowser::release);
    browser->m_profileDir = profileDir;
    if (!browser->connectTo(endpoint->webSocketUrl(), timeoutMs))
        return nullptr;
    return setUpAttached(browser, timeoutMs);
}

std::shared_ptr<CdpBrowser> CdpBrowser::setUpAttached(const std::shared_ptr<CdpBrowser> &browser, int timeoutMs)
{
    try {
        browser->setUp(true);
    } catch (const BrowserError &) {
        return nullptr;
    }
    // Its pages answer questions once their sessions are set up.
    waitUntil([&] { return !browser->m_alive || browser->m_pages.allReady(); }, timeoutMs);
    return browser->m_alive ? browser : nullptr;
}

std::shared_ptr<CdpBrowser> CdpBrowser::attachCompanion(const QString &socketPath, const QString &profileDir, Kind kind,
                                                        int timeoutMs, bool *refused)
{
    std::shared_ptr<CdpBrowser> browser(new CdpBrowser(kind), &CdpBrowser::release);
    browser->m_profileDir = profileDir;
    const auto result = browser->connectToCompanion(socketPath, timeoutMs);
    if (refused)
        *refused = result == CdpSocketTransport::Result::Refused;
    if (result == CdpSocketTransport::Result::NoCompanion)
        QFile::remove(socketPath); // its companion has gone
    if (result != CdpSocketTransport::Result::Connected)
        return nullptr;
    return setUpAttached(browser, timeoutMs);
}

CdpSocketTransport::Result CdpBrowser::connectToCompanion(const QString &socketPath, int timeoutMs)
{
    auto socket = std::make_unique<CdpSocketTransport>();
    const auto result = socket->open(socketPath, timeoutMs);
    if (result != CdpSocketTransport::Result::Connected)
        return result;
    m_pid = socket->hello().browserPid;
    m_companionPid = socket->hello().pid;
    const int firstId = socket->hello().firstId;
    m_connection->open(std::move(socket), firstId);
    m_alive = m_connection->isOpen();
    return result;
}

void CdpBrowser::launchCompanion(const BrowserLaunchOptions &options, const QStringList &arguments, int timeoutMs)
{
    // The companion starts the browser; a program that is not there is told here.
    if (QStandardPaths::findExecutable(options.program).isEmpty())
        throw BrowserError(QStringLiteral("The web browser \"%1\" could not be started.").arg(options.program));
    QProcess process;
    process.setProgram(options.companion);
    process.setArguments(QStringList{options.socketPath, options.program} + arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached(&m_companionPid))
        throw BrowserError(QStringLiteral("The program \"%1\" could not be started.").arg(options.companion));
    auto result = CdpSocketTransport::Result::NoCompanion;
    const qint64 companion = m_companionPid;
    waitUntil(
        [&] {
            result = connectToCompanion(options.socketPath, timeoutMs);
            return result != CdpSocketTransport::Result::NoCompanion || !processIsRunning(companion);
        },
        timeoutMs);
    if (result != CdpSocketTransport::Result::Connected) {
        throw BrowserError(result == CdpSocketTransport::Result::NoCompanion && !processIsRunning(companion)
                               ? QStringLiteral("The web browser ended as soon as it started. Another copy of it may be "
                                                "using the profile folder %1, or it cannot open a window here.")
                                     .arg(m_profileDir)
                               : QStringLiteral("Tallyvane could not connect to the web browser."));
    }
    // The first answer comes once the browser is up.
    const CdpReply up = m_connection->call(QStringLiteral("Browser.getVersion"), {}, {}, timeoutMs);
    if (!up.ok) {
        throw BrowserError(m_connection->isOpen() ? QStringLiteral("The web browser did not answer in time.")
                                                  : QStringLiteral("The web browser ended as soon as it started. Another "
                                                                   "copy of it may be using the profile folder %1, or it "
                                                                   "cannot open a window here.")
                                                        .arg(m_profileDir));
    }
}

std::shared_ptr<CdpBrowser> CdpBrowser::launch(const BrowserLaunchOptions &options, Kind kind, int timeoutMs)
{
    std::shared_ptr<CdpBrowser> browser(new CdpBrowser(kind), &CdpBrowser::release);
    QString profile = options.profileDir;
    if (profile.isEmpty()) {
        browser->m_tempProfile = std::make_unique<QTemporaryDir>(harvestprofile::folderTemplate());
        if (!browser->m_tempProfile->isValid())
            throw BrowserError(QStringLiteral("No folder could be made for the web browser's profile."));
        profile = browser->m_tempProfile->path();
    } else {
        QDir().mkpath(profile);
        QFile::setPermissions(profile, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // A file left by an earlier run would point at a dead port.
    QFile::remove(devToolsActivePortFile(profile));
    browser->m_profileDir = profile;

    std::unique_ptr<CdpPipeTransport> pipes;
    if (options.pipe && !options.detached) {
        pipes = std::make_unique<CdpPipeTransport>();
        QString why;
        if (!pipes->create(&why))
            throw BrowserError(QStringLiteral("No pipes could be made to control the web browser (%1).").arg(why));
    }
    QStringList args = options.arguments;
    if (options.companion.isEmpty())
        args << (pipes ? CdpPipeTransport::browserSwitch() : QStringLiteral("--remote-debugging-port=0"));
    args << QStringLiteral("--user-data-dir=%1").arg(profile) << QStringLiteral("about:blank");
    if (!options.companion.isEmpty()) {
        browser->finishLaunch([&] { browser->launchCompanion(options, args, timeoutMs); });
        return browser;
    }

    QProcess *process = new QProcess(browser.get());
    process->setProgram(options.program);
    process->setArguments(args);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    if (browser->m_tempProfile)
        process->setProcessEnvironment(harvestprofile::environment(profile));
    if (options.detached) {
        qint64 pid = 0;
        const bool started = process->startDetached(&pid);
        delete process;
        if (!started)
            throw BrowserError(QStringLiteral("The web browser \"%1\" could not be started.").arg(options.program));
        browser->m_pid = pid;
    } else {
        browser->m_process = process;
        const CdpPipeTransport *ends = pipes.get();
        process->setChildProcessModifier([ends] {
            if (ends)
                ends->placeBrowserEnds();
            // The harvest browser must not outlive the program, even one that crashed.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            // A group of its own, so that its helpers can be ended with it.
            ::setpgid(0, 0);
        });
        process->start();
        if (!process->waitForStarted(timeoutMs))
            throw BrowserError(QStringLiteral("The web browser \"%1\" could not be started.").arg(options.program));
        browser->m_pid = process->processId();
        // A browser that has ended is gone at once, whatever its connection
        // still says, and so is its throwaway profile.
        connect(process, &QProcess::finished, browser.get(), [b = browser.get()] {
            b->m_connection->close();
            b->endHelpers();
            b->m_tempProfile.reset();
        });
    }

    browser->finishLaunch([&] {
        if (pipes) {
            pipes->start();
            browser->m_connection->open(std::move(pipes));
            browser->m_alive = browser->m_connection->isOpen();
            // The first answer comes once the browser is up.
            const CdpReply up = browser->m_connection->call(QStringLiteral("Browser.getVersion"), {}, {}, timeoutMs);
            if (!up.ok) {
                throw BrowserError(process->state() == QProcess::NotRunning
                                       ? QStringLiteral("The web browser ended as soon as it started.")
                                       : QStringLiteral("The web browser did not answer in time."));
            }
        } else {
            browser->connectToPort(profile, timeoutMs);
        }
    });
    return browser;
}

void CdpBrowser::finishLaunch(const std::function<void()> &connect)
{
    try {
        connect();
        setUp(false);
    } catch (const BrowserError &) {
        killProcess(); // started, but of no use
        throw;
    }
    keepStartPage();
}

void CdpBrowser::keepStartPage()
{
    const QStringList started = pages();
    if (m_kind == Kind::Desktop && !started.isEmpty() && pageUrl(started.first()) == QLatin1String("about:blank"))
        m_spare = started.first();
}

void CdpBrowser::connectToPort(const QString &profile, int timeoutMs)
{
    std::optional<DevToolsEndpoint> endpoint;
    const bool found = waitUntil(
        [&] {
            endpoint = readDevToolsActivePort(profile);
            if (endpoint)
                return true;
            // Ended without opening its port: another copy owns the profile, or it failed.
            return m_process ? m_process->state() == QProcess::NotRunning : !processIsRunning(m_pid);
        },
        timeoutMs);
    if (!found || !endpoint) {
        throw BrowserError(found ? QStringLiteral("The web browser ended as soon as it started. Another copy of it may be "
                                                  "using the profile folder %1, or it cannot open a window here.")
                                       .arg(profile)
                                 : QStringLiteral("The web browser did not open its control port in time."));
    }
    if (!connectTo(endpoint->webSocketUrl(), timeoutMs))
        throw BrowserError(QStringLiteral("Tallyvane could not connect to the web browser."));
}

void CdpBrowser::release(CdpBrowser *browser)
{
    // Its own events or waits may still be running further up the stack.
    browser->deleteLater();
}

void CdpBrowser::killProcess()
{
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(2000);
        endHelpers();
    } else if (processIsRunning(m_pid)) {
        ::kill(pid_t(m_pid), SIGKILL);
    } else if (processIsRunning(m_companionPid)) {
        ::kill(pid_t(m_companionPid), SIGTERM); // its browser ends without its pipe
    }
    m_tempProfile.reset();
}

void CdpBrowser::endHelpers()
{
    // A helper that outlives a killed browser (its network service) goes on
    // writing into the profile and would bring the folder back after removal.
    if (m_process && m_pid > 0)
        ::kill(-pid_t(m_pid), SIGKILL);
}

bool CdpBrowser::connectTo(const QUrl &endpoint, int timeoutMs)
{
    m_endpoint = endpoint;
    m_alive = m_connection->open(endpoint, timeoutMs);
    return m_alive;
}

void CdpBrowser::setUp(bool seedOrderByWindow)
{
    const QJsonArray pageFilter{QJsonObject{{QStringLiteral("type"), QStringLiteral("page")}}};
    call(QStringLiteral("Target.setDiscoverTargets"),
         {{QStringLiteral("discover"), true}, {QStringLiteral("filter"), pageFilter}});
    if (const QStringList ids = m_pages.ids(); seedOrderByWindow && ids.size() > 1) {
        // The protocol lists targets in no useful order; window ids grow with
        // each new window, which comes closest to the order they were opened.
        QList<CdpConnection::Request> requests;
        for (const QString &id : ids)
            requests.append({QStringLiteral("Browser.getWindowForTarget"), {{QStringLiteral("targetId"), id}}, {}});
        const QList<CdpReply> replies = m_connection->callAll(requests, DefaultTimeout);
        QHash<QString, int> windowOf;
        for (qsizetype i = 0; i < replies.size(); ++i)
            windowOf.insert(ids.at(i), replies.at(i).result.value(QLatin1String("windowId")).toInt(INT_MAX));
        m_pages.sortBy(windowOf);
    }
    call(QStringLiteral("Target.setAutoAttach"), {{QStringLiteral("autoAttach"), true},
                                                  {QStringLiteral("waitForDebuggerOnStart"), true},
                                                  {QStringLiteral("flatten"), true},
                                                  {QStringLiteral("filter"), pageFilter}});
    if (m_kind == Kind::Harvest) {
        // Pages are only read here; a link to a file must not fill the disk.
        m_connection->send(QStringLiteral("Browser.setDownloadBehavior"), {{QStringLiteral("behavior"), QStringLiteral("deny")}});
    }
}

QJsonObject CdpBrowser::call(const QString &method, const QJsonObject &params, const QString &sessionId, int timeoutMs)
{
    if (!m_alive)
        throw BrowserError(QStringLiteral("The web browser is no longer running."));
    const CdpReply reply = m_connection->call(method, params, sessionId, timeoutMs);
    if (!reply.ok)
        throw BrowserError(reply.errorMessage.isEmpty() ? QStringLiteral("The web browser reported an error.") : reply.errorMessage);
    return reply.result;
}

QString CdpBrowser::pageUrl(const QString &targetId) const
{
    const CdpPagePtr p = m_pages.find(targetId);
    return p ? p->url : QString();
}

QString CdpBrowser::sessionOf(const QString &targetId) const
{
    const CdpPagePtr p = m_pages.find(targetId);
    return p ? p->sessionId : QString();
}

CdpEventMapper *CdpBrowser::mapperOf(const QString &targetId) const
{
    const CdpPagePtr p = m_pages.find(targetId);
    return p ? p->mapper : nullptr;
}

std::shared_ptr<CdpWindow> CdpBrowser::window(const QString &targetId, bool closeOnRelease)
{
    const CdpPagePtr p = m_pages.find(targetId);
    if (!p)
        throw BrowserError(QStringLiteral("The browser window has been closed."));
    if (auto w = p->window.lock())
        return w;
    auto w = CdpWindow::create(shared_from_this(), targetId, closeOnRelease);
    p->window = w;
    return w;
}

QString CdpBrowser::createPage(bool newWindow, int timeoutMs)
{
    QJsonObject params{{QStringLiteral("url"), QStringLiteral("about:blank")}};
    if (newWindow) {
        params.insert(QStringLiteral("newWindow"), true);
        params.insert(QStringLiteral("windowState"), QStringLiteral("minimized"));
    }
    const QString targetId = jsonString(call(QStringLiteral("Target.createTarget"), params, {}, timeoutMs), "targetId");
    if (targetId.isEmpty())
        throw BrowserError(QStringLiteral("The web browser did not open a window."));
    const auto ready = [&] { return !m_alive || (page(targetId) && page(targetId)->ready); };
    if (!waitUntil(ready, timeoutMs) || !m_alive)
        throw BrowserError(QStringLiteral("The web browser did not open a window in time."));
    // The blank page the browser started with has served its purpose once a
    // window of ours is open; left alone it would stay as a stray empty window.
    if (const QString spare = std::exchange(m_spare, QString());
        !spare.isEmpty() && spare != targetId && pageUrl(spare) == QLatin1String("about:blank"))
        m_connection->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), spare}});
    return targetId;
}

void CdpBrowser::addPage(const QJsonObject &info)
{
    const QString targetId = jsonString(info, "targetId");
    if (jsonString(info, "type") != QLatin1String("page") || m_pages.find(targetId))
        return;
    const CdpPagePtr page = m_pages.add(targetId, jsonString(info, "url"));
    // A blank new window stays silent until something is loaded into it.
    const bool blank = page->url.isEmpty() || page->url == QLatin1String("about:blank");
    page->mapper = new CdpEventMapper(targetId, !blank, this);
    if (const QString opener = jsonString(info, "openerId"); !opener.isEmpty())
        m_popups.opened(opener, targetId);
}

void CdpBrowser::removePage(const QString &targetId)
{
    const CdpPagePtr page = m_pages.remove(targetId);
    if (!page)
        return;
    m_popups.forget(targetId);
    page->mapper->deleteLater();
    if (auto w = page->window.lock())
        w->targetGone();
}

void CdpBrowser::initSession(const QString &sessionId, const QString &pageId)
{
    const QJsonObject none;
    const QList<CdpConnection::Request> requests{
        {QStringLiteral("Page.enable"), none, sessionId},
        {QStringLiteral("Page.setLifecycleEventsEnabled"), {{QStringLiteral("enabled"), true}}, sessionId},
        {QStringLiteral("Network.enable"), none, sessionId},
        // Frames of other sites run in processes of their own; attach to them too.
        {QStringLiteral("Target.setAutoAttach"),
         {{QStringLiteral("autoAttach"), true},
          {QStringLiteral("waitForDebuggerOnStart"), true},
          {QStringLiteral("flatten"), true},
          {QStringLiteral("filter"), QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("iframe")}}}}},
         sessionId},
        {QStringLiteral("Runtime.runIfWaitingForDebugger"), none, sessionId},
    };
    // A page is ready for the program once all of these are answered: a
    // navigation sent earlier could commit before the page reports events.
    auto open = std::make_shared<int>(int(requests.size()));
    const QPointer<CdpBrowser> self(this);
    for (const CdpConnection::Request &r : requests) {
        m_connection->send(r.method, r.params, r.sessionId, [self, open, pageId, sessionId](const CdpReply &) {
            if (--*open > 0 || !self || pageId.isEmpty())
                return;
            const CdpPagePtr p = self->m_pages.find(pageId);
            if (!p || p->sessionId != sessionId)
                return;
            p->ready = true;
            if (p->closeWhenReady)
                self->m_connection->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), pageId}});
        });
    }
}

void CdpBrowser::onEvent(const QString &sessionId, const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("Target.targetCreated")) {
        addPage(params.value(QLatin1String("targetInfo")).toObject());
    } else if (method == QLatin1String("Target.targetInfoChanged")) {
        const QJsonObject info = params.value(QLatin1String("targetInfo")).toObject();
        if (const CdpPagePtr p = m_pages.find(jsonString(info, "targetId")))
            p->url = jsonString(info, "url");
    } else if (method == QLatin1String("Target.targetCrashed")) {
        if (CdpEventMapper *mapper = mapperOf(jsonString(params, "targetId")))
            mapper->pageCrashed();
    } else if (method == QLatin1String("Target.targetDestroyed")) {
        removePage(jsonString(params, "targetId"));
    } else if (method == QLatin1String("Target.attachedToTarget")) {
        attached(sessionId, jsonString(params, "sessionId"), params.value(QLatin1String("targetInfo")).toObject());
    } else if (method == QLatin1String("Target.detachedFromTarget")) {
        m_pages.removeSession(jsonString(params, "sessionId"));
    } else if (!sessionId.isEmpty()) {
        pageEvent(sessionId, method, params);
    }
}

void CdpBrowser::attached(const QString &parentSession, const QString &sessionId, const QJsonObject &info)
{
    const QString targetId = jsonString(info, "targetId");
    if (parentSession.isEmpty()) {
        addPage(info);
        const CdpPagePtr page = m_pages.find(targetId);
        if (!page)
            return;
        page->sessionId = sessionId;
        m_pages.addSession(sessionId, targetId);
        initSession(sessionId, targetId);
    } else if (const CdpPagePtr owner = m_pages.ofSession(parentSession)) {
        m_pages.addFrameSession(targetId, sessionId, owner->targetId);
        initSession(sessionId, QString());
    } else {
        m_connection->send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, sessionId);
    }
}

void CdpBrowser::pageEvent(const QString &sessionId, const QString &method, const QJsonObject &params)
{
    // Held for the call: the mapper may be deleted by a receiver.
    const CdpPagePtr page = m_pages.ofSession(sessionId);
    if (!page)
        return;
    if (method == QLatin1String("Page.windowOpen")) {
        if (auto w = page->window.lock())
            if (w->newWindowRequested(jsonString(params, "url")))
                m_popups.declinedBy(page->targetId);
    } else if (method == QLatin1String("Page.javascriptDialogOpening")) {
        auto w = page->window.lock();
        // Nobody could answer a dialog of an invisible page.
        if (m_kind == Kind::Harvest || (w && w->silent())) {
            m_connection->send(QStringLiteral("Page.handleJavaScriptDialog"),
                               {{QStringLiteral("accept"), jsonString(params, "type") == QLatin1String("beforeunload")}},
                               sessionId);
        }
    } else {
        page->mapper->handle(method, params);
    }
}

void CdpBrowser::onClosed()
{
    if (!m_alive)
        return;
    m_alive = false;
    // Every window of a browser that has gone ends.
    const QStringList ids = pages();
    for (const QString &id : ids)
        removePage(id);
}

void CdpBrowser::close(int timeoutMs)
{
    if (m_alive && (m_process || m_pid > 0)) {
        m_connection->send(QStringLiteral("Browser.close"));
        if (m_process) {
            waitUntil([&] { return m_process->state() == QProcess::NotRunning; }, timeoutMs);
            if (m_process->state() != QProcess::NotRunning) {
                m_process->terminate();
                if (!waitUntil([&] { return m_process->state() == QProcess::NotRunning; }, 2000))
                    m_process->kill();
                m_process->waitForFinished(2000);
            }
        } else {
            if (!waitUntil([&] { return !processIsRunning(m_pid); }, timeoutMs))
                ::kill(pid_t(m_pid), SIGKILL);
            // Its companion follows the browser at once.
            waitUntil([&] { return !processIsRunning(m_companionPid); }, 2000);
        }
    }
    m_connection->close();
    onClosed();
    m_tempProfile.reset(); // the browser has ended; its throwaway profile goes too
}

void CdpBrowser::disconnectFromBrowser()
{
    m_connection->close();
    onClosed();
}

} // namespace tv
