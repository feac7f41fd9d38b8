#include "app/startup.h"

#include "app/mainwindow.h"
#include "platform/cdp/cdpcomponent.h"
#include "platform/cdp/harvestprofile.h"
#include "platform/cdp/systembrowser.h"
#include "platform/singleinstance.h"
#include "settings/browsersettings.h"
#include "settings/settingsstore.h"

#include <QApplication>

namespace tv {

BrowserWindowPtr browserInFront(BrowserComponent &browser)
{
    try {
        const QString front = browser.foregroundWindow();
        if (front.isEmpty())
            return nullptr;
        const QList<BrowserWindowPtr> windows = browser.shellWindows();
        for (const BrowserWindowPtr &w : windows) {
            try {
                if (w->isHtmlDocument() && w->hwnd() == front)
                    return w;
            } catch (const BrowserError &) {
                // One unreadable window does not end the search.
            }
        }
    } catch (const BrowserError &) {
    }
    return nullptr;
}

int runTallyvane(int argc, char **argv, const StartupOptions &options)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyvane"));
    QApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral(TALLYVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tallyvane"));

    std::unique_ptr<BrowserComponent> browser;
    if (options.makeBrowser) {
        browser = options.makeBrowser();
    } else {
        const StoredBrowser stored = storedBrowser(CRegSettings::program());
        browser = createSystemBrowser(BrowserChoice::find(stored.command, stored.flags, stored.headless));
    }

    SingleInstance instance(QStringLiteral("tallyvane"));
    if (!instance.tryBecomeFirst()) {
        QString address;
        if (BrowserWindowPtr front = browserInFront(*browser)) {
            try {
                address = front->locationUrl();
            } catch (const BrowserError &) {
            }
        }
        instance.handOver(address);
        browser->shutdown();
        return 0;
    }

    // Profiles of harvest browsers whose program was killed before it could remove them.
    harvestprofile::removeStale();

    Form1 form(browser.get());
    QObject::connect(&instance, &SingleInstance::handedOver, &form, &Form1::receiveHandOver);
    form.setWb2(browserInFront(*browser));
    form.Form_Load();
    if (options.onMainWindow)
        options.onMainWindow(form);
    const int code = app.exec();
    browser->shutdown();
    return code;
}

} // namespace tv
