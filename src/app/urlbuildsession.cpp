#include "app/urlbuildsession.h"

#include "app/busypointer.h"
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "builders/linkharvest.h"
#include "builders/navigationerrors.h"
#include "platform/commoncontrols.h"
#include "platform/messagebox.h"

#include <QAction>
#include <QTimer>

namespace tv {

UrlBuildSession::UrlBuildSession(Form1 &form) : QObject(&form), m_form(form), m_stall(new QTimer(this))
{
    m_stall->setObjectName(QStringLiteral("buildStall"));
    m_stall->setSingleShot(true);
    connect(m_stall, &QTimer::timeout, this, [this] {
        if (!m_form.wb2)
            return;
        try {
            m_form.wb2->stop();
        } catch (const BrowserError &) {
        }
        fail();
    });
}

void UrlBuildSession::resetNavigationError()
{
    m_navError = false;
    m_navErrorText.clear();
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
    BrowserComponent *browser = m_form.browser();
    // A browser window that already shows the page is harvested at once.
    try {
        if (BrowserWindowPtr w = browser ? windowShowing(browser->shellWindows(), address) : nullptr) {
            setWindow(w);
            w->setRegisterAsBrowser(true);
        }
    } catch (const BrowserError &) {
    }
    if (m_form.wb2) {
        if (!m_form.append)
            m_form.List1->Clear();
        try {
            harvest(m_form.wb2->document());
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

void UrlBuildSession::harvest(const HtmlDocumentPtr &doc)
{
    const QStringList filters = m_form.mnuopappfilt->isChecked() ? m_form.ftypes : QStringList();
    LinkHarvest walk(m_form.List1->Items(), m_form.List1->Room(), filters);
    if (doc)
        walk.walk(*doc);
    m_form.List1->AppendMany(walk.added(), doc ? doc->url : QString());
    end(End::Harvested);

    // Told after the caller has finished its own clean-up.
    if (const qsizetype leftOut = walk.leftOut(); leftOut > 0)
        QTimer::singleShot(0, &m_form, [form = &m_form, leftOut] { reportListFull(form, leftOut); });
}

void UrlBuildSession::harvestHandedOver(const QString &address)
{
    QList<BrowserWindowPtr> windows;
    bool listed = false;
    try {
        if (m_form.browser()) {
            windows = m_form.browser()->shellWindows();
            listed = true;
        }
    } catch (const BrowserError &) {
    }
    if (BrowserWindowPtr w = windowShowing(windows, address))
        setWindow(w);
    // No window list at all, or an empty one and no page to read.
    if (!listed || (!m_form.wb2 && windows.isEmpty())) {
        MsgBox(&m_form,
               QStringLiteral("Error listing links automatically. Please use \"Build list from URL\" in \"List\" menu."),
               MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
        return;
    }

    if (m_form.wb2) {
        try {
            m_form.wb2->setFirstFrameInnerText(QStringLiteral("insttxt"), QStringLiteral("poop"));
        } catch (const BrowserError &) {
        }
    }
    m_form.List1->Clear();
    try {
        if (!m_form.wb2)
            throw BrowserError(QStringLiteral("No browser window shows the page."));
        harvest(m_form.wb2->document());
    } catch (const BrowserError &) {
        // Nothing to list: the emptied list and its count are what is left.
        end(End::Finished);
    }
}

void UrlBuildSession::cancel()
{
    m_form.setStatus(idleBanner());
    m_form.setFormEnabled(true);
    m_form.setProgress(0);
    if (!m_form.wb2)
        return;
    try {
        m_form.wb2->stop();
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
    m_form.ShowCount();
    m_form.List1->RefreshExtent();
    clearBusyPointer();
    m_form.setStatus(idleBanner());
    m_form.setFormEnabled(true);
    if (how != End::Harvested)
        m_form.setProgress(0);
    setWindow(nullptr);
}

void UrlBuildSession::fail(const QString &detail)
{
    end(End::Finished);
    const QString problem = QStringLiteral("Tallyvane encountered a problem building a list from this url.");
    MsgBox(&m_form, detail.isNull() ? problem : problem + QStringLiteral("\r\n\r\nError: ") + detail, MsgButtons::Ok,
           MsgIcon::Critical, QStringLiteral("Error"));
}

void UrlBuildSession::setWindow(BrowserWindowPtr window)
{
    BrowserWindowPtr &wb2 = m_form.wb2;
    if (wb2) {
        disconnect(wb2.get(), nullptr, &m_form, nullptr);
        disconnect(wb2.get(), nullptr, this, nullptr);
        // Released on the next turn of the event loop: the window may be in
        // the middle of emitting the event that ends the build.
        QTimer::singleShot(0, this, [old = std::move(wb2)] {});
    }
    wb2 = std::move(window);
    if (wb2) {
        connect(wb2.get(), &BrowserWindow::DocumentComplete, &m_form, &Form1::wb2_DocumentComplete);
        connect(wb2.get(), &BrowserWindow::NavigateError, &m_form, &Form1::wb2_NavigateError);
        connect(wb2.get(), &BrowserWindow::NewWindow2, &m_form, &Form1::wb2_NewWindow2);
        connect(wb2.get(), &BrowserWindow::ProgressChange, &m_form, &Form1::wb2_ProgressChange);
        connect(wb2.get(), &BrowserWindow::OnQuit, this, &UrlBuildSession::windowGone);
    }
}

void UrlBuildSession::windowGone()
{
    // Only a load waits for events; a window read at once has been read.
    if (m_form.wb2 && m_stall->isActive())
        fail();
}

void UrlBuildSession::stillLoading()
{
    if (m_stall->isActive())
        m_stall->start(stallMs);
}

void UrlBuildSession::documentComplete(const QString &pDisp)
{
    if (!m_form.wb2)
        return;
    if (pDisp != m_form.wb2->name()) {
        // A frame finished: the page is still making progress.
        stillLoading();
        return;
    }
    m_stall->stop();
    try {
        if (!m_form.append)
            m_form.List1->Clear();
        if (m_navError) {
            fail(m_navErrorText);
            return;
        }
        harvest(m_form.wb2->document());
        end(End::Finished);
    } catch (const BrowserError &) {
        fail();
    }
}

void UrlBuildSession::navigateError(const QString &pDisp, qint32 statusCode)
{
    stillLoading();
    // Frames report under their own names: their errors do not fail the build.
    if (m_form.wb2 && pDisp == m_form.wb2->name()) {
        m_navError = true;
        m_navErrorText = tv::navigationErrorText(statusCode);
    }
}

void UrlBuildSession::progressChange(qint32 progress, qint32 progressMax)
{
    stillLoading();
    m_form.sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
    if (progress < 1) {
        m_form.setProgress(0);
        m_form.ShowCount();
    } else {
        // A maximum of 0 means the total is not known yet: the bar keeps
        // its scale, stretched to the progress if need be.
        m_form.setProgress(progress, progressMax >= 1 ? progressMax : std::max(m_form.ProgressMax(), progress));
    }
}

void UrlBuildSession::handOver(const QString &address)
{
    // Several starts in a row must not overwrite an address not yet harvested.
    if (m_form.Timer3->isActive()) {
        m_pendingHandOvers.append(address);
        return;
    }
    m_form.nurl = address;
    m_form.Timer3->start();
}

void UrlBuildSession::timer3Tick()
{
    m_form.Timer3_Timer();
    if (!m_form.Timer3->isActive() && !m_pendingHandOvers.isEmpty()) {
        m_form.nurl = m_pendingHandOvers.takeFirst();
        m_form.Timer3->start();
    }
}

} // namespace tv
