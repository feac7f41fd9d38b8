// Building a list from a web page, and the file-type filters.
#include "app/mainwindow.h"

#include "app/linklist.h"
#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "builders/urldialog.h"
#include "builders/linkharvest.h"
#include "builders/navigationerrors.h"
#include "platform/commoncontrols.h"
#include "platform/messagebox.h"
#include "platform/runtimeerror.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace tv {

namespace {

const QString BuildProblem = QStringLiteral("Tallyvane encountered a problem building a list from this url.");

void waitPointer()
{
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void normalPointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void resetProgress(Form1 &form)
{
    form.setProgressMax(100);
    try {
        form.setProgress(0);
    } catch (const RuntimeError &) {
        // The bar keeps its last drawing; the build still ends.
    }
}

// The state every way out of a build leaves behind; the list keeps what it has.
void finishBuild(Form1 &form)
{
    form.ShowCount();
    form.List1->RefreshExtent();
    normalPointer();
    form.setStatus(idleBanner());
    form.setFormEnabled(true);
    resetProgress(form);
    form.setWb2(nullptr);
}

void showBuildError(Form1 *form, const QString &detail = QString())
{
    const QString text = detail.isNull() ? BuildProblem : BuildProblem + QStringLiteral("\r\n\r\nError: ") + detail;
    MsgBox(form, text, MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
}

} // namespace

void Form1::mnufURL_Click()
{
    navError = false;
    navErrorText.clear();

    QString address;
    if (!goturl.isEmpty()) {
        // A dropped address: no dialog, and `append` stays as it was.
        address = goturl;
    } else {
        // Asking the browser for its open pages may take a moment.
        waitPointer();
        std::optional<QString> currentEntry;
        if (List1->ListCount() != 0 && List1->ListIndex() != -1)
            currentEntry = List1->List(List1->ListIndex());
        Form5 dialog(m_browser, currentEntry, mnuopappfilt->isChecked(), this);
        normalPointer();
        if (showModal(&dialog) == QDialog::Accepted) {
            append = dialog.Append();
            setStatus(QStringLiteral("Bulding list (press \"Esc\" to cancel)."));
            sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
        }
        setFormEnabled(false);
        waitPointer();
        address = dialog.strurl;
    }
    if (address.isEmpty()) {
        normalPointer();
        setFormEnabled(true);
        return;
    }

    // A browser window that already shows the page is harvested at once.
    if (m_browser) {
        try {
            const QList<BrowserWindowPtr> windows = m_browser->shellWindows();
            for (const BrowserWindowPtr &w : windows) {
                try {
                    if (w->isHtmlDocument() && w->locationUrl() == address) {
                        setWb2(w);
                        w->setRegisterAsBrowser(true);
                        break;
                    }
                } catch (const BrowserError &) {
                }
            }
        } catch (const BrowserError &) {
        }
    }
    if (wb2) {
        if (!append)
            List1->Clear();
        try {
            RecurseFrames(wb2->document());
        } catch (const BrowserError &) {
        }
    }

    // In every case the page is loaded afresh in an invisible browser.
    try {
        if (!m_browser)
            throw BrowserError(QStringLiteral("No web browser is available."));
        BrowserWindowPtr page = m_browser->createHarvestWindow();
        setWb2(page);
        page->setSilent(true);
        if (!m_buildStall) {
            m_buildStall = new QTimer(this);
            m_buildStall->setObjectName(QStringLiteral("buildStall"));
            m_buildStall->setSingleShot(true);
            connect(m_buildStall, &QTimer::timeout, this, [this] {
                if (!wb2)
                    return;
                try {
                    wb2->stop();
                } catch (const BrowserError &) {
                }
                finishBuild(*this);
                showBuildError(this);
            });
        }
        m_buildStall->start(buildStallMs);
        page->navigate(address);
    } catch (const BrowserError &e) {
        // Without a browser nothing would ever end the build: say so now.
        goturl.clear();
        finishBuild(*this);
        showBuildError(this, QString::fromUtf8(e.what()));
        return;
    }
    goturl.clear();
}

void Form1::mnuopappfilt_Click()
{
    // The checkable action has already inverted its check mark.
    Filters::setApplyFilters(m_settings, mnuopappfilt->isChecked());
}

void Form1::mnuopfilt_Click()
{
    Form3 dialog(m_settings, this);
    if (showModal(&dialog) == QDialog::Accepted)
        ftypes = Filters::extensionsOf(dialog.entries());
    if (!ftypes.isEmpty()) {
        mnuopappfilt->setChecked(Filters::applyFilters(m_settings));
    } else {
        mnuopappfilt->setChecked(false);
        Filters::setApplyFilters(m_settings, false);
    }
    mnuopappfilt->setEnabled(!ftypes.isEmpty());
}

void Form1::RecurseFrames(const HtmlDocumentPtr &idoc)
{
    const QStringList filters = mnuopappfilt->isChecked() ? ftypes : QStringList();
    LinkHarvest harvest(List1->Items(), List1->Room(), filters);
    if (idoc)
        harvest.walk(*idoc);
    List1->AppendMany(harvest.added());

    ShowCount();
    List1->RefreshExtent();
    setWb2(nullptr);
    normalPointer();
    setStatus(idleBanner());
    setFormEnabled(true);

    // Told after the caller has finished its own clean-up.
    if (const qsizetype leftOut = harvest.leftOut(); leftOut > 0)
        QTimer::singleShot(0, this, [this, leftOut] { reportListFull(this, leftOut); });
}

void Form1::setWb2(BrowserWindowPtr window)
{
    if (wb2) {
        disconnect(wb2.get(), nullptr, this, nullptr);
        // Released on the next turn of the event loop: the window may be in
        // the middle of emitting the event that ends the build.
        QTimer::singleShot(0, this, [old = std::move(wb2)] {});
    }
    wb2 = std::move(window);
    if (wb2) {
        connect(wb2.get(), &BrowserWindow::DocumentComplete, this, &Form1::wb2_DocumentComplete);
        connect(wb2.get(), &BrowserWindow::NavigateError, this, &Form1::wb2_NavigateError);
        connect(wb2.get(), &BrowserWindow::NewWindow2, this, &Form1::wb2_NewWindow2);
        connect(wb2.get(), &BrowserWindow::ProgressChange, this, &Form1::wb2_ProgressChange);
    }
}

void Form1::wb2_DocumentComplete(const QString &pDisp, const QString &url)
{
    Q_UNUSED(url);
    if (!wb2)
        return;
    if (pDisp != wb2->name()) {
        // A frame finished: the page is still making progress.
        if (m_buildStall && m_buildStall->isActive())
            m_buildStall->start(buildStallMs);
        return;
    }
    if (m_buildStall)
        m_buildStall->stop();
    try {
        if (!append)
            List1->Clear();
        if (!navError) {
            RecurseFrames(wb2->document());
            finishBuild(*this);
        } else {
            // Clean up first, so that the message shows over a usable window.
            finishBuild(*this);
            showBuildError(this, navErrorText);
        }
    } catch (const BrowserError &) {
        finishBuild(*this);
        showBuildError(this);
    }
}

void Form1::wb2_NavigateError(const QString &pDisp, const QString &url, const QString &frame, qint32 statusCode)
{
    Q_UNUSED(url);
    Q_UNUSED(frame);
    if (m_buildStall && m_buildStall->isActive())
        m_buildStall->start(buildStallMs);
    // Frames report under their own names: their errors do not fail the build.
    if (wb2 && pDisp == wb2->name()) {
        navError = true;
        navErrorText = navigationErrorText(statusCode);
    }
}

void Form1::wb2_NewWindow2(bool *cancel)
{
    *cancel = true;
}

void Form1::wb2_ProgressChange(qint32 progress, qint32 progressMax)
{
    if (m_buildStall && m_buildStall->isActive())
        m_buildStall->start(buildStallMs);
    try {
        sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
        if (progress < 1) {
            resetProgress(*this);
            ShowCount();
        } else {
            // A maximum of 0 means the total is not known yet: the bar keeps
            // its scale, stretched to the progress if need be.
            setProgressMax(progressMax >= 1 ? progressMax : std::max(ProgressMax(), progress));
            setProgress(progress);
        }
    } catch (const RuntimeError &) {
    }
}

void Form1::Timer3_Timer()
{
    // Off first: the message below lets the timer tick again.
    Timer3->stop();
    const QString listingFailed =
        QStringLiteral("Error listing links automatically. Please use \"Build list from URL\" in \"List\" menu.");

    bool examined = false;
    try {
        if (!m_browser)
            throw BrowserError(QStringLiteral("No web browser is available."));
        const QList<BrowserWindowPtr> windows = m_browser->shellWindows();
        for (const BrowserWindowPtr &w : windows) {
            examined = true;
            try {
                if (w->isHtmlDocument() && w->locationUrl() == nurl) {
                    setWb2(w);
                    break;
                }
            } catch (const BrowserError &) {
            }
        }
    } catch (const BrowserError &) {
        // No window list at all.
        MsgBox(this, listingFailed, MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
        return;
    }
    if (!wb2 && !examined) {
        MsgBox(this, listingFailed, MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
        return;
    }

    if (wb2) {
        try {
            wb2->setFirstFrameInnerText(QStringLiteral("insttxt"), QStringLiteral("poop"));
        } catch (const BrowserError &) {
        }
    }
    List1->Clear();
    try {
        if (!wb2)
            throw BrowserError(QStringLiteral("No browser window shows the page."));
        RecurseFrames(wb2->document());
    } catch (const BrowserError &) {
        // Nothing to list: the emptied list and its count are what is left.
        finishBuild(*this);
    }
}

} // namespace tv
