// The viewer window, the tour window and the slideshow.
#include "app/mainwindow.h"

#include "platform/commoncontrols.h"

#include <QTimer>

namespace tv {

void Form1::ObtainViewer()
{
    if (!webbrowser1) {
        if (!newwin) {
            const QList<BrowserWindowPtr> windows = m_browser->shellWindows();
            BrowserWindowPtr last;
            for (const BrowserWindowPtr &w : windows) {
                try {
                    if (w->isHtmlDocument())
                        last = w;
                } catch (const BrowserError &) {
                    // Passed over, like a folder window.
                }
            }
            webbrowser1 = last;
        }
        if (!webbrowser1) {
            webbrowser1 = m_browser->createWindow();
            openedone = true;
        }
        connect(webbrowser1.get(), &BrowserWindow::OnQuit, this, [this] {
            webbrowser1.reset();
            openedone = false;
        });
    }
}

void Form1::PrepareViewerWindow()
{
    ObtainViewer();
    webbrowser1->setVisible(Buttons(QStringLiteral("hide_br"))->Image() == 8);
    if (webbrowser1->visible()) {
        webbrowser1->showNoActivate();
        webbrowser1->bringToForeground();
    }
    if (webbrowser1->busy())
        webbrowser1->stop();
}

void Form1::mnuhelptour_Click() { notAvailable(mnuhelptour->text()); }

void Form1::Timer2_Timer() { Timer2->stop(); }

} // namespace tv
