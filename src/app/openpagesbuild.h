#pragma once

// "Build list from open browser windows": the links of every page open in the
// viewer's browser, window after window, each page with its frames.

#include "platform/browser.h"

#include <QObject>

namespace tv {

class UrlBuildHost;
class UrlBuildSession;

class OpenPagesBuild final : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        qsizetype windows = 0; // open browser windows
        qsizetype read = 0;    // web pages whose links were taken
        qsizetype skipped = 0; // pages that did not answer in time
        qsizetype leftOut = 0; // addresses that did not fit in the list
        qsizetype cutAt = 0;   // a page held more addresses than this many read
        bool unfinished = false; // a page's read stopped at its bounds
        bool cancelled = false;
    };

    // `options`: the filters and the media choice of a build from a page.
    OpenPagesBuild(UrlBuildHost &host, const UrlBuildSession &options, QObject *parent = nullptr);

    // The open browser windows, in the browser's order; empty when no
    // browser runs. Throws nothing.
    QList<BrowserWindowPtr> openWindows() const;
    // Adds the new links of each window's page in turn, deduplicated against
    // the list and across pages. Returns when the build has ended.
    Result run(const QList<BrowserWindowPtr> &windows);
    // Esc: the build ends at once; the list keeps what it has.
    void cancel();
    // A run is still on its way out (its last read not yet answered).
    bool running() const { return m_running; }

    // What the user is told at the end, or "" for nothing.
    static QString endMessage(const Result &result);

private:
    void end();

    UrlBuildHost &m_host;
    const UrlBuildSession &m_options;
    bool m_running = false;
    bool m_ended = true;
    bool m_cancelled = false;
};

} // namespace tv
