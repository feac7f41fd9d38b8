#include "app/urlbuildsession.h"

#include "app/busypointer.h"
#include "builders/linkharvest.h"
#include "builders/navigationerrors.h"

#include <QTimer>

namespace tv {

UrlBuildSession::UrlBuildSession(UrlBuildHost &host, QObject *parent)
    : QObject(parent), m_host(host), m_stall(new QTimer(this)), m_handOverTimer(new QTimer(this))
{
    m_stall->setObjectName(QStringLiteral("buildStall"));
    m_stall->setSingleShot(true);
    connect(m_stall, &QTimer::timeout, this, [this] {
        if (!m_window)
            return;
        try {
            m_window->stop();
        } catch (const BrowserError &) {
        }
        fail();
    });
    m_handOverTimer->setObjectName(QStringLiteral("Timer3"));
    m_handOverTimer->setInterval(15);
    connect(m_handOverTimer, &QTimer::timeout, this, &UrlBuildSession::Timer3_Timer);
}

namespace {

// The first of `windows` that shows `address` as a web page; windows that
// cannot be read are passed over.
BrowserWindowPtr windowShowing(const QList<BrowserWindowPtr> &windows, const QString &address)
{
    for (const BrowserWindowPtr &w : windows) {
        try {
            if (w->isHtmlDocument() && w->locationUrl() == address)
                return w;
        } catch (const BrowserError &) {
        }
    }
    return nullptr;
}

} // namespace

void UrlBuildSession::start(const QString &address)
{
    m_navError = false;
    m_navErrorText.clear();
    BrowserComponent *browser = m_host.browser();
    // A browser window that already shows the page is harvested at once.
    try {
        if (BrowserWindowPtr w = browser ? windowShowing(browser->shellWindows(), address) : nullptr) {
            setWindow(w);
            w->setRegisterAsBrowser(true);
        }
    } catch (const BrowserError &) {
    }
    if (m_window) {
        if (!m_append)
            m_host.clearLinks();
        try {
            harvest(readDocument());
        } catch (const BrowserError &) {
        }
    }

    // In every case the page is loaded afresh in an invisible browser.
    try {
        if (!browser)
            throw BrowserError(QStringLiteral("No web browser is available."));
        BrowserWindowPtr page = browser->createHarvestWindow();
        setWindow(page);
        page->setSilent(true);
        m_stall->start(stallMs);
        page->navigate(address);
    } catch (const BrowserError &e) {
        // Without a browser nothing would ever end the build: say so now.
        fail(QString::fromUtf8(e.what()));
    }
}

qsizetype UrlBuildSession::linksToRead() const
{
    // Every new address fits in the room; the page may repeat at most every
    // entry already listed before the room fills.
    return m_host.room() + m_host.links().size();
}

HtmlDocumentPtr UrlBuildSession::readDocument() const
{
    return m_window->document(linksToRead(), m_includeMedia);
}

void UrlBuildSession::harvest(const HtmlDocumentPtr &doc)
{
    const qsizetype read = linksToRead();
    LinkHarvest walk(m_host.links(), m_host.room(), m_filtersApplied ? m_filters : QStringList());
    if (doc)
        walk.walk(*doc);
    m_host.addLinks(walk.harvested(), doc ? doc->url : QString());
    end(End::Harvested);

    // Told after the caller has finished its own clean-up.
    if (doc && doc->cut) {
        QTimer::singleShot(0, this, [this, read] {
            m_host.reportPageCut(read);
        });
    } else if (doc && doc->unfinished) {
        QTimer::singleShot(0, this, [this] { m_host.reportPageUnfinished(); });
    } else if (const qsizetype leftOut = walk.leftOut(); leftOut > 0)
        QTimer::singleShot(0, this, [this, leftOut] { m_host.reportListFull(leftOut); });
}

void UrlBuildSession::harvestAtLoad(BrowserWindowPtr window)
{
    if (!window)
        return;
    setWindow(std::move(window));
    m_host.clearLinks();
    try {
        harvest(readDocument());
    } catch (const BrowserError &) {
        // The page in front could not be read: start with an empty list.
        setWindow(nullptr);
    }
}

void UrlBuildSession::harvestHandedOver(const QString &address)
{
    QList<BrowserWindowPtr> windows;
    bool listed = false;
    try {
        if (m_host.browser()) {
            windows = m_host.browser()->shellWindows();
            listed = true;
        }
    } catch (const BrowserError &) {
    }
    if (BrowserWindowPtr w = windowShowing(windows, address))
        setWindow(w);
    // No window list at all, or an empty one and no page to read.
    if (!listed || (!m_window && windows.isEmpty())) {
        m_host.showError(QStringLiteral(
            "Error listing links automatically. Please use \"Build list from URL\" in \"List\" menu."));
        return;
    }

    if (m_window) {
        try {
            m_window->setFirstFrameInnerText(QStringLiteral("insttxt"), QStringLiteral("poop"));
        } catch (const BrowserError &) {
        }
    }
    m_host.clearLinks();
    try {
        if (!m_window)
            throw BrowserError(QStringLiteral("No browser window shows the page."));
        harvest(readDocument());
    } catch (const BrowserError &) {
        // Nothing to list: the emptied list and its count are what is left.
        end(End::Finished);
    }
}

void UrlBuildSession::cancel()
{
    m_host.setStatus(QString());
    m_host.setInputEnabled(true);
    m_host.setProgress(0, 100);
    if (!m_window)
        return;
    try {
        m_window->stop();
    } catch (const BrowserError &) {
        // Gone already: nothing left to stop.
    }
    end(End::Finished);
}

QString UrlBuildSession::buildingStatus()
{
    return QStringLiteral("Bulding list (press \"Esc\" to cancel).");
}

void UrlBuildSession::end(End how)
{
    m_stall->stop();
    m_host.showCount();
    m_host.refreshExtent();
    clearBusyPointer();
    m_host.setStatus(QString());
    m_host.setInputEnabled(true);
    if (how != End::Harvested)
        m_host.setProgress(0, 100);
    setWindow(nullptr);
}

void UrlBuildSession::fail(const QString &detail)
{
    end(End::Finished);
    const QString problem = QStringLiteral("Tallyvane encountered a problem building a list from this url.");
    m_host.showError(detail.isNull() ? problem : problem + QStringLiteral("\r\n\r\nError: ") + detail);
}

void UrlBuildSession::setWindow(BrowserWindowPtr window)
{
    if (m_window) {
        disconnect(m_window.get(), nullptr, this, nullptr);
        // Released on the next turn of the event loop: the window may be in
        // the middle of emitting the event that ends the build.
        QTimer::singleShot(0, this, [old = std::move(m_window)] {});
    }
    m_window = std::move(window);
    if (BrowserWindow *w = m_window.get()) {
        connect(w, &BrowserWindow::DocumentComplete, this, &UrlBuildSession::wb2_DocumentComplete);
        connect(w, &BrowserWindow::NavigateError, this, &UrlBuildSession::wb2_NavigateError);
        connect(w, &BrowserWindow::NewWindow2, this, &UrlBuildSession::wb2_NewWindow2);
        connect(w, &BrowserWindow::ProgressChange, this, &UrlBuildSession::wb2_ProgressChange);
        connect(w, &BrowserWindow::OnQuit, this, &UrlBuildSession::windowGone);
    }
}

void UrlBuildSession::windowGone()
{
    // Only a load waits for events; a window read at once has been read.
    if (m_window && m_stall->isActive())
        fail();
}

void UrlBuildSession::stillLoading()
{
    if (m_stall->isActive())
        m_stall->start(stallMs);
}

void UrlBuildSession::wb2_DocumentComplete(const QString &pDisp, const QString &)
{
    if (!m_window)
        return;
    if (pDisp != m_window->name()) {
        // A frame finished: the page is still making progress.
        stillLoading();
        return;
    }
    m_stall->stop();
    try {
        if (!m_append)
            m_host.clearLinks();
        if (m_navError) {
            fail(m_navErrorText);
            return;
        }
        harvest(readDocument());
        end(End::Finished);
    } catch (const BrowserError &) {
        fail();
    }
}

void UrlBuildSession::wb2_NavigateError(const QString &pDisp, const QString &, const QString &, qint32 statusCode)
{
    stillLoading();
    // Frames report under their own names: their errors do not fail the build.
    if (m_window && pDisp == m_window->name()) {
        m_navError = true;
        m_navErrorText = tv::navigationErrorText(statusCode);
    }
}

void UrlBuildSession::wb2_NewWindow2(bool *cancel)
{
    *cancel = true;
}

void UrlBuildSession::wb2_ProgressChange(qint32 progress, qint32 progressMax)
{
    stillLoading();
    m_host.clearProgressText();
    if (progress < 1) {
        m_host.setProgress(0, 100);
        m_host.showCount();
    } else {
        // A maximum of 0 means the total is not known yet: the bar keeps
        // its scale, stretched to the progress if need be.
        m_host.setProgress(progress, progressMax >= 1 ? progressMax : std::max(m_host.progressMax(), progress));
    }
}

void UrlBuildSession::quit()
{
    m_handOverTimer->stop();
    m_stall->stop();
    // Let go first: the page's quit event is no failure of the build.
    const BrowserWindowPtr window = m_window;
    setWindow(nullptr);
    try {
        if (window)
            window->quit();
    } catch (const BrowserError &) {
    }
}

void UrlBuildSession::handOver(const QString &address)
{
    // Several starts in a row must not overwrite an address not yet harvested.
    if (m_handOverTimer->isActive()) {
        m_pendingHandOvers.append(address);
        return;
    }
    m_nurl = address;
    m_handOverTimer->start();
}

void UrlBuildSession::Timer3_Timer()
{
    // Off first: the message a failure shows lets the timer tick again.
    m_handOverTimer->stop();
    harvestHandedOver(m_nurl);
    if (!m_handOverTimer->isActive() && !m_pendingHandOvers.isEmpty()) {
        m_nurl = m_pendingHandOvers.takeFirst();
        m_handOverTimer->start();
    }
}

} // namespace tv
