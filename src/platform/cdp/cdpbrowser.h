#pragma once

#include "platform/cdp/cdpconnection.h"
#include "platform/cdp/cdppages.h"
#include "platform/cdp/cdppopups.h"
#include "platform/cdp/cdpsockettransport.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;
class QTemporaryDir;

namespace tv {

class CdpEventMapper;
class CdpWindow;

// True while a process with this id exists and has not ended.
bool processIsRunning(qint64 pid);
// The running process of this machine whose browser holds the profile's
// lock: 0 when none does, -1 when another machine's does. `locked` tells
// whether there is a lock at all.
qint64 browserHoldingProfile(const QString &profileDir, bool *locked = nullptr);

// How to start a browser.
struct BrowserLaunchOptions
{
    QString program;
    QStringList arguments;   // everything but the profile folder and the start page
    QString profileDir;      // empty: a fresh temporary folder, removed at the end
    bool detached = false;   // the browser outlives the program
    // DevTools over the child's pipes instead of a port on 127.0.0.1; only
    // for a browser that does not outlive the program.
    bool pipe = false;
    // A browser that outlives the program: started by this companion program,
    // which holds its pipe and offers it on socketPath.
    QString companion;
    QString socketPath;
};

// One running Chromium-family browser driven over its DevTools endpoint: its
// process (when this program started it) and the connection, with the events
// that keep its page registry and its pop-ups up to date.
class CdpBrowser final : public QObject, public std::enable_shared_from_this<CdpBrowser>
{
    Q_OBJECT
public:
    enum class Kind { Desktop, Harvest };

    // Connects to the browser that owns `profileDir`, if one runs and answers
    // on its port.
    static std::shared_ptr<CdpBrowser> attach(const QString &profileDir, Kind kind, int timeoutMs);
    // Connects to the browser whose companion listens on socketPath. Null
    // when there is none (a socket left by a companion that has gone is
    // removed) and, with `refused` set, when another client holds it.
    static std::shared_ptr<CdpBrowser> attachCompanion(const QString &socketPath, const QString &profileDir, Kind kind,
                                                       int timeoutMs, bool *refused = nullptr);
    // Starts a browser and connects to it; throws BrowserError on failure.
    static std::shared_ptr<CdpBrowser> launch(const BrowserLaunchOptions &options, Kind kind, int timeoutMs);

    ~CdpBrowser() override;

    bool isAlive() const { return m_alive; }
    qint64 processId() const { return m_pid; }
    // The companion that holds the browser's pipe, if any.
    qint64 companionProcessId() const { return m_companionPid; }
    QUrl endpoint() const { return m_endpoint; }
    QString profileDir() const { return m_profileDir; }
    CdpConnection *connection() const { return m_connection; }

    // Sends and waits; throws BrowserError when the browser is gone, does not
    // answer within timeoutMs, or answers with an error.
    QJsonObject call(const QString &method, const QJsonObject &params = {}, const QString &sessionId = {},
                     int timeoutMs = DefaultTimeout);
    static constexpr int DefaultTimeout = 10000;

    // Page targets, oldest first.
    QStringList pages() const { return m_pages.ids(); }
    // The page of a target, or null.
    CdpPagePtr page(const QString &targetId) const { return m_pages.find(targetId); }
    QString pageUrl(const QString &targetId) const;
    QString sessionOf(const QString &targetId) const;
    // The session that holds a frame running in its own process, or `inPage`
    // (the page's session) for a frame of the page's process.
    QString frameSession(const QString &frameId, const QString &inPage) const
    {
        return m_pages.frameSession(frameId, inPage);
    }
    CdpEventMapper *mapperOf(const QString &targetId) const;

    // The window object of a page target; one object per target while any
    // reference to it is held.
    std::shared_ptr<CdpWindow> window(const QString &targetId, bool closeOnRelease);
    // Opens a page target, waits until it is attached, returns its id.
    QString createPage(bool newWindow, int timeoutMs = DefaultTimeout);

    // Ends the browser (when this program started it) and waits a bounded time.
    void close(int timeoutMs = 5000);
    // Drops the connection and leaves the browser running.
    void disconnectFromBrowser();

private:
    explicit CdpBrowser(Kind kind);
    static void release(CdpBrowser *browser);
    // A browser found running, once connected: null when it cannot be set up.
    static std::shared_ptr<CdpBrowser> setUpAttached(const std::shared_ptr<CdpBrowser> &browser, int timeoutMs);
    // The port the browser opened, once it has written it into its profile.
    void connectToPort(const QString &profile, int timeoutMs);
    CdpSocketTransport::Result connectToCompanion(const QString &socketPath, int timeoutMs);
    void launchCompanion(const BrowserLaunchOptions &options, const QStringList &arguments, int timeoutMs);
    void killProcess();
    // Connects to a browser just started and sets it up; ends it on failure.
    void finishLaunch(const std::function<void()> &connect);
    // The blank page a launched desktop browser opened, closed once a window of ours is open.
    void keepStartPage();
    void endHelpers();
    bool connectTo(const QUrl &endpoint, int timeoutMs);
    void setUp(bool seedOrderByWindow);
    void onEvent(const QString &sessionId, const QString &method, const QJsonObject &params);
    void onClosed();
    void addPage(const QJsonObject &targetInfo);
    void removePage(const QString &targetId);
    void initSession(const QString &sessionId, const QString &pageId);
    void attached(const QString &parentSession, const QString &sessionId, const QJsonObject &targetInfo);
    void pageEvent(const QString &sessionId, const QString &method, const QJsonObject &params);

    Kind m_kind;
    bool m_alive = false;
    qint64 m_pid = 0;
    qint64 m_companionPid = 0;
    QUrl m_endpoint;
    QString m_profileDir;
    QString m_spare; // the blank page the browser started with, not yet handed out
    CdpConnection *m_connection;
    QProcess *m_process = nullptr;
    std::unique_ptr<QTemporaryDir> m_tempProfile;
    CdpPageRegistry m_pages;
    CdpPopups m_popups;
};

} // namespace tv
