#pragma once

// The build of a list from a web page: the page being harvested (`wb2`) and
// its events, the stall bound, the navigation error, the harvest of a page,
// `append`, the file-type filters, the hand-over queue and Timer3, and the
// one way a build ends.

#include "builders/linkharvest.h"
#include "platform/browser.h"

#include <QObject>
#include <QStringList>

class QTimer;

namespace tv {

// What a build needs of the main window.
class UrlBuildHost
{
public:
    virtual ~UrlBuildHost() = default;

    virtual BrowserComponent *browser() const = 0;
    virtual QStringList links() const = 0;
    virtual qsizetype room() const = 0;
    // `page`: the address of the page the links were found on.
    virtual void addLinks(const QList<HarvestedLink> &links, const QString &page) = 0;
    virtual void clearLinks() = 0;
    // The count text in the progress panel; the list's scroll extent.
    virtual void showCount() = 0;
    virtual void refreshExtent() = 0;
    // Empty: the idle banner.
    virtual void setStatus(const QString &text) = 0;
    virtual void setInputEnabled(bool enabled) = 0;
    // The bar at `value` of `max`; 0 gives the panel back to its text, which
    // clearProgressText() empties.
    virtual void setProgress(qint32 value, qint32 max) = 0;
    virtual qint32 progressMax() const = 0;
    virtual void clearProgressText() = 0;
    // A critical message box titled "Error", over a usable window.
    virtual void showError(const QString &text) = 0;
    virtual void reportListFull(qsizetype leftOut) = 0;
    // The page held more different addresses than the `read` asked for.
    virtual void reportPageCut(qsizetype read) = 0;
    // The read of the page stopped before its end (too big, or shadow trees
    // nested too deep); what was found is listed.
    virtual void reportPageUnfinished() { showError(pageUnfinishedText()); }
    static QString pageUnfinishedText()
    {
        return QStringLiteral("This page is too large or too deeply nested to be read in full; "
                              "the links found before the read stopped are listed.");
    }
};

class UrlBuildSession final : public QObject
{
    Q_OBJECT
public:
    explicit UrlBuildSession(UrlBuildHost &host, QObject *parent = nullptr);

    // Lists `address`: at once from a browser window that shows it, then from
    // a fresh load in an invisible browser. Without a browser the build ends
    // with an error.
    void start(const QString &address);
    // RecurseFrames: adds the links of a document and its frames, then ends the build.
    void harvest(const HtmlDocumentPtr &doc);
    // At load: the list emptied and filled from the page of `window`; a page
    // that cannot be read leaves the list empty.
    void harvestAtLoad(BrowserWindowPtr window);
    // Esc: stops the load and ends the build; the list keeps what it has.
    void cancel();
    // The window is closing: the page being loaded goes, no hand-over follows.
    void quit();

    // What the status panel says while a build runs.
    static QString buildingStatus();
    bool running() const { return m_window != nullptr; }

    // `append`: the coming links go behind the list's entries, else replace them.
    bool append() const { return m_append; }
    void setAppend(bool append) { m_append = append; }
    // `ftypes`, and whether a build keeps only links with these extensions.
    QStringList filters() const { return m_filters; }
    void setFilters(const QStringList &extensions) { m_filters = extensions; }
    bool filtersApplied() const { return m_filtersApplied; }
    void setFiltersApplied(bool applied) { m_filtersApplied = applied; }
    // "Include images and media": images, video and audio are listed too.
    bool includeMedia() const { return m_includeMedia; }
    void setIncludeMedia(bool include) { m_includeMedia = include; }

    // Queues an address handed over by a second start for Timer3.
    void handOver(const QString &address);

    // A page load that reports nothing for this long ends the build.
    int stallMs = 120000;

    // The events of `wb2`.
    void wb2_DocumentComplete(const QString &pDisp, const QString &url);
    void wb2_NavigateError(const QString &pDisp, const QString &url, const QString &frame, qint32 statusCode);
    void wb2_NewWindow2(bool *cancel);
    void wb2_ProgressChange(qint32 progress, qint32 progressMax);
    // The harvest of a handed-over address, then the next queued one.
    void Timer3_Timer();

private:
    enum class End {
        Harvested, // after the links were added: the progress bar is left as it is
        Finished,  // the load ended, with or without an error, or Esc ended it
    };
    // Every build ends here: the count, the extent, the pointer, the idle
    // banner, the window enabled, the progress bar and `wb2` released.
    void end(End how);
    // Ends the build, then tells the user (over a usable window).
    void fail(const QString &detail = QString());
    void stillLoading();
    // Lists the page a second start handed over, from the window that shows it.
    void harvestHandedOver(const QString &address);
    // Makes the window the one being harvested (`wb2`) and routes its events here.
    void setWindow(BrowserWindowPtr window);
    // How many different addresses a page read needs at most.
    qsizetype linksToRead() const;
    // The document of the window being harvested, read as the options say.
    HtmlDocumentPtr readDocument() const;
    // The page being loaded has gone: its browser ended (crashed or was
    // killed) or the page closed itself. Nothing more will come of the load.
    void windowGone();

    UrlBuildHost &m_host;
    BrowserWindowPtr m_window; // `wb2`
    bool m_append = false;
    QStringList m_filters;
    bool m_filtersApplied = false;
    bool m_includeMedia = false;
    QTimer *m_stall;
    bool m_navError = false;
    QString m_navErrorText;
    QTimer *m_handOverTimer; // Timer3
    QString m_nurl;
    // Addresses handed over while an earlier one still waits for Timer3.
    QStringList m_pendingHandOvers;
};

} // namespace tv
