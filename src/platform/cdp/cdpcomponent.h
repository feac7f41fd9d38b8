#pragma once

#include "platform/browser.h"
#include "platform/cdp/cdpbrowser.h"

#include <QList>

#include <memory>

namespace tv {

class CdpWindow;

// Which browser to run, with extra flags, and whether the desktop browser runs
// headless. The start-up reads it from the settings.
struct BrowserChoice
{
    QString program;        // empty: none found
    QStringList flags;
    bool headless = false;

    // The named program as found on PATH (or as given when not found there);
    // with none named, the first Chromium-family browser on PATH.
    static BrowserChoice find(const QString &command = QString(), const QStringList &flags = {}, bool headless = false);
    // Arguments every launch gets (without the DevTools switch, profile and
    // start page). Chromium starts as root only without its sandbox, so only
    // then is the sandbox switched off.
    QStringList launchArguments(bool headlessInstance, bool asRoot = runningAsRoot()) const;
    static bool runningAsRoot();
};

// The system web browser over the DevTools protocol: the desktop browser
// (the user's visible windows, kept running after the program ends) and the
// headless harvest browser (started on first need, ended by shutdown()).
// A desktop browser this component started headless ends with shutdown() too.
class CdpBrowserComponent final : public BrowserComponent
{
    Q_OBJECT
public:
    explicit CdpBrowserComponent(BrowserChoice choice, QObject *parent = nullptr);
    ~CdpBrowserComponent() override;

    QList<BrowserWindowPtr> shellWindows() override;
    QString foregroundWindow() override;
    BrowserWindowPtr createWindow() override;
    BrowserWindowPtr createHarvestWindow() override;
    void shutdown() override;

    // The desktop browser's own profile: $XDG_DATA_HOME/Tallyvane/browser.
    static QString desktopProfileDir();

    // For tests and measurements: the running browsers, if any.
    qint64 desktopProcessId() const;
    qint64 desktopCompanionProcessId() const;
    qint64 harvestProcessId() const;
    std::shared_ptr<CdpBrowser> harvestBrowser() const;
    // Ends the desktop browser if this component started it (tests only).
    void closeDesktopBrowser();
    // Lets go of the desktop browser and leaves it running, as the program
    // does at its end with a visible one, so that another copy can take it
    // (tests only).
    void releaseDesktopBrowser();

    // Time bounds.
    static constexpr int AttachTimeout = 1500;
    static constexpr int LaunchTimeout = 20000;
    static constexpr int EndingTimeout = 10000;

private:
    std::shared_ptr<CdpBrowser> runningDesktop();
    std::shared_ptr<CdpBrowser> desktop();
    std::shared_ptr<CdpBrowser> harvest();
    // The choice, or an error that says how to make one.
    const BrowserChoice &usableChoice() const;

    BrowserChoice m_choice;
    std::shared_ptr<CdpBrowser> m_desktop;
    std::shared_ptr<CdpBrowser> m_harvest;
    bool m_desktopHeadless = false; // the desktop browser was started headless by us
    bool m_desktopInUse = false;    // its companion serves another copy of the program
    QList<std::weak_ptr<CdpWindow>> m_harvestWindows;
};

} // namespace tv
