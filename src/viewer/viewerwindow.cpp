#include "viewer/viewerwindow.h"

#include "winsupport/aboutdialog.h"

#include <QUrl>

namespace tv {

BrowserWindowPtr adoptOrCreateViewer(BrowserComponent &browser, bool newwin, bool *created)
{
    *created = false;
    if (!newwin) {
        BrowserWindowPtr last;
        const QList<BrowserWindowPtr> windows = browser.shellWindows();
        for (const BrowserWindowPtr &w : windows) {
            try {
                if (w->isHtmlDocument())
                    last = w;
            } catch (const BrowserError &) {
                // Passed over, like a folder window.
            }
        }
        if (last)
            return last;
    }
    BrowserWindowPtr w = browser.createWindow();
    *created = true;
    return w;
}

namespace {

// Runs `use` on the held window, or on a new one from `make`. A held window
// that fails is taken to have gone: it is dropped and `use` runs once more on
// a new one. A failure of a window just made is the caller's to report.
template<typename Make, typename Use>
BrowserWindowPtr withLiveWindow(BrowserWindowPtr held, const ViewerHooks &hooks, Make make, Use use)
{
    for (;;) {
        const bool fresh = !held;
        if (fresh) {
            bool created = false;
            held = make(&created);
            hooks.taken(held, created);
        }
        try {
            use(*held);
            return held;
        } catch (const BrowserError &) {
            if (fresh)
                throw;
            held.reset();
            hooks.dropped();
        }
    }
}

} // namespace

BrowserWindowPtr readyViewer(BrowserComponent &browser, BrowserWindowPtr held, bool newwin, const ViewerReadying &how,
                             const ViewerHooks &hooks)
{
    return withLiveWindow(
        std::move(held), hooks, [&](bool *created) { return adoptOrCreateViewer(browser, newwin, created); },
        [&](BrowserWindow &w) {
            w.setVisible(how.shown);
            if (w.visible()) {
                w.showNoActivate();
                w.bringToForeground();
            }
            if (how.stopWhenBusy && w.busy())
                w.stop();
        });
}

BrowserWindowPtr openTourWindow(BrowserComponent &browser, BrowserWindowPtr held, const QString &address,
                                const ViewerHooks &hooks)
{
    return withLiveWindow(
        std::move(held), hooks,
        [&](bool *created) {
            *created = true;
            return browser.createWindow();
        },
        [&](BrowserWindow &w) {
            w.setVisible(true);
            w.showMaximized();
            w.navigate(address);
        });
}

QString refusedLinkReason(const QString &url)
{
    const QString scheme = QUrl(url.trimmed()).scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"ftp")
        return QString();
    return QStringLiteral("\"%1\" is not a web address: Tallyvane opens only http, https and ftp links in the browser.")
        .arg(url);
}

QString tourAddress()
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QUrl(MakerHomePage()).host());
    url.setPath(QStringLiteral("/TallyvaneTour/tour1.shtml"));
    return url.toString();
}

} // namespace tv
