#pragma once

#include <QStringList>

#include <functional>
#include <memory>

namespace tv {

class BrowserComponent;
class BrowserWindow;
class Form1;

// The browser window in front, when it shows an HTML page; null otherwise.
// Errors of single windows are passed over.
std::shared_ptr<BrowserWindow> browserInFront(BrowserComponent &browser);

// The address to build a list from that the program was started with: its
// first argument that is not an option, as a URL (a host name gains http://,
// an existing file's path becomes file://). Empty when there is none or it
// is not an http, https, ftp or file address.
QString addressArgument(const QStringList &arguments, const QString &workingDirectory);
// One such argument as a URL; empty when it is no http, https, ftp or file address.
QString pageAddress(const QString &argument, const QString &workingDirectory);

// What the start-up can be given instead of the real thing (tests use it to
// run real processes against a scripted browser).
struct StartupOptions
{
    std::function<std::unique_ptr<BrowserComponent>()> makeBrowser;
    // Called once the main window has loaded, before the event loop runs.
    std::function<void(Form1 &)> onMainWindow;
};

// The program's entry point: runs a terminal command (terminalmode.h), hands
// over to a running copy, or shows the main window and runs until it closes.
// Returns the process exit code.
int runTallyvane(int argc, char **argv, const StartupOptions &options = {});

} // namespace tv
