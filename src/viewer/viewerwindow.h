#pragma once

#include "platform/browser.h"

#include <functional>

namespace tv {

// What the main window does with the windows the viewer rule hands it:
// `taken` holds a window as the viewer (and hears its events), `created`
// telling that the program opened it; `dropped` forgets a held window that
// has gone without its quit event reaching the program.
struct ViewerHooks
{
    std::function<void(const BrowserWindowPtr &window, bool created)> taken;
    std::function<void()> dropped;
};

// The window a link opens in when no viewer is held: with `newwin` a new
// one; otherwise the last open browser window that shows a web page, and a
// new one when there is none. Windows that cannot be asked for their document
// are passed over. Throws BrowserError when no browser can be started.
BrowserWindowPtr adoptOrCreateViewer(BrowserComponent &browser, bool newwin, bool *created);

// How the held window is readied before a link opens in it.
struct ViewerReadying
{
    bool shown = true;       // the "hide_br" state: shown, or hidden but still loading
    bool stopWhenBusy = true;
};

// Makes sure a live viewer is held and readies it: visible or not, brought to
// the front when visible, a load in progress stopped. A held window that turns
// out to have gone is dropped and another one adopted or created, without a
// word to the user. Returns the viewer; throws BrowserError when none can be had.
BrowserWindowPtr readyViewer(BrowserComponent &browser, BrowserWindowPtr held, bool newwin,
                             const ViewerReadying &how, const ViewerHooks &hooks);

// The online tour: always a window of its own (`held`, or a new one), shown
// maximised, on `address`. Returns the window; `created` as above.
BrowserWindowPtr openTourWindow(BrowserComponent &browser, BrowserWindowPtr held, const QString &address,
                                const ViewerHooks &hooks);

// Why the viewer will not open `url`, in words for the user; empty for the
// addresses it opens (http, https and ftp). Other schemes could show local
// files or the browser's own pages to whoever planted the link.
QString refusedLinkReason(const QString &url);

// The tour page on the maker's web site.
QString tourAddress();

} // namespace tv
