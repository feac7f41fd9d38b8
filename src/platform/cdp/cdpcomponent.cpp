#include "platform/cdp/cdpcomponent.h"

#include "platform/boundedwait.h"
#include "platform/cdp/cdpwindow.h"
#include "platform/cdp/companionlink.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QStandardPaths>

#include <unistd.h>

namespace tv {

BrowserChoice BrowserChoice::find(const QString &command, const QStringList &flags, bool headless)
{
    BrowserChoice c;
    c.program = command;
    c.flags = flags;
    c.headless = headless;
    if (!c.program.isEmpty()) {
        const QString found = QStandardPaths::findExecutable(c.program);
        if (!found.isEmpty())
            c.program = found;
        return c;
    }
    for (const char *name : {"chromium", "chromium-browser", "google-chrome", "google-chrome-stable", "microsoft-edge",
                             "brave-browser"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty()) {
            c.program = found;
            break;
        }
    }
    return c;
}

bool BrowserChoice::runningAsRoot()
{
    return ::geteuid() == 0;
}

QStringList BrowserChoice::launchArguments(bool headlessInstance, bool asRoot) const
{
    QStringList args{QStringLiteral("--no-first-run"),
                     QStringLiteral("--no-default-browser-check"),
                     QStringLiteral("--disable-background-networking"),
                     QStringLiteral("--disable-component-update"),
                     QStringLiteral("--disable-sync"),
                     // an error page must stay an error page, not load again by itself
                     QStringLiteral("--disable-auto-reload")};
    if (headlessInstance)
        args << QStringLiteral("--headless=new");
    if (asRoot)
        args << QStringLiteral("--no-sandbox");
    args << flags;
    return args;
}

CdpBrowserComponent::CdpBrowserComponent(BrowserChoice choice, QObject *parent)
    : BrowserComponent(parent), m_choice(std::move(choice))
{
}

CdpBrowserComponent::~CdpBrowserComponent()
{
    shutdown();
}

QString CdpBrowserComponent::desktopProfileDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tallyvane/browser");
}

std::shared_ptr<CdpBrowser> CdpBrowserComponent::runningDesktop()
{
    if (m_desktop && m_desktop->isAlive())
        return m_desktop;
    m_desktop.reset();
    m_desktopHeadless = false; // not ours to end
    m_desktopInUse = false;
    const QString profile = desktopProfileDir();
    if (const QString socket = companion::socketPath(profile); !socket.isEmpty())
        m_desktop = CdpBrowser::attachCompanion(socket, profile, CdpBrowser::Kind::Desktop, AttachTimeout, &m_desktopInUse);
    if (!m_desktop && !m_desktopInUse) // a browser left by an earlier version, with a port of its own
        m_desktop = CdpBrowser::attach(profile, CdpBrowser::Kind::Desktop, AttachTimeout);
    return m_desktop;
}

const BrowserChoice &CdpBrowserComponent::usableChoice() const
{
    if (m_choice.program.isEmpty())
        throw BrowserError(QStringLiteral("No Chromium-family web browser was found. Install Chromium, or name the browser "
                                          "in the setting \"Command\" of section \"Browser\"."));
    return m_choice;
}

std::shared_ptr<CdpBrowser> CdpBrowserComponent::desktop()
{
    if (auto running = runningDesktop())
        return running;
    if (m_desktopInUse)
        throw BrowserError(QStringLiteral("The web browser of Tallyvane's windows is in use by another copy of Tallyvane."));
    const BrowserChoice &choice = usableChoice();
    BrowserLaunchOptions options;
    options.program = choice.program;
    options.arguments = choice.launchArguments(choice.headless);
    options.profileDir = desktopProfileDir();
    options.detached = true; // the user's browser windows stay open after Tallyvane ends
    // A companion holds the browser's pipe for as long as it runs; nothing listens on a port.
    options.companion = companion::program();
    if (options.companion.isEmpty())
        throw BrowserError(QStringLiteral("The program \"%1\" was not found beside Tallyvane. Install Tallyvane again.")
                               .arg(QLatin1String(companion::ProgramName)));
    QString why;
    options.socketPath = companion::socketPath(options.profileDir, &why);
    if (options.socketPath.isEmpty())
        throw BrowserError(why);
    // A browser whose companion was ended is still closing; started now, the
    // new one would hand its window to the old one and end.
    const qint64 ending = browserHoldingProfile(options.profileDir);
    waitUntil([&] { return ending <= 0 || !processIsRunning(ending); }, EndingTimeout);
    m_desktop = CdpBrowser::launch(options, CdpBrowser::Kind::Desktop, LaunchTimeout);
    m_desktopHeadless = choice.headless;
    return m_desktop;
}

