// Building a list from a web page, and the file-type filters.
#include "app/form1.h"

#include "app/linklist.h"

#include <QTimer>

namespace tv {

void Form1::mnufURL_Click()
{
    goturl.clear();
    notAvailable(mnufURL->text());
}

void Form1::mnuopappfilt_Click() { notAvailable(mnuopappfilt->text()); }
void Form1::mnuopfilt_Click() { notAvailable(mnuopfilt->text()); }

void Form1::RecurseFrames(const HtmlDocumentPtr &idoc)
{
    Q_UNUSED(idoc);
    setWb2(nullptr);
}

void Form1::setWb2(BrowserWindowPtr window)
{
    if (wb2)
        disconnect(wb2.get(), nullptr, this, nullptr);
    wb2 = std::move(window);
    if (wb2) {
        connect(wb2.get(), &BrowserWindow::DocumentComplete, this, &Form1::wb2_DocumentComplete);
        connect(wb2.get(), &BrowserWindow::NavigateError, this, &Form1::wb2_NavigateError);
        connect(wb2.get(), &BrowserWindow::NewWindow2, this, &Form1::wb2_NewWindow2);
        connect(wb2.get(), &BrowserWindow::ProgressChange, this, &Form1::wb2_ProgressChange);
    }
}

void Form1::wb2_DocumentComplete(const QString &, const QString &) {}
void Form1::wb2_NavigateError(const QString &, const QString &, const QString &, qint32) {}
void Form1::wb2_NewWindow2(bool *cancel) { *cancel = true; }
void Form1::wb2_ProgressChange(qint32, qint32) {}

void Form1::Timer3_Timer()
{
    Timer3->stop();
    notAvailable(QStringLiteral("Listing the links of a handed-over page"));
}

} // namespace tv
