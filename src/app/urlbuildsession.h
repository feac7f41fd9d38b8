#pragma once

// The build of a list from a web page: the page being harvested (`wb2`) and
// its events, the stall bound, the navigation error, the harvest of a page,
// the hand-over queue, and the one way a build ends.

#include "platform/browser.h"

#include <QObject>
#include <QStringList>

class QTimer;

namespace tv {

class Form1;

class UrlBuildSession final : public QObject
{
    Q_OBJECT
public:
    explicit UrlBuildSession(Form1 &form);

    // Lists `address`: at once from a browser window that shows it, then from
    // a fresh load in an invisible browser. Without a browser the build ends
    // with an error.
    void start(const QString &address);
    // Adds the links of a document and its frames, then ends the build.
    void harvest(const HtmlDocumentPtr &doc);
    // Lists the page a second start handed over, from the window that shows it.
    void harvestHandedOver(const QString &address);
    // Esc: stops the load and ends the build; the list keeps what it has.
    void cancel();

    // What the status panel says while a build runs.
    static QString buildingStatus();

    // Makes the window the one being harvested (`wb2`) and routes its events
    // to the main window's handlers.
    void setWindow(BrowserWindowPtr window);

    // From `wb2`'s events, through the main window's handlers.
    void documentComplete(const QString &pDisp);
    void navigateError(const QString &pDisp, qint32 statusCode);
    void progressChange(qint32 progress, qint32 progressMax);

    // Queues an address handed over by a second start for Timer3.
    void handOver(const QString &address);
    // Timer3's tick, then the next queued address.
    void timer3Tick();

    void resetNavigationError();

    // A page load that reports nothing for this long ends the build.
    int stallMs = 120000;

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
    // How many different addresses a page read needs at most.
    qsizetype linksToRead() const;
    // The page being loaded has gone: its browser ended (crashed or was
    // killed) or the page closed itself. Nothing more will come of the load.
    void windowGone();

    Form1 &m_form;
    QTimer *m_stall;
    bool m_navError = false;
    QString m_navErrorText;
    // Addresses handed over while an earlier one still waits for Timer3.
    QStringList m_pendingHandOvers;
};

} // namespace tv