std::shared_ptr<CdpBrowser> CdpBrowserComponent::harvest()
{
    if (m_harvest && m_harvest->isAlive())
        return m_harvest;
    const BrowserChoice &choice = usableChoice();
    BrowserLaunchOptions options;
    options.program = choice.program;
    options.arguments = choice.launchArguments(true);
    // Our own child: driven over its pipes, it opens no port another user could reach.
    options.pipe = true;
    m_harvest = CdpBrowser::launch(options, CdpBrowser::Kind::Harvest, LaunchTimeout);
    return m_harvest;
}

QList<BrowserWindowPtr> CdpBrowserComponent::shellWindows()
{
    QList<BrowserWindowPtr> windows;
    if (auto browser = runningDesktop()) {
        const QStringList pages = browser->pages();
        for (const QString &id : pages) {
            try {
                windows.append(browser->window(id, false));
            } catch (const BrowserError &) {
                // closed while we looked
            }
        }
    }
    // Invisible pages that asked to take part in browser lookups.
    for (const auto &weak : std::as_const(m_harvestWindows))
        if (auto w = weak.lock(); w && w->isOpen() && w->registeredAsBrowser())
            windows.append(w);
    return windows;
}

QString CdpBrowserComponent::foregroundWindow()
{
    auto browser = runningDesktop();
    if (!browser)
        return {};
    const QStringList pages = browser->pages();
    QList<CdpConnection::Request> requests;
    QStringList asked;
    for (const QString &id : pages) {
        const QString session = browser->sessionOf(id);
        if (session.isEmpty())
            continue;
        asked.append(id);
        requests.append({QStringLiteral("Runtime.evaluate"),
                         {{QStringLiteral("expression"), QStringLiteral("document.hasFocus()")},
                          {QStringLiteral("returnByValue"), true}},
                         session});
    }
    // Only the page in front of the active browser window has the focus.
    const QList<CdpReply> replies = browser->connection()->callAll(requests, AttachTimeout);
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const QJsonObject result = replies.at(i).result.value(QLatin1String("result")).toObject();
        if (replies.at(i).ok && result.value(QLatin1String("value")).toBool())
            return asked.at(i);
    }
    return {};
}

BrowserWindowPtr CdpBrowserComponent::createWindow()
{
    auto browser = desktop();
    const QString id = browser->createPage(true);
    return browser->window(id, false);
}

BrowserWindowPtr CdpBrowserComponent::createHarvestWindow()
{
    auto browser = harvest();
    const QString id = browser->createPage(false);
    auto w = browser->window(id, true);
    m_harvestWindows.removeIf([](const std::weak_ptr<CdpWindow> &x) { return x.expired(); });
    m_harvestWindows.append(w);
    return w;
}

void CdpBrowserComponent::shutdown()
{
    if (m_harvest) {
        m_harvest->close();
        m_harvest.reset();
    }
    if (m_desktop) {
        // Windows nobody can see must not outlive the program; visible ones stay.
        if (m_desktopHeadless && m_desktop->processId() > 0)
            m_desktop->close();
        else
            m_desktop->disconnectFromBrowser();
        m_desktop.reset();
    }
}

qint64 CdpBrowserComponent::desktopProcessId() const
{
    return m_desktop && m_desktop->isAlive() ? m_desktop->processId() : 0;
}

qint64 CdpBrowserComponent::desktopCompanionProcessId() const
{
    return m_desktop && m_desktop->isAlive() ? m_desktop->companionProcessId() : 0;
}

qint64 CdpBrowserComponent::harvestProcessId() const
{
    return m_harvest && m_harvest->isAlive() ? m_harvest->processId() : 0;
}

std::shared_ptr<CdpBrowser> CdpBrowserComponent::harvestBrowser() const
{
    return m_harvest && m_harvest->isAlive() ? m_harvest : nullptr;
}

void CdpBrowserComponent::closeDesktopBrowser()
{
    if (m_desktop) {
        m_desktop->close();
        m_desktop.reset();
    }
}

void CdpBrowserComponent::releaseDesktopBrowser()
{
    if (m_desktop) {
        m_desktop->disconnectFromBrowser();
        m_desktop.reset();
    }
    m_desktopHeadless = false;
}

} // namespace tv
