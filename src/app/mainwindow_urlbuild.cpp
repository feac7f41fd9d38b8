// Building a list from a web page (the work is UrlBuildSession's), and the
// file-type filters.
#include "app/mainwindow.h"

#include "app/busypointer.h"
#include "app/linklist.h"
#include "app/urlbuildsession.h"
#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "builders/urldialog.h"
#include "platform/commoncontrols.h"

#include <QAction>
#include <QTimer>

namespace tv {

void Form1::mnufURL_Click()
{
    m_build->resetNavigationError();

    QString address;
    if (!goturl.isEmpty()) {
        // A dropped address: no dialog, and `append` stays as it was.
        address = goturl;
    } else {
        // Asking the browser for its open pages may take a moment.
        showBusyPointer();
        std::optional<QString> currentEntry;
        if (List1->ListCount() != 0 && List1->ListIndex() != -1)
            currentEntry = List1->List(List1->ListIndex());
        Form5 dialog(m_browser, currentEntry, mnuopappfilt->isChecked(), this);
        clearBusyPointer();
        if (showModal(&dialog) == QDialog::Accepted) {
            append = dialog.Append();
            setStatus(QStringLiteral("Bulding list (press \"Esc\" to cancel)."));
            sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
        }
        setFormEnabled(false);
        showBusyPointer();
        address = dialog.strurl;
    }
    if (address.isEmpty()) {
        clearBusyPointer();
        setFormEnabled(true);
        return;
    }
    m_build->start(address);
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
    m_build->harvest(idoc);
}

void Form1::setWb2(BrowserWindowPtr window)
{
    m_build->setWindow(std::move(window));
}

void Form1::wb2_DocumentComplete(const QString &pDisp, const QString &url)
{
    Q_UNUSED(url);
    m_build->documentComplete(pDisp);
}

void Form1::wb2_NavigateError(const QString &pDisp, const QString &url, const QString &frame, qint32 statusCode)
{
    Q_UNUSED(url);
    Q_UNUSED(frame);
    m_build->navigateError(pDisp, statusCode);
}

void Form1::wb2_NewWindow2(bool *cancel)
{
    *cancel = true;
}

void Form1::wb2_ProgressChange(qint32 progress, qint32 progressMax)
{
    m_build->progressChange(progress, progressMax);
}

void Form1::Timer3_Timer()
{
    // Off first: the message a failure shows lets the timer tick again.
    Timer3->stop();
    m_build->harvestHandedOver(nurl);
}

} // namespace tv
