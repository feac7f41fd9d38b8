#include "app/startup.h"

#include "app/mainwindow.h"
#include "app/terminalmode.h"
#include "platform/cdp/cdpcomponent.h"
#include "platform/cdp/harvestprofile.h"
#include "platform/cdp/systembrowser.h"
#include "platform/singleinstance.h"
#include "settings/browsersettings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QUrl>

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

QString addressArgument(const QStringList &arguments, const QString &workingDirectory)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(u'-'))
            return pageAddress(arguments[i], workingDirectory);
    }
    return QString();
}

QString pageAddress(const QString &argument, const QString &workingDirectory)
{
    const QUrl url = QUrl::fromUserInput(argument, workingDirectory);
    // Only pages: a desktop may hand over any scheme, script included.
    static const QStringList pages = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"),
                                      QStringLiteral("file")};
    return url.isValid() && pages.contains(url.scheme()) ? url.toString(QUrl::FullyEncoded) : QString();
}

namespace {

// The browser the settings name.
std::unique_ptr<BrowserComponent> systemBrowser()
{
    const StoredBrowser stored = storedBrowser(CRegSettings::program());
    return createSystemBrowser(BrowserChoice::find(stored.command, stored.flags, stored.headless));
}

} // namespace

int runTallyvane(int argc, char **argv, const StartupOptions &options)
{
    const TerminalMode::BrowserMaker makeBrowser = options.makeBrowser ? options.makeBrowser : systemBrowser;
    if (TerminalMode::wanted(argc, argv))
        return TerminalMode::run(argc, argv, makeBrowser);
    if (const int code = TerminalMode::refuseWithoutDisplay(); code != 0)
        return code;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyvane"));
    QApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral(TALLYVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.example.Tallyvane"));

    std::unique_ptr<BrowserComponent> browser = makeBrowser();

    const QString argument = addressArgument(QApplication::arguments(), QDir::currentPath());
    SingleInstance instance(QStringLiteral("tallyvane"));
    if (!instance.tryBecomeFirst()) {
        if (!argument.isEmpty()) {
            instance.handOver(argument, 5000, SingleInstance::Request::Build);
            browser->shutdown();
            return 0;
        }
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
    QObject::connect(&instance, &SingleInstance::buildRequested, &form, [&form](const QString &address) {
        form.receiveHandOver(QString());
        form.buildFromArgument(address);
    });
    // The page in front is not listed when the list is to be built from an address.
    form.Form_Load(argument.isEmpty() ? browserInFront(*browser) : nullptr);
    form.buildFromArgument(argument);
    if (options.onMainWindow)
        options.onMainWindow(form);
    const int code = app.exec();
    browser->shutdown();
    return code;
}

} // namespace tv
